#include "db/SqliteDb.h"

#include "DwError.h"
#include "search/SearchText.h"

#include <sqlite3.h>

namespace dwfm::store {

namespace {
constexpr int BusyTimeoutMs = 15000;
// Listing a location walks the (location_id, name_key) index and looks every row up in the
// table, in name order rather than storage order. SQLite's default page cache (2 MiB) holds
// a small part of a large location, so each look-up would read its page again; a 64 MiB
// cache and memory-mapped reads keep the pages at hand. Both are limits, not allocations:
// a small store uses little of them.
constexpr const char *ReadTuning = "PRAGMA cache_size=-65536; PRAGMA mmap_size=268435456";
// More distinct statement texts than the store's own code has; text built at run time
// beyond this is prepared afresh each time instead of growing the cache.
constexpr std::size_t MaxCachedStatements = 128;

qint32 errorNumber(int rc)
{
    switch (rc & 0xff) {
    case SQLITE_CONSTRAINT:
        return DwError::IntegrityViolation;
    case SQLITE_FULL:
        return DwError::DiskFull;
    case SQLITE_PERM:
    case SQLITE_READONLY:
    case SQLITE_AUTH:
        return DwError::PermissionDenied;
    case SQLITE_CANTOPEN:
        return DwError::FileNotFound;
    default:
        return DwError::DatabaseError;
    }
}

// dw_fold(text): the text as the search index keeps it (SearchText::fold). The index's
// triggers call it, so every connection that changes files must have it.
void foldFunction(sqlite3_context *context, int, sqlite3_value **values)
{
    if (sqlite3_value_type(values[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(values[0]));
    const QByteArray folded = SearchText::fold(QString::fromUtf8(text, sqlite3_value_bytes(values[0]))).toUtf8();
    sqlite3_result_text(context, folded.constData(), int(folded.size()), SQLITE_TRANSIENT);
}
} // namespace

SqliteDbPtr SqliteDb::open(const QString &path, bool create)
{
    sqlite3 *raw = nullptr;
    // The database is never reached through a link planted in the store's folder.
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW | (create ? SQLITE_OPEN_CREATE : 0);
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &raw, flags, nullptr);
    if (rc != SQLITE_OK) {
        QString msg = raw ? QString::fromUtf8(sqlite3_errmsg(raw)) : QStringLiteral("geen geheugen");
        sqlite3_close(raw);
        throw DwError(errorNumber(rc), QStringLiteral("De database '%1' kan niet worden geopend: %2.").arg(path, msg));
    }
    SqliteDbPtr db(new SqliteDb(raw));
    sqlite3_extended_result_codes(raw, 1);
    sqlite3_busy_timeout(raw, BusyTimeoutMs);
    sqlite3_create_function_v2(raw, "dw_fold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                               foldFunction, nullptr, nullptr, nullptr);
    db->exec("PRAGMA synchronous=FULL");
    db->exec(ReadTuning);
    return db;
}

SqliteDb::~SqliteDb()
{
    for (auto &entry : m_cache)
        sqlite3_finalize(entry.second.stmt);
    sqlite3_close_v2(m_db);
}

sqlite3_stmt *SqliteDb::acquire(const char *sql, bool &cached)
{
    auto it = m_cache.find(sql);
    if (it != m_cache.end() && !it->second.inUse) {
        it->second.inUse = true;
        cached = true;
        return it->second.stmt;
    }
    const bool keep = it == m_cache.end() && m_cache.size() < MaxCachedStatements;
    sqlite3_stmt *stmt = nullptr;
    const int rc = sqlite3_prepare_v3(m_db, sql, -1, keep ? SQLITE_PREPARE_PERSISTENT : 0, &stmt, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt);
        fail(rc, sql);
    }
    if (keep)
        m_cache.emplace(sql, Cached{stmt, true});
    cached = keep;
    return stmt;
}

void SqliteDb::giveBack(sqlite3_stmt *stmt)
{
    // Reset ends the statement's read of the database; cleared bindings do not keep the
    // previous call's values alive.
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    auto it = m_cache.find(sqlite3_sql(stmt));
    if (it != m_cache.end() && it->second.stmt == stmt)
        it->second.inUse = false;
    else
        sqlite3_finalize(stmt);
}

void SqliteDb::exec(const char *sql)
{
    char *err = nullptr;
    int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        sqlite3_free(err);
        fail(rc, sql);
    }
}

qint64 SqliteDb::lastInsertId() const
{
    return sqlite3_last_insert_rowid(m_db);
}

int SqliteDb::changes() const
{
    return sqlite3_changes(m_db);
}

void SqliteDb::fail(int rc, const char *what) const
{
    Q_UNUSED(what);
    QString msg = QString::fromUtf8(sqlite3_errmsg(m_db));
    if ((rc & 0xff) == SQLITE_NOTADB)
        msg = QStringLiteral("het bestand is geen database");
    else if ((rc & 0xff) == SQLITE_BUSY)
        msg = QStringLiteral("de database is te lang bezet door een ander proces");
    throw DwError(errorNumber(rc), QStringLiteral("Databasefout: %1.").arg(msg));
}

Statement::Statement(SqliteDbPtr db, const char *sql) : m_db(std::move(db))
{
    m_stmt = m_db->acquire(sql, m_cached);
}

Statement::~Statement()
{
    if (m_cached)
        m_db->giveBack(m_stmt);
    else
        sqlite3_finalize(m_stmt);
}

Statement &Statement::bind(int index, qint64 value)
{
    sqlite3_bind_int64(m_stmt, index, value);
    return *this;
}

Statement &Statement::bind(int index, const QString &value)
{
    if (value.isNull())
        return bindNull(index);
    QByteArray utf8 = value.toUtf8();
    sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    return *this;
}

Statement &Statement::bind(int index, const QVariant &value)
{
    if (value.isNull())
        return bindNull(index);
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
        return bind(index, value.toLongLong());
    default:
        return bind(index, value.toString());
    }
}

