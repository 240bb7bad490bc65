#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

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
// as text, except a QByteArray, which goes as raw bytes (a bytea without the cost of its
// text form); errors throw DwError with the store's numbers: the functions' refusals (SQL
// state 42501) become "permission denied", a duplicate "integrity violation", an unknown
// item "item not found", and the server's own message is the text. A lock wait, a
// statement or an idle transaction past the store's time-outs is "permission denied" with
// a sentence that says so. A connection that broke (the server restarted, the link dropped)
// connects again by itself, once, at its next statement outside a transaction
// (PgConnectionRecovery.cpp).
class PgConnection {
public:
    // `conninfo` in libpq's key=value form. Throws DwError when the server refuses.
    explicit PgConnection(const QString &conninfo);
    ~PgConnection();
    PgConnection(const PgConnection &) = delete;
    PgConnection &operator=(const PgConnection &) = delete;

    PgResult exec(const char *sql, const QVariantList &params = {});
    // As exec, with the cells in binary form: a bytea's raw bytes without the cost of its
    // text form (a text column is its UTF-8 bytes either way; other types are best cast to
    // text in the statement).
    PgResult execBinary(const char *sql, const QVariantList &params = {});
    // Runs a query whose rows may be too many to hold at once: each row comes to `row` on
    // its own as it arrives (a result of one row, cells in binary form: a bytea's raw
    // bytes), and is gone when `row` returns. An exception from `row` cancels the query
    // and is passed on; the connection stays usable.
    void stream(const char *sql, const QVariantList &params, const std::function<void(const PgResult &row)> &row);
    // Runs a script of several statements without parameters.
    void script(const QString &sql);

    // For LISTEN: the connection's socket, and the payloads that arrived since the last
    // call (reads what the socket has, never waits). Notices this connection sent itself
    // are left out.
    int socket() const;
    QList<QString> takeNotifications(const char *channel);
    // The same for a listener of several channels: each arrival's channel and payload.
    QList<std::pair<QByteArray, QString>> takeNotifications();
    // Called after a statement during which notifications arrived: they were read with
    // its answer, so the socket will not tell of them.
    void setNotificationHook(std::function<void()> hook) { m_hook = std::move(hook); }

    pg_conn *handle() const { return m_conn; }

    // LISTENs on `channel`, and again after each reconnection.
    void listen(const char *channel);
    // Called after the connection was made again (its socket is a new one).
    void setReconnectHook(std::function<void()> hook) { m_reconnected = std::move(hook); }
    // Whether the link to the server is known to be broken.
    bool broken() const;
    // Makes a broken link again without waiting for the server: each call takes the steps
    // that can be taken now (for a listener's timer, which must not hold up the event loop).
    // A statement meanwhile finishes the reconnection the usual way.
    enum class Revival { Back, Connecting, Failed };
    Revival reviveWithoutWaiting();
    // Begins a transaction; the BEGIN goes with its first statement.
    void begin() { m_beginPending = true; }
    // Commits the running transaction. With request marks on, the change is committed with a
    // mark of its own; when the answer to the COMMIT is lost, the connection is made again and
    // the server asked whether the mark landed: this returns when it did, and throws when it
    // did not (nothing changed) or cannot be known.
    // `last`, when given, is the transaction's last statement: it goes in one message with the
    // COMMIT (its answer is not wanted).
    void commit(const char *last = nullptr, const QVariantList &params = {});
    // Turns the marks on: a session's connection to a store that keeps them.
    void setRequestMarks(bool on) { m_requestMarks = on; }

    // The SCRAM-SHA-256 verifier of `password` for `role`, made on this side: only it
    // ever reaches the server (ALTER ROLE ... PASSWORD takes it as it is).
    QString encryptPassword(const QString &password, const QString &role);
    // Asks the server to end the sessions of store users that hold a transaction open past
    // the store's time-outs (after a lock wait of this connection ran out). Never throws.
    void endStuckSessions() noexcept;
    // Builds a libpq connection string from its parts (values quoted as libpq wants).
    static QString conninfo(const QList<std::pair<const char *, QString>> &parts);
    // A list of IDs as an SQL array literal (for a parameter cast to integer[]).
    static QString intArray(const QList<qint32> &ids);
    // A name as a quoted SQL identifier.
    static QString identifier(const QString &name);
    // The store's error number for an SQL state (e.g. of a refusal a batch function caught).
    static qint32 errorNumber(const char *state);

private:
    bool send(const char *sql, const QVariantList &params, int resultFormat);
    struct Statement {
        const char *sql;
        QVariantList params;
        int resultFormat = 0;
    };
    // Sends the statements (several in one message) and answers the last result, or null with
    // the first error in `failed`.
    pg_result *run(const std::vector<Statement> &statements, pg_result **failed);
    PgResult execAs(const char *sql, const QVariantList &params, int resultFormat);
    void afterStatement();
    [[noreturn]] void fail(pg_result *result);
    [[noreturn]] static void refuseConnection(const QString &why, const QString &server, const QString &database,
                                              const QString &user);
    void collect();
    void setUp();
    // Before each statement: outside a transaction a link found broken is made again; false
    // for the rollback of a transaction the break cut off (nothing left to do).
    bool revive(const char *sql);
    void reopen();
    // After the connection was made again: its settings, LISTENs and the reconnect hook.
    void restored();
    // Whether a statement that found the link broken may go again on a new connection.
    bool resendable(const char *sql, bool begun) const;
    // Sends a BEGIN still owed on its own (before a statement that cannot go in a pipeline).
    void beginNow();
    pg_conn *m_conn = nullptr;
    bool m_requestMarks = false;
    bool m_beginPending = false;
    bool m_reviving = false; // a reconnection without waiting is under way
    QList<QByteArray> m_channels;
    std::function<void()> m_reconnected;
    bool m_sentInTransaction = false; // the last statement was sent inside a transaction
    QElapsedTimer m_lastFailure;      // of the last failed attempt to connect again
    QString m_failureText;
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
    // Commits, with `last` as the transaction's last statement when given (PgConnection::commit).
    void commit(const char *last = nullptr, const QVariantList &params = {});

private:
    PgConnection &m_connection;
    bool m_done = false;
};

} // namespace dwfm::store::pg
