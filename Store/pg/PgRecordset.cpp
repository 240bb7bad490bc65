#include "pg/PgRecordset.h"

#include "DwError.h"

#include <QDateTime>

namespace dwfm::store::pg {

RecordsetPtr PgRecordset::open(PgResult result, QStringList fields, std::vector<ColumnKind> kinds)
{
    if (result.rows() == 0)
        return nullptr;
    return std::make_shared<PgRecordset>(std::move(result), std::move(fields), std::move(kinds));
}

PgRecordset::PgRecordset(PgResult result, QStringList fields, std::vector<ColumnKind> kinds)
    : m_result(std::move(result)), m_fields(std::move(fields)), m_kinds(std::move(kinds))
{
}

QVariant PgRecordset::value(int index) const
{
    if (isEof())
        throw DwError(DwError::ItemNotFound, QStringLiteral("Er is geen huidige rij: het einde van de rijen is bereikt."));
    if (index < 0 || index >= int(m_kinds.size()))
        throw DwError(DwError::ItemNotFound, QStringLiteral("Veld %1 bestaat niet.").arg(index));
    if (m_result.isNull(m_row, index))
        return QVariant();
    switch (m_kinds[std::size_t(index)]) {
    case ColumnKind::Integer:
        return QVariant(qint32(m_result.int64(m_row, index)));
    case ColumnKind::Integer64:
        return QVariant(m_result.int64(m_row, index));
    case ColumnKind::Boolean:
        return QVariant(m_result.boolean(m_row, index));
    case ColumnKind::DateTime:
        return QVariant(QDateTime::fromMSecsSinceEpoch(m_result.int64(m_row, index)).toLocalTime());
    case ColumnKind::Date:
        return QVariant(QDateTime::fromMSecsSinceEpoch(m_result.int64(m_row, index)).toLocalTime().date());
    case ColumnKind::Time:
        return QVariant(QDateTime::fromMSecsSinceEpoch(m_result.int64(m_row, index)).toLocalTime().time());
    case ColumnKind::Text:
        break;
    }
    return QVariant(m_result.text(m_row, index));
}

void PgRecordset::moveNext()
{
    if (isEof())
        throw DwError(DwError::ItemNotFound, QStringLiteral("Er is geen volgende rij: het einde van de rijen is bereikt."));
    ++m_row;
}

int PgRecordset::fieldIndex(const QString &name) const
{
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace dwfm::store::pg