Statement &Statement::bindNull(int index)
{
    sqlite3_bind_null(m_stmt, index);
    return *this;
}

bool Statement::step()
{
    int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(m_stmt);
    m_db->fail(rc, sqlite3_sql(m_stmt));
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

const char *Statement::columnName(int index) const
{
    return sqlite3_column_name(m_stmt, index);
}

bool Statement::isNull(int index) const
{
    return sqlite3_column_type(m_stmt, index) == SQLITE_NULL;
}

qint64 Statement::int64(int index) const
{
    return sqlite3_column_int64(m_stmt, index);
}

QString Statement::text(int index) const
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, index));
    if (!p)
        return QString();
    return QString::fromUtf8(p, sqlite3_column_bytes(m_stmt, index));
}

QVariant Statement::value(int index) const
{
    switch (sqlite3_column_type(m_stmt, index)) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER:
        return QVariant(int64(index));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, index));
    default:
        return QVariant(text(index));
    }
}

WriteTransaction::WriteTransaction(const SqliteDbPtr &db, Durability durability)
    : m_db(db), m_deferred(durability == Deferred)
{
    // In WAL mode NORMAL writes the commit to the log without waiting for the disk.
    if (m_deferred)
        m_db->exec("PRAGMA synchronous=NORMAL");
    try {
        m_db->exec("BEGIN IMMEDIATE");
    } catch (...) {
        if (m_deferred)
            sqlite3_exec(m_db->handle(), "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
        throw;
    }
}

WriteTransaction::~WriteTransaction()
{
    if (!m_done)
        sqlite3_exec(m_db->handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    if (m_deferred)
        sqlite3_exec(m_db->handle(), "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
}

void WriteTransaction::commit()
{
    m_db->exec("COMMIT");
    m_done = true;
}

} // namespace dwfm::store
