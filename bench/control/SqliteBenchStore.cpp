#include "SqliteBenchStore.h"

#include "core/session/Recordset.h"
#include "platform/DwError.h"

#include <QDateTime>

namespace {

// A record set that steps a prepared statement: the current row is the statement's, and
// a field is converted to a Qt value when it is read.
class SqliteRecordset final : public dwfm::Recordset {
public:
    SqliteRecordset(sqlite3_stmt *statement) : m_statement(statement)
    {
        m_eof = sqlite3_step(m_statement) != SQLITE_ROW;
        const int count = sqlite3_column_count(m_statement);
        for (int i = 0; i < count; ++i) {
            m_names << QString::fromUtf8(sqlite3_column_name(m_statement, i));
            m_isDate << (m_names.last().compare(QLatin1String("Checkoutdate"), Qt::CaseInsensitive) == 0);
        }
    }
    ~SqliteRecordset() override { close(); }

    int fieldCount() const override { return int(m_names.size()); }
    QString fieldName(int index) const override { return m_names.value(index); }
    QVariant value(int index) const override
    {
        if (m_eof || !m_statement)
            throw dwfm::DwError(dwfm::DwError::DatabaseError, QStringLiteral("Geen huidige rij."));
        switch (sqlite3_column_type(m_statement, index)) {
        case SQLITE_NULL: return QVariant();
        case SQLITE_INTEGER: return qint32(sqlite3_column_int(m_statement, index));
        default: {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, index));
            const QString value = QString::fromUtf8(text, sqlite3_column_bytes(m_statement, index));
            if (m_isDate[index])
                return QDateTime::fromString(value, Qt::ISODate);
            return value;
        }
        }
    }
    using Recordset::value;
    bool isEof() const override { return m_eof; }
    void moveNext() override
    {
        if (!m_eof && m_statement)
            m_eof = sqlite3_step(m_statement) != SQLITE_ROW;
    }
    void close() override
    {
        if (m_statement)
            sqlite3_finalize(m_statement);
        m_statement = nullptr;
        m_eof = true;
    }
    bool isClosed() const override { return !m_statement; }

private:
    sqlite3_stmt *m_statement;
    QStringList m_names;
    QList<bool> m_isDate;
    bool m_eof = true;
};

} // namespace

const char *SqliteBenchStore::filesQuery()
{
    return "SELECT projectid AS Projectid, filename AS FileName, checkedout AS CheckedOut, userid AS UserID, "
           "checkoutdate AS Checkoutdate, computername AS ComputerName, "
           "checkoutlocation AS ProjectCheckoutlocation, checkoutdescription AS CheckOutDescription, "
           "locked AS Locked, defaultproject AS DefaultProject FROM projects WHERE locationid = ?";
}

const char *SqliteBenchStore::childrenQuery()
{
    return "SELECT id AS ChildID, name AS childpath FROM locations WHERE parent = ?";
}

const char *SqliteBenchStore::childrenWithFlagQuery()
{
    return "SELECT l.id AS ChildID, l.name AS childpath, "
           "EXISTS (SELECT 1 FROM locations c WHERE c.parent = l.id) AS HasChildren "
           "FROM locations l WHERE l.parent = ?";
}

dwfm::RecordsetPtr SqliteBenchStore::query(const char *sql, qint32 parameter)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(m_db, sql, -1, &statement, nullptr) != SQLITE_OK)
        throw dwfm::DwError(dwfm::DwError::DatabaseError, QString::fromUtf8(sqlite3_errmsg(m_db)));
    sqlite3_bind_int(statement, 1, parameter);
    auto rs = std::make_shared<SqliteRecordset>(statement);
    return rs->isEof() ? nullptr : rs;
}

QString SqliteBenchStore::GetLocationDescription(qint32 lLocationID)
{
    dwfm::RecordsetPtr rs = query("SELECT name FROM locations WHERE id = ?", lLocationID);
    return rs ? rs->value(0).toString() : QString();
}

bool SqliteBenchStore::GetChildLocations(dwfm::RecordsetPtr &rsChildren, qint32 lLocationID)
{
    rsChildren = query(childRowsTellHasChildren ? childrenWithFlagQuery() : childrenQuery(), lLocationID);
    return rsChildren != nullptr;
}

bool SqliteBenchStore::GetProjectsInLocation(dwfm::RecordsetPtr &rsProjects, qint32 lLocationID)
{
    rsProjects = query(filesQuery(), lLocationID);
    return rsProjects != nullptr;
}
