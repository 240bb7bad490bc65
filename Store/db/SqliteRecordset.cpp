#include "db/SqliteRecordset.h"

#include "DwError.h"

#include <QDateTime>

namespace dwfm::store {

QDateTime fromStoreTime(qint64 msecs)
{
    return QDateTime::fromMSecsSinceEpoch(msecs).toLocalTime();
}

qint64 toStoreTime(const QDateTime &when)
{
    return when.toMSecsSinceEpoch();
}

namespace {
QVariant convert(const Statement &st, int index, ColumnKind kind)
{
    if (st.isNull(index))
        return QVariant();
    switch (kind) {
    case ColumnKind::Integer:
        return QVariant(qint32(st.int64(index)));
    case ColumnKind::Integer64:
        return QVariant(st.int64(index));
    case ColumnKind::Boolean:
        return QVariant(st.int64(index) != 0);
    case ColumnKind::DateTime:
        return QVariant(fromStoreTime(st.int64(index)));
    case ColumnKind::Date:
        return QVariant(fromStoreTime(st.int64(index)).date());
    case ColumnKind::Time:
        return QVariant(fromStoreTime(st.int64(index)).time());
    case ColumnKind::Text:
        break;
    }
    return QVariant(st.text(index));
}
} // namespace

RecordsetPtr collectRows(Statement &statement, const QStringList &fields, const std::vector<ColumnKind> &kinds)
{
    std::shared_ptr<MemoryRecordset> rs;
    while (statement.step()) {
        if (!rs)
            rs = MemoryRecordset::create(fields);
        QVariantList row;
        row.reserve(fields.size());
        for (int i = 0; i < int(kinds.size()); ++i)
            row << convert(statement, i, kinds[std::size_t(i)]);
        rs->addRow(row);
    }
    return rs;
}

SqliteRecordset::SqliteRecordset(std::unique_ptr<Statement> statement, QStringList fields,
                                 std::vector<ColumnKind> kinds)
    : m_statement(std::move(statement)), m_fields(std::move(fields)), m_kinds(std::move(kinds))
{
    Q_ASSERT(m_fields.size() == qsizetype(m_kinds.size()));
    Q_ASSERT(m_fields.size() <= m_statement->columnCount());
}

SqliteRecordset::SqliteRecordset(QStringList fields, std::vector<ColumnKind> kinds)
    : m_fields(std::move(fields)), m_kinds(std::move(kinds)), m_started(false)
{
}

void SqliteRecordset::startOnce() const
{
    if (m_started || m_closed)
        return;
    m_started = true;
    m_statement = start();
    m_eof = !m_statement;
}

RecordsetPtr SqliteRecordset::open(std::unique_ptr<Statement> statement, QStringList fields,
                                   std::vector<ColumnKind> kinds, qint64 rowsHint)
{
    if (!statement->step())
        return nullptr;
    auto rs = std::make_shared<SqliteRecordset>(std::move(statement), std::move(fields), std::move(kinds));
    rs->m_rowsHint = rowsHint;
    return rs;
}

int SqliteRecordset::fieldCount() const
{
    return int(m_fields.size());
}

QString SqliteRecordset::fieldName(int index) const
{
    return m_fields.value(index);
}

int SqliteRecordset::fieldIndex(const QString &name) const
{
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariant SqliteRecordset::value(int index) const
{
    startOnce();
    if (m_closed || m_eof)
        throw DwError(DwError::ItemNotFound, QStringLiteral("Er is geen huidige rij: het einde van de rijen is bereikt."));
    if (index < 0 || index >= int(m_kinds.size()))
        throw DwError(DwError::ItemNotFound, QStringLiteral("Veld %1 bestaat niet.").arg(index));
    return convert(*m_statement, index, m_kinds[std::size_t(index)]);
}

const Statement &SqliteRecordset::current() const
{
    startOnce();
    if (!m_statement)
        throw DwError(DwError::ItemNotFound, QStringLiteral("Er is geen huidige rij: het einde van de rijen is bereikt."));
    return *m_statement;
}

bool SqliteRecordset::isNullAt(int index) const
{
    return current().isNull(index);
}

qint64 SqliteRecordset::integerAt(int index) const
{
    return current().int64(index);
}

QString SqliteRecordset::textAt(int index) const
{
    return current().text(index);
}

bool SqliteRecordset::isEof() const
{
    startOnce();
    return m_eof || m_closed;
}

void SqliteRecordset::moveNext()
{
    startOnce();
    if (m_closed || m_eof)
        throw DwError(DwError::ItemNotFound, QStringLiteral("Er is geen volgende rij: het einde van de rijen is bereikt."));
    if (!m_statement->step()) {
        m_eof = true;
        m_statement.reset();
    }
}

void SqliteRecordset::close()
{
    m_closed = true;
    m_statement.reset();
}

bool SqliteRecordset::isClosed() const
{
    return m_closed;
}

} // namespace dwfm::store
