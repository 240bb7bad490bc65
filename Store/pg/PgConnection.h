#pragma once

#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

struct pg_conn;
struct pg_result;

namespace dwfm::store::pg {

// The answer of one statement; owns the libpq result.
class PgResult {
public:
    explicit PgResult(pg_result *result = nullptr);
    ~PgResult();
    PgResult(PgResult &&other) noexcept;
    PgResult &operator=(PgResult &&other) noexcept;

    int rows() const;
    int columns() const;
    bool isNull(int row, int column) const;
    // The cell as text (libpq's text form); `length` its bytes.
    const char *raw(int row, int column) const;
    int length(int row, int column) const;
    QString text(int row, int column) const;
    qint64 int64(int row, int column) const;
    bool boolean(int row, int column) const;

private:
    pg_result *m_result = nullptr;
};

// One libpq connection. Statements take "?" parameters (rewritten to $1, $2, ...), sent
// as text; errors throw DwError with the store's numbers: the functions' refusals (SQL
// state 42501) become "permission denied", a duplicate "integrity violation", an unknown
// item "item not found", and the server's own message is the text. A lock wait, a
// statement or an idle transaction past the store's time-outs is "permission denied" with
// a sentence that says so.
class PgConnection {
public:
    // `conninfo` in libpq's key=value form. Throws DwError when the server refuses.
    explicit PgConnection(const QString &conninfo);
    ~PgConnection();
    PgConnection(const PgConnection &) = delete;
    PgConnection &operator=(const PgConnection &) = delete;

    PgResult exec(const char *sql, const QVariantList &params = {});
    // Runs a script of several statements without parameters.
    void script(const QString &sql);

    // For LISTEN: the connection's socket, and the payloads that arrived since the last
    // call (reads what the socket has, never waits). Notices this connection sent itself
    // are left out.
    int socket() const;
    QList<QString> takeNotifications(const char *channel);
    // Called after a statement during which notifications arrived: they were read with
    // its answer, so the socket will not tell of them.
    void setNotificationHook(std::function<void()> hook) { m_hook = std::move(hook); }

    pg_conn *handle() const { return m_conn; }
    // The SCRAM-SHA-256 verifier of `password` for `role`, made on this side: only it
    // ever reaches the server (ALTER ROLE ... PASSWORD takes it as it is).
    QString encryptPassword(const QString &password, const QString &role);
    // Asks the server to end the sessions of store users that hold a transaction open past
    // the store's time-outs (after a lock wait of this connection ran out). Never throws.
    void endStuckSessions() noexcept;
    // Builds a libpq connection string from its parts (values quoted as libpq wants).
    static QString conninfo(const QList<std::pair<const char *, QString>> &parts);
    // A name as a quoted SQL identifier.
    static QString identifier(const QString &name);

private:
    [[noreturn]] void fail(pg_result *result);
    [[noreturn]] static void refuseConnection(const QString &why, const QString &server, const QString &database,
                                              const QString &user);
    void collect();
    pg_conn *m_conn = nullptr;
    std::function<void()> m_hook;
    QList<std::pair<QByteArray, QString>> m_pending;
    bool m_lockTimedOut = false; // in the transaction that is being rolled back
    friend class PgTransaction;
};

using PgConnectionPtr = std::shared_ptr<PgConnection>;

// A transaction on a connection: rolled back unless committed.
class PgTransaction {
public:
    explicit PgTransaction(PgConnection &connection);
    ~PgTransaction();
    void commit();

private:
    PgConnection &m_connection;
    bool m_done = false;
};

} // namespace dwfm::store::pg
