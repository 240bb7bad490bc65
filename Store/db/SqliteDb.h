#pragma once

#include <QString>
#include <QVariant>

#include <memory>
#include <string>
#include <unordered_map>

struct sqlite3;
struct sqlite3_stmt;

namespace dwfm::store {

class SqliteDb;
using SqliteDbPtr = std::shared_ptr<SqliteDb>;

// One prepared statement. Values are bound by position (1-based, "?" placeholders, the
// form both backends understand after the server backend rewrites them to $n).
// Errors throw DwError with the database error numbers.
class Statement {
public:
    Statement(SqliteDbPtr db, const char *sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    Statement &bind(int index, const QVariant &value);
    Statement &bind(int index, qint64 value);
    Statement &bind(int index, const QString &value);
    Statement &bindNull(int index);

    // Steps to the next row: true while there is one.
    bool step();
    void reset();
    // Runs a statement that answers no rows.
    void exec() { step(); }

    int columnCount() const;
    const char *columnName(int index) const;
    bool isNull(int index) const;
    qint64 int64(int index) const;
    QString text(int index) const;
    QVariant value(int index) const;

    sqlite3_stmt *handle() const { return m_stmt; }

private:
    SqliteDbPtr m_db;
    sqlite3_stmt *m_stmt = nullptr;
    bool m_cached = false;
};

// An open SQLite database in WAL mode with a busy timeout, so that several processes
// share one store: readers never wait for a writer and writers queue up.
class SqliteDb : public std::enable_shared_from_this<SqliteDb> {
public:
    // Opens an existing database (create = false) or creates it. Throws DwError.
    static SqliteDbPtr open(const QString &path, bool create);
    ~SqliteDb();

    void exec(const char *sql);
    qint64 lastInsertId() const;
    int changes() const;
    sqlite3 *handle() const { return m_db; }

    // Throws the DwError that matches the SQLite result code `rc`.
    [[noreturn]] void fail(int rc, const char *what) const;

private:
    friend class Statement;
    explicit SqliteDb(sqlite3 *db) : m_db(db) {}

    // Prepared statements are kept per SQL text and handed out again once their Statement
    // is gone, so a call that runs the same few statements every time does not parse and
    // plan them anew. A statement still in use is never handed out twice: a second user
    // of the same text gets a fresh, uncached one.
    struct Cached {
        sqlite3_stmt *stmt = nullptr;
        bool inUse = false;
    };
    sqlite3_stmt *acquire(const char *sql, bool &cached);
    void giveBack(sqlite3_stmt *stmt);

    sqlite3 *m_db = nullptr;
    std::unordered_map<std::string, Cached> m_cache;
};

// An IMMEDIATE transaction: it takes the write lock at the start, so two writers never
// both read the old state and then collide. Rolled back unless committed.
//
// A Flushed commit is on disk when commit() returns. A Deferred one is as atomic and
// survives the process being killed, but reaches the disk with the next flushed commit or
// checkpoint of any connection: a power cut can take it back (never half of it). For
// changes whose loss leaves nothing wrong, only an older state.
class WriteTransaction {
public:
    enum Durability { Flushed, Deferred };
    explicit WriteTransaction(const SqliteDbPtr &db, Durability durability = Flushed);
    ~WriteTransaction();
    void commit();

private:
    SqliteDbPtr m_db;
    bool m_done = false;
    bool m_deferred = false;
};

} // namespace dwfm::store
