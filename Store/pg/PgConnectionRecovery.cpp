// How a connection carries on after its link broke (the server restarted or stopped, the
// network dropped): outside a transaction the next statement connects again, once, with the
// settings libpq kept from the first connect (the password only in this process's memory),
// and the LISTENs come back. A transaction the break cut off is lost as a whole: its
// remaining statements fail without being sent until the caller rolls it back. A commit
// whose answer was lost is settled by asking the server, never by a guess.
#include "pg/PgConnection.h"

#include "DwError.h"

#include <libpq-fe.h>

#include <QUuid>

#include <cstring>
#include <utility>

namespace dwfm::store::pg {

namespace {
// After a failed attempt, statements in the next moments fail at once instead of each
// waiting for the server again (a dialog's many files against a server that is down).
constexpr qint64 RetryPauseMs = 2000;
} // namespace

bool PgConnection::broken() const
{
    return PQstatus(m_conn) == CONNECTION_BAD;
}

void PgConnection::listen(const char *channel)
{
    exec(QByteArray("LISTEN ").append(channel).constData());
    if (!m_channels.contains(channel))
        m_channels << QByteArray(channel);
}

bool PgConnection::revive(const char *sql)
{
    if (PQstatus(m_conn) == CONNECTION_OK) {
        m_sentInTransaction = PQtransactionStatus(m_conn) != PQTRANS_IDLE;
        // Between transactions the socket tells of a server that closed the link, without
        // waiting: what it says is read (notifications kept; a server that goes down says
        // goodbye first), and its end is found by the read after it.
        if (m_sentInTransaction || (PQconsumeInput(m_conn) == 1 && PQconsumeInput(m_conn) == 1)) {
            collect();
            return true;
        }
    }
    if (m_sentInTransaction) {
        // The transaction went with the link; its rollback is all that is left to do.
        if (sql && std::strcmp(sql, "ROLLBACK") == 0) {
            m_sentInTransaction = false;
            return false;
        }
        fail(nullptr);
    }
    reopen();
    return true;
}

bool PgConnection::resendable(const char *sql, bool begun) const
{
    // A BEGIN that found the link broken, and the first statement of a transaction sent with
    // it, changed nothing: nothing commits without a COMMIT.
    return !m_sentInTransaction && broken() && (begun || std::strcmp(sql, "BEGIN") == 0);
}

void PgConnection::reopen()
{
    if (m_lastFailure.isValid() && !m_lastFailure.hasExpired(RetryPauseMs))
        throw DwError(DwError::CannotCreateObject, m_failureText);
    m_reviving = false;
    PQreset(m_conn);
    if (PQstatus(m_conn) != CONNECTION_OK) {
        m_failureText = QStringLiteral("De verbinding met de server was verbroken en kon niet worden hersteld: %1")
                            .arg(QString::fromUtf8(PQerrorMessage(m_conn)).simplified());
        m_lastFailure.start();
        throw DwError(DwError::CannotCreateObject, m_failureText);
    }
    restored();
}

void PgConnection::restored()
{
    m_lastFailure.invalidate();
    m_sentInTransaction = false;
    // What a new connection sets up (search path, LISTENs) is the connection's own and goes
    // before the transaction the caller is beginning: sent inside it, a rollback of that
    // transaction would take the search path along and every later statement would fail.
    const bool beginPending = std::exchange(m_beginPending, false);
    setUp();
    for (const QByteArray &channel : std::as_const(m_channels))
        exec(QByteArray("LISTEN ").append(channel).constData());
    if (m_reconnected)
        m_reconnected();
    m_beginPending = beginPending;
}

PgConnection::Revival PgConnection::reviveWithoutWaiting()
{
    if (!m_reviving) {
        if (!broken())
            return Revival::Back;
        // libpq's own steps (PQresetStart, PQresetPoll) never wait for the server.
        if (PQresetStart(m_conn) != 1)
            return Revival::Failed;
        m_reviving = true;
    }
    switch (PQresetPoll(m_conn)) {
    case PGRES_POLLING_OK:
        m_reviving = false;
        try {
            restored();
        } catch (const DwError &) {
            return Revival::Failed; // gone again at once: the next try connects anew
        }
        return Revival::Back;
    case PGRES_POLLING_FAILED:
        m_reviving = false;
        return Revival::Failed;
    default:
        return Revival::Connecting;
    }
}

void PgConnection::commit(const char *last, const QVariantList &params)
{
    bool begin = false;
    if (last) {
        revive(last);
        // A transaction of one statement: BEGIN, it, the mark and COMMIT go in one message.
        begin = std::exchange(m_beginPending, false);
    } else if (std::exchange(m_beginPending, false)) {
        return; // a transaction that ran no statement was never begun on the server
    } else {
        revive(nullptr);
    }
    // The mark is a change of the same transaction: it is there exactly when the COMMIT landed.
    const QString request = QUuid::createUuid().toString(QUuid::WithoutBraces);
    std::vector<Statement> statements;
    if (begin)
        statements.push_back({"BEGIN", {}});
    if (last)
        statements.push_back({last, params});
    if (m_requestMarks)
        statements.push_back({"SELECT dw.mark_request(?)", {request}});
    statements.push_back({"COMMIT", {}});
    pg_result *failed = nullptr;
    pg_result *result = run(statements, &failed);
    PQclear(result);
    if (!failed) {
        afterStatement();
        return;
    }
    if (!broken() || !m_requestMarks)
        fail(failed);
    PQclear(failed);
    // The answer is lost: the change may have landed or not. A new connection asks; its
    // question waits until the server has ended the lost transaction.
    bool landed = false;
    try {
        reopen();
        landed = exec("SELECT dw.request_landed(?)", {request}).boolean(0, 0);
    } catch (const DwError &e) {
        throw DwError(e.number(), QStringLiteral("De verbinding met de server viel weg terwijl de wijziging werd vastgelegd; "
                                                 "of ze is opgeslagen, is niet bekend. %1")
                                      .arg(e.description()));
    }
    if (!landed) {
        throw DwError(DwError::DatabaseError, QStringLiteral("De verbinding met de server viel weg voordat de wijziging was "
                                                             "vastgelegd; er is niets gewijzigd."));
    }
}

} // namespace dwfm::store::pg
