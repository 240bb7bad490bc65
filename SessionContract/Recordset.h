#pragma once

#include "DwSessionExport.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <vector>

namespace dwfm {

// The rows a store query answers with. A caller reads the fields of the current row by
// name (matched without regard to case), moves to the next row until end-of-rows and
// closes the set. A database NULL is a null QVariant.
class DWSESSION_EXPORT Recordset {
public:
    virtual ~Recordset();

    virtual int fieldCount() const = 0;
    virtual QString fieldName(int index) const = 0;
    // The value of field `index` in the current row. Reading past end-of-rows or a
    // closed set throws DwError.
    virtual QVariant value(int index) const = 0;
    virtual bool isEof() const = 0;
    virtual void moveNext() = 0;
    virtual void close() = 0;
    virtual bool isClosed() const = 0;

    // Index of the field with this name, compared without regard to case; -1 when absent.
    virtual int fieldIndex(const QString &name) const;
    // The value of the named field in the current row; an unknown name throws DwError
    // 3265 as the store's record sets always did.
    QVariant value(const QString &name) const;
    bool hasField(const QString &name) const { return fieldIndex(name) >= 0; }
};

using RecordsetPtr = std::shared_ptr<Recordset>;

// A record set held in memory: the scripted session of the tests answers with it, and a
// store may use it for small answers.
class DWSESSION_EXPORT MemoryRecordset final : public Recordset {
public:
    explicit MemoryRecordset(QStringList fields);

    // Appends one row; the values are in field order, missing trailing values are null.
    MemoryRecordset &addRow(const QVariantList &values);
    int rowCount() const { return int(m_rows.size()); }

    int fieldCount() const override;
    QString fieldName(int index) const override;
    QVariant value(int index) const override;
    using Recordset::value;
    bool isEof() const override;
    void moveNext() override;
    void close() override;
    bool isClosed() const override;

    static std::shared_ptr<MemoryRecordset> create(QStringList fields)
    {
        return std::make_shared<MemoryRecordset>(std::move(fields));
    }

private:
    QStringList m_fields;
    std::vector<QVariantList> m_rows;
    std::size_t m_current = 0;
    bool m_closed = false;
};

} // namespace dwfm
