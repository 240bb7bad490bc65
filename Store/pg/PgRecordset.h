#pragma once

#include "RowShape.h"
#include "Recordset.h"
#include "pg/PgConnection.h"

#include <QStringList>

#include <vector>

namespace dwfm::store::pg {

// A record set over a libpq result: the rows stay in libpq's memory as the server sent
// them, and a field is converted to a Qt type only when it is read. Null for no rows.
class PgRecordset final : public Recordset {
public:
    static RecordsetPtr open(PgResult result, QStringList fields, std::vector<ColumnKind> kinds);
    PgRecordset(PgResult result, QStringList fields, std::vector<ColumnKind> kinds);

    int fieldCount() const override { return int(m_fields.size()); }
    QString fieldName(int index) const override { return m_fields.value(index); }
    QVariant value(int index) const override;
    using Recordset::value;
    bool isEof() const override { return m_closed || m_row >= m_result.rows(); }
    void moveNext() override;
    void close() override { m_closed = true; }
    bool isClosed() const override { return m_closed; }
    int fieldIndex(const QString &name) const override;

private:
    PgResult m_result;
    QStringList m_fields;
    std::vector<ColumnKind> m_kinds;
    int m_row = 0;
    bool m_closed = false;
};

} // namespace dwfm::store::pg
