#include "Recordset.h"

#include "DwError.h"

namespace dwfm {

Recordset::~Recordset() = default;

int Recordset::fieldIndex(const QString &name) const
{
    const int count = fieldCount();
    for (int i = 0; i < count; ++i) {
        if (fieldName(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariant Recordset::value(const QString &name) const
{
    const int index = fieldIndex(name);
    if (index < 0) {
        throw DwError(DwError::ItemNotFound,
                      QStringLiteral("Het veld '%1' komt niet voor in de recordset.").arg(name));
    }
    return value(index);
}

MemoryRecordset::MemoryRecordset(QStringList fields) : m_fields(std::move(fields)) {}

MemoryRecordset &MemoryRecordset::addRow(const QVariantList &values)
{
    QVariantList row = values;
    while (row.size() < m_fields.size())
        row.append(QVariant());
    row.resize(m_fields.size());
    m_rows.push_back(std::move(row));
    return *this;
}

int MemoryRecordset::fieldCount() const { return int(m_fields.size()); }

QString MemoryRecordset::fieldName(int index) const { return m_fields.value(index); }

QVariant MemoryRecordset::value(int index) const
{
    if (m_closed)
        throw DwError(DwError::DatabaseError, QStringLiteral("De recordset is gesloten."));
    if (m_current >= m_rows.size())
        throw DwError(DwError::DatabaseError,
                      QStringLiteral("Er is geen huidige rij: het einde van de recordset is bereikt."));
    if (index < 0 || index >= m_fields.size())
        throw DwError(DwError::ItemNotFound, QStringLiteral("Veldnummer %1 bestaat niet.").arg(index));
    return m_rows[m_current][index];
}

bool MemoryRecordset::isEof() const { return m_closed || m_current >= m_rows.size(); }

void MemoryRecordset::moveNext()
{
    if (m_closed)
        throw DwError(DwError::DatabaseError, QStringLiteral("De recordset is gesloten."));
    if (m_current < m_rows.size())
        ++m_current;
}

void MemoryRecordset::close() { m_closed = true; }

bool MemoryRecordset::isClosed() const { return m_closed; }

} // namespace dwfm
