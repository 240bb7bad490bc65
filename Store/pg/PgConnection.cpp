#include "pg/PgConnection.h"

#include "DwError.h"

#include <libpq-fe.h>

#include <cstring>
#include <exception>
#include <utility>
#include <vector>

namespace dwfm::store::pg {

namespace {
// The server's states for a lock wait, a statement or an idle transaction that ran past
// its time-out.
constexpr const char *LockTimedOut = "55P03";
constexpr const char *StatementTimedOut = "57014";
constexpr const char *IdleTimedOut = "25P03";
} // namespace

qint32 PgConnection::errorNumber(const char *state)
{
    if (!state)
        return DwError::DatabaseError;
    const QByteArray s(state);
    if (s == LockTimedOut || s == StatementTimedOut || s == IdleTimedOut)
        return DwError::PermissionDenied;
    if (s == "42501" || s == "28000" || s == "28P01")
        return DwError::PermissionDenied;
    if (s.startsWith("23"))
        return DwError::IntegrityViolation;
    if (s == "P0002")
        return DwError::ItemNotFound;
    if (s == "22023")
        return DwError::InputError;
    return DwError::DatabaseError;
}

namespace {
// libpq's words for a broken link, on one line and without the closing full stop.
QString brokenText(QString why)
{
    why = why.simplified();
    return why.endsWith(QLatin1Char('.')) ? why.chopped(1) : why;
}

// "?" placeholders to "$n", outside quoted text.
QByteArray numbered(const char *sql)
{
    QByteArray out;
    int n = 0;
    bool quoted = false;
    for (const char *p = sql; *p; ++p) {
        if (*p == '\'')
            quoted = !quoted;
        if (*p == '?' && !quoted)
            out += '$' + QByteArray::number(++n);
        else
            out += *p;
    }
    return out;
}
} // namespace

PgResult::PgResult(pg_result *result) : m_result(result) {}
PgResult::~PgResult() { PQclear(m_result); }
PgResult::PgResult(PgResult &&other) noexcept : m_result(std::exchange(other.m_result, nullptr)) {}
PgResult &PgResult::operator=(PgResult &&other) noexcept
{
    std::swap(m_result, other.m_result);
    return *this;
}
int PgResult::rows() const { return m_result ? PQntuples(m_result) : 0; }
int PgResult::columns() const { return m_result ? PQnfields(m_result) : 0; }
bool PgResult::isNull(int row, int column) const { return PQgetisnull(m_result, row, column) != 0; }
const char *PgResult::raw(int row, int column) const { return PQgetvalue(m_result, row, column); }
int PgResult::length(int row, int column) const { return PQgetlength(m_result, row, column); }
QString PgResult::text(int row, int column) const
{
    if (isNull(row, column))
        return QString();
    return QString::fromUtf8(raw(row, column), length(row, column));
}
qint64 PgResult::int64(int row, int column) const { return std::strtoll(raw(row, column), nullptr, 10); }
bool PgResult::boolean(int row, int column) const { return raw(row, column)[0] == 't'; }

PgConnection::PgConnection(const QString &conninfo)
{
    m_conn = PQconnectdb(conninfo.toUtf8().constData());
    if (PQstatus(m_conn) != CONNECTION_OK) {
        const QString why = QString::fromUtf8(PQerrorMessage(m_conn)).trimmed();
        const QString host = QString::fromUtf8(PQhost(m_conn)), port = QString::fromUtf8(PQport(m_conn));
        const QString server = port.isEmpty() ? host : host + QLatin1Char(':') + port;
        const QString database = QString::fromUtf8(PQdb(m_conn)), user = QString::fromUtf8(PQuser(m_conn));
        PQfinish(m_conn);
        m_conn = nullptr;
        refuseConnection(why, server, database, user);
    }
    // The server's notices (e.g. "already a member of role") are not for the user.
    PQsetNoticeProcessor(m_conn, [](void *, const char *) {}, nullptr);
    // A constructor that throws runs no destructor: a server that goes away between the
    // login and the first statement must not keep the connection open in this process.
    try {
        setUp();
    } catch (...) {
        PQfinish(m_conn);
        m_conn = nullptr;
        throw;
    }
}

void PgConnection::setUp()
{
    PQsetClientEncoding(m_conn, "UTF8");
    exec("SET search_path = dw, pg_temp");
}

void PgConnection::refuseConnection(const QString &why, const QString &server, const QString &database, const QString &user)
{
    // libpq tells why only in words: the server's refusals of a login or a database are
    // told apart from a server that cannot be reached.
    const auto has = [&](const char *text) { return why.contains(QLatin1String(text), Qt::CaseInsensitive); };
    // The client's own refusals of a server that could not prove who it is (TLS with a
    // checked certificate, channel binding): nothing of the login was sent.
    if (has("channel binding") || has("certificate") || has("SSL") || has("does not match host name")) {
        throw DwError(DwError::PermissionDenied,
                      QStringLiteral("De server %1 kon niet bewijzen dat hij de echte server is; er is niets van de "
                                     "aanmelding verstuurd (%2).").arg(server, why));
    }
    if (has("password authentication failed") || has("no password supplied") || has("SCRAM")) {
        throw DwError(DwError::PermissionDenied,
                      QStringLiteral("De server weigert de aanmelding van '%1': de gebruiker is onbekend of het "
                                     "wachtwoord is onjuist.").arg(user));
    }
    if (has("peer authentication failed") || has("ident authentication failed") || has("GSSAPI authentication failed")) {
        throw DwError(DwError::PermissionDenied,
                      QStringLiteral("De server weigert de aanmelding met het account '%1' van het besturingssysteem.")
                          .arg(user));
    }
    if (has("authentication") || has("pg_hba.conf") || has("permission denied")) {
        throw DwError(DwError::PermissionDenied,
                      QStringLiteral("De server weigert de aanmelding van '%1': %2").arg(user, why));
    }
    if (has("database") && has("does not exist"))
        throw DwError(DwError::ItemNotFound, QStringLiteral("De database '%1' ontbreekt op de server.").arg(database));
    throw DwError(DwError::CannotCreateObject,
                  QStringLiteral("De server %1 is niet bereikbaar (%2).").arg(server.isEmpty() ? QStringLiteral("op deze computer") : server, why));
}

PgConnection::~PgConnection()
{
    PQfinish(m_conn);
}

void PgConnection::fail(pg_result *result)
{
    // The error fields live inside the result: copy them before the result is freed.
    const QByteArray state(result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr);
    const char *primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    const qint32 number = errorNumber(state.isNull() ? nullptr : state.constData());
    QString text = QString::fromUtf8(primary ? primary : PQerrorMessage(m_conn)).trimmed();
    PQclear(result);
    if (state.isEmpty() && broken()) {
        throw DwError(number, QStringLiteral("De verbinding met de server is verbroken (%1); de volgende opdracht maakt "
                                             "opnieuw verbinding.").arg(brokenText(text)));
    }
    if (state == LockTimedOut) {
        // Another session holds what this one waited for. Sessions of store users that keep
        // a transaction open past the store's time-outs are ended, so the next try finds it
        // free unless someone is really at work on it.
        m_lockTimedOut = true;
        if (PQtransactionStatus(m_conn) == PQTRANS_IDLE)
            endStuckSessions();
        throw DwError(number, QStringLiteral("Het bestand of de map wordt op dit moment door een andere sessie vastgehouden; "
                                             "probeer het zo opnieuw."));
    }
    if (state == StatementTimedOut)
        throw DwError(number, QStringLiteral("De server heeft de opdracht afgebroken: ze duurde langer dan de store toestaat."));
    if (state == IdleTimedOut)
        throw DwError(number, QStringLiteral("De server heeft de verbinding beëindigd: een transactie stond langer open dan de "
                                             "store toestaat."));
    // The store's own refusals are sentences already; the server's other errors are not.
    if (number == DwError::DatabaseError || (state.startsWith("23") && !text.startsWith("Er ")))
        text = QStringLiteral("Databasefout: %1.").arg(text.endsWith(QLatin1Char('.')) ? text.chopped(1) : text);
    throw DwError(number, text);
}

bool PgConnection::send(const char *sql, const QVariantList &params, int resultFormat)
{
    std::vector<QByteArray> values;
    std::vector<const char *> pointers;
    std::vector<int> lengths, formats;
    values.reserve(std::size_t(params.size()));
    for (const QVariant &v : params) {
        const bool binary = v.typeId() == QMetaType::QByteArray;
        if (v.isNull())
            values.emplace_back();
        else if (binary)
            values.push_back(v.toByteArray());
        else
            values.push_back(v.typeId() == QMetaType::Bool ? QByteArray(v.toBool() ? "true" : "false") : v.toString().toUtf8());
        pointers.push_back(v.isNull() ? nullptr : values.back().constData());
        lengths.push_back(int(values.back().size()));
        formats.push_back(binary ? 1 : 0);
    }
    return PQsendQueryParams(m_conn, numbered(sql).constData(), int(pointers.size()), nullptr, pointers.data(),
                             lengths.data(), formats.data(), resultFormat) == 1;
}

void PgConnection::beginNow()
{
    if (std::exchange(m_beginPending, false))
        exec("BEGIN");
}

void PgConnection::afterStatement()
{
    if (m_hook) {
        collect();
        if (!m_pending.isEmpty())
            m_hook();
    }
}

pg_result *PgConnection::run(const std::vector<Statement> &statements, pg_result **failed)
{
    // More than one statement go in one message (libpq's pipeline mode): one round trip.
    const bool pipelined = statements.size() > 1;
    bool sent = !pipelined || PQenterPipelineMode(m_conn) == 1;
    for (const Statement &statement : statements)
        sent = sent && send(statement.sql, statement.params, statement.resultFormat);
    if (!sent || (pipelined && PQpipelineSync(m_conn) != 1)) {
        if (pipelined)
            PQexitPipelineMode(m_conn);
        fail(nullptr);
    }
    // The last result is the answer; an error among them wins. In a pipeline a null ends each
    // statement's answers, and the sync ends the whole.
    pg_result *result = nullptr;
    *failed = nullptr;
    for (std::size_t ends = 0;;) {
        pg_result *next = PQgetResult(m_conn);
        if (!next) {
            if (!pipelined || broken() || ++ends > statements.size())
                break;
            continue;
        }
        const ExecStatusType status = PQresultStatus(next);
        if (status == PGRES_PIPELINE_SYNC) {
            PQclear(next);
            break;
        }
        // libpq keeps a stream's single-row mode for the first statement of a pipeline that
        // follows it: that statement (a BEGIN, or one before a COMMIT) may answer row by row,
        // and its rows are not wanted.
        if (status == PGRES_SINGLE_TUPLE) {
            PQclear(next);
            continue;
        }
        if (!*failed && status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            *failed = next;
            continue;
        }
        PQclear(result);
        result = next;
    }
    if (pipelined)
        PQexitPipelineMode(m_conn);
    if (*failed)
        PQclear(std::exchange(result, nullptr));
    return result;
}

PgResult PgConnection::exec(const char *sql, const QVariantList &params)
{
    return execAs(sql, params, 0);
}

PgResult PgConnection::execBinary(const char *sql, const QVariantList &params)
{
    return execAs(sql, params, 1);
}

PgResult PgConnection::execAs(const char *sql, const QVariantList &params, int resultFormat)
{
    if (!revive(sql))
        return PgResult();
    // A transaction begins with its first statement, BEGIN and it in one message. A rollback
    // before it has nothing to end.
    const bool begin = std::exchange(m_beginPending, false);
    if (begin && std::strcmp(sql, "ROLLBACK") == 0)
        return PgResult();
    pg_result *failed = nullptr;
    pg_result *result = begin ? run({{"BEGIN", {}}, {sql, params, resultFormat}}, &failed)
                              : run({{sql, params, resultFormat}}, &failed);
    if (failed) {
        if (resendable(sql, begin)) {
            PQclear(failed);
            reopen();
            m_beginPending = begin;
            return execAs(sql, params, resultFormat);
        }
        fail(failed);
    }
    afterStatement();
    return PgResult(result);
}

void PgConnection::stream(const char *sql, const QVariantList &params, const std::function<void(const PgResult &row)> &row)
{
    revive(sql);
    beginNow();
    if (!send(sql, params, 1) || PQsetSingleRowMode(m_conn) != 1)
        fail(nullptr);
    pg_result *failed = nullptr;
    std::exception_ptr thrown;
    while (pg_result *next = PQgetResult(m_conn)) {
        const ExecStatusType status = PQresultStatus(next);
        if (status == PGRES_SINGLE_TUPLE && !thrown && !failed) {
            PgResult one(next);
            try {
                row(one);
            } catch (...) {
                // The rest is not wanted: the server stops sending, and what is on its way
                // is read and dropped, so the connection can take the next statement.
                thrown = std::current_exception();
                if (PGcancel *cancel = PQgetCancel(m_conn)) {
                    char why[256];
                    PQcancel(cancel, why, sizeof why);
                    PQfreeCancel(cancel);
                }
            }
        } else if (!failed && status != PGRES_SINGLE_TUPLE && status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
            failed = next;
        } else {
            PQclear(next);
        }
    }
    if (thrown) {
        PQclear(failed);
        std::rethrow_exception(thrown);
    }
    if (failed)
        fail(failed);
    afterStatement();
}

void PgConnection::script(const QString &sql)
{
    revive(nullptr);
    beginNow();
    pg_result *result = PQexec(m_conn, sql.toUtf8().constData());
    const ExecStatusType status = PQresultStatus(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        fail(result);
    PQclear(result);
}

int PgConnection::socket() const
{
    return PQsocket(m_conn);
}

void PgConnection::collect()
{
    while (PGnotify *n = PQnotifies(m_conn)) {
        if (n->be_pid != PQbackendPID(m_conn))
            m_pending.append({QByteArray(n->relname), QString::fromUtf8(n->extra)});
        PQfreemem(n);
    }
}

QList<QString> PgConnection::takeNotifications(const char *channel)
{
    QList<QString> payloads;
    for (const auto &[name, payload] : takeNotifications()) {
        if (name == channel)
            payloads << payload;
    }
    return payloads;
}

QList<std::pair<QByteArray, QString>> PgConnection::takeNotifications()
{
    PQconsumeInput(m_conn);
    collect();
    return std::exchange(m_pending, {});
}

QString PgConnection::conninfo(const QList<std::pair<const char *, QString>> &parts)
{
    QStringList out;
    for (const auto &[key, value] : parts) {
        if (value.isEmpty())
            continue;
        QString quoted = value;
        quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('\''), QLatin1String("\\'"));
        out << QStringLiteral("%1='%2'").arg(QLatin1String(key), quoted);
    }
    return out.join(QLatin1Char(' '));
}

QString PgConnection::intArray(const QList<qint32> &ids)
{
    QStringList parts;
    for (qint32 id : ids)
        parts << QString::number(id);
    return QLatin1Char('{') + parts.join(QLatin1Char(',')) + QLatin1Char('}');
}

QString PgConnection::identifier(const QString &name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

PgTransaction::PgTransaction(PgConnection &connection) : m_connection(connection)
{
    m_connection.begin();
}

PgTransaction::~PgTransaction()
{
    if (!m_done) {
        try {
            m_connection.exec("ROLLBACK");
        } catch (...) {
            // A broken connection rolls back by itself.
        }
        if (std::exchange(m_connection.m_lockTimedOut, false))
            m_connection.endStuckSessions();
    }
}

void PgConnection::endStuckSessions() noexcept
{
    m_lockTimedOut = false;
    pg_result *result = PQexec(m_conn, "SELECT dw.end_stuck_sessions()");
    // A store made before the function existed, or a caller who is no store user: nothing
    // to do.
    PQclear(result);
}

QString PgConnection::encryptPassword(const QString &password, const QString &role)
{
    // Hashed here with the server's own method (SCRAM-SHA-256): the server, its statement
    // log and anyone who reads either see only the verifier.
    char *hashed = PQencryptPasswordConn(m_conn, password.toUtf8().constData(), role.toUtf8().constData(), "scram-sha-256");
    if (!hashed) {
        throw DwError(DwError::DatabaseError,
                      QStringLiteral("Het wachtwoord kan niet worden versleuteld: %1").arg(QString::fromUtf8(PQerrorMessage(m_conn)).trimmed()));
    }
    const QString verifier = QString::fromUtf8(hashed);
    PQfreemem(hashed);
    return verifier;
}

void PgTransaction::commit(const char *last, const QVariantList &params)
{
    m_connection.commit(last, params);
    m_done = true;
}

} // namespace dwfm::store::pg
