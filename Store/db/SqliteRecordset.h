#pragma once

#include "RowShape.h"
#include "Recordset.h"
#include "StoredFields.h"
#include "db/SqliteDb.h"

#include <QStringList>

#include <memory>
#include <vector>

namespace dwfm::store {

// A record set that steps its SQLite statement as the caller moves: no copy of the rows
// is made, and each field is converted to a Qt type only when it is read (or not at all,
// through StoredFields). At the end of the rows (or on close) the statement is finalised,
// which ends its read snapshot.
class SqliteRecordset : public Recordset, public StoredFields {
public:
    // `statement` must already stand on its first row.
    SqliteRecordset(std::unique_ptr<Statement> statement, QStringList fields, std::vector<ColumnKind> kinds);

    int fieldCount() const override;
    QString fieldName(int index) const override;
    QVariant value(int index) const override;
    using Recordset::value;
    bool isEof() const override;
    void moveNext() override;
    void close() override;
    bool isClosed() const override;
    int fieldIndex(const QString &name) const override;

    bool isNullAt(int index) const override;
    qint64 integerAt(int index) const override;
    QString textAt(int index) const override;
    qint64 rowsHint() const override { return m_rowsHint; }

    // Runs `statement` and answers a record set on its first row, or null when it has no rows.
    // `rowsHint`: about how many rows it answers, when the caller has counted them.
    static RecordsetPtr open(std::unique_ptr<Statement> statement, QStringList fields,
                             std::vector<ColumnKind> kinds, qint64 rowsHint = -1);

protected:
    // A set whose statement start() makes at the first look at its rows.
    SqliteRecordset(QStringList fields, std::vector<ColumnKind> kinds);
    // The statement standing on its first row; null when it has no rows.
    virtual std::unique_ptr<Statement> start() const { return nullptr; }
    bool started() const { return m_started; }

private:
    // The statement on its current row; throws when there is none.
    const Statement &current() const;
    void startOnce() const;

    mutable std::unique_ptr<Statement> m_statement;
    QStringList m_fields;
    std::vector<ColumnKind> m_kinds;
    mutable bool m_started = true;
    mutable bool m_eof = false;
    bool m_closed = false;
    qint64 m_rowsHint = -1;
};

// Reads every row of `statement` into memory, for small answers that a caller may keep
// open for long (no read snapshot stays open). Null when there are no rows.
RecordsetPtr collectRows(Statement &statement, const QStringList &fields, const std::vector<ColumnKind> &kinds);

// Milliseconds since the epoch (UTC) as a local date-time, the way the store keeps moments.
QDateTime fromStoreTime(qint64 msecs);
qint64 toStoreTime(const QDateTime &when);

} // namespace dwfm::store
