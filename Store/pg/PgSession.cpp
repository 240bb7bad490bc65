#include "pg/PgSession.h"

#include "StoreFolders.h"
#include "SessionRegistry.h"
#include "pg/PgChanges.h"
#include "pg/PgIndexer.h"
#include "search/ContentIndexer.h"
#include "pg/PgSchemaSql.h"
#include "DwError.h"

#include <libpq-fe.h>

#include <algorithm>

namespace dwfm::store::pg {

PgSession::PgSession() = default;
PgSession::~PgSession() = default;

namespace {
// The settings of one of libpq's own forms, in the order libpq gives them; throws when libpq
// cannot read the text.
QList<std::pair<QByteArray, QString>> parsedSettings(const QString &text)
{
    char *error = nullptr;
    PQconninfoOption *options = PQconninfoParse(text.toUtf8().constData(), &error);
    if (!options) {
        const QString why = error ? QString::fromUtf8(error).trimmed() : QString();
        PQfreemem(error);
        throw DwError(DwError::InputError, QStringLiteral("De serveraanduiding is niet leesbaar: %1").arg(why));
    }
    QList<std::pair<QByteArray, QString>> settings;
    for (const PQconninfoOption *o = options; o->keyword; ++o) {
        if (o->val && *o->val)
            settings.append({QByteArray(o->keyword), QString::fromUtf8(o->val)});
    }
    PQconninfoFree(options);
    return settings;
}
} // namespace

bool PgSession::isConnectionText(const QString &server)
{
    const QString srv = server.trimmed();
    return srv.startsWith(QLatin1String("postgresql://")) || srv.startsWith(QLatin1String("postgres://"))
        || srv.contains(QLatin1Char('='));
}

QString PgSession::shownServer(const QString &server)
{
    if (!isConnectionText(server))
        return server.trimmed();
    QStringList shown;
    for (const auto &[key, value] : parsedSettings(server)) {
        if (key != "password")
            shown << QStringLiteral("%1=%2").arg(QString::fromLatin1(key), value);
    }
    return shown.join(QLatin1Char(' '));
}

QString PgSession::conninfo(const QString &server, const QString &database, const QString &user,
                            const QString &password)
{
    const QString srv = server.trimmed();
    QList<std::pair<QByteArray, QString>> settings;
    if (isConnectionText(srv)) {
        settings = parsedSettings(srv);
    } else {
        // ":port" (no host): this computer through its Unix socket (libpq's socket folder, or
        // PGHOST), where the server can recognise the operating-system account (peer).
        const int colon = srv.lastIndexOf(QLatin1Char(':'));
        settings = {{"host", colon >= 0 ? srv.left(colon) : srv}, {"port", colon >= 0 ? srv.mid(colon + 1) : QString()}};
    }
    const auto has = [&](const char *key) {
        return std::any_of(settings.begin(), settings.end(), [&](const auto &s) { return s.first == key; });
    };
    // A server that does not answer is reported after a few seconds, not after the minutes
    // of a TCP time-out, unless the server text says otherwise.
    if (!has("connect_timeout"))
        settings.append({"connect_timeout", QStringLiteral("3")});
    if (!has("application_name"))
        settings.append({"application_name", QStringLiteral("DwFileStore")});
    // Later settings win: the catalogue and the login are the caller's.
    settings.append({"dbname", database});
    settings.append({"user", user});
    settings.append({"password", password});
    QList<std::pair<const char *, QString>> parts;
    for (const auto &[key, value] : settings)
        parts.append({key.constData(), value});
    return PgConnection::conninfo(parts);
}

void PgSession::requireSchema(int version, const QString &catalogue)
{
    if (version >= 2 && version < PgSchemaVersion) {
        throw DwError(DwError::DatabaseError,
                      QStringLiteral("De store '%1' heeft een oudere opbouw (versie %2): een beheerder werkt hem bij met "
                                     "een dwstore --server ... opdracht, bijvoorbeeld check.").arg(catalogue).arg(version));
    }
    if (version < PgSchemaVersion) {
        throw DwError(DwError::DatabaseError,
                      QStringLiteral("De store '%1' heeft een oudere opbouw (versie %2): een beheerder werkt hem bij met "
                                     "dwstore --server ... import-share MAP.").arg(catalogue).arg(version));
    }
    if (version > PgSchemaVersion) {
        throw DwError(DwError::DatabaseError,
                      QStringLiteral("De store '%1' is gemaakt door een nieuwere versie van dit programma (opbouw %2).")
                          .arg(catalogue).arg(version));
    }
}

bool PgSession::Connect(const QString &strServer, const QString &strUser, const QString &strPassWord,
                        const QString &strCatalog, bool bSQLSecurity)
{
    return connectWith([&] {
        const QString catalogue = strCatalog.trimmed().isEmpty() ? StoreFolders::defaultCatalogue() : strCatalog.trimmed();
        // Integrated security logs in as the process's real account, whatever the environment
        // (USER, PGUSER) claims; the server checks it (peer, GSS). With SQL security and no
        // user, libpq's own login applies (PGUSER, PGPASSWORD, ~/.pgpass).
        const QString login = bSQLSecurity ? strUser.trimmed().toLower() : StoreFolders::osAccount().toLower();
        const QString info = conninfo(strServer, catalogue, login, bSQLSecurity ? strPassWord : QString());
        auto connection = std::make_shared<PgConnection>(info);
        const PgResult version = connection->exec("SELECT value, to_regprocedure('dw.mark_request(uuid)') IS NOT NULL "
                                                  "FROM store_info WHERE key = 'schema_version'");
        if (version.rows() == 0)
            throw DwError(DwError::DatabaseError, QStringLiteral("De database '%1' is geen documentenstore.").arg(catalogue));
        requireSchema(version.text(0, 0).toInt(), catalogue);
        // A commit whose answer gets lost is settled by asking the server (PgRequestsSql.h).
        connection->setRequestMarks(version.boolean(0, 1));
        const PgResult me = connection->exec("SELECT user_id, full_name, is_admin, is_readonly, working_root FROM users "
                                             "WHERE user_key = lower(session_user::text)");
        if (me.rows() == 0) {
            const PgResult who = connection->exec("SELECT session_user::text");
            throw DwError(DwError::PermissionDenied,
                          QStringLiteral("De gebruiker '%1' is onbekend in deze store.").arg(who.text(0, 0)));
        }
        UserInfo user{me.text(0, 0), me.text(0, 1), me.boolean(0, 2), me.boolean(0, 3), me.text(0, 4)};
        // The drop folder is named after the server as it may be shown: a password in the
        // server text never becomes part of a path.
        const QString shown = shownServer(strServer);
        m_context = std::make_shared<PgContext>(connection, shown, catalogue, StoreFolders::serverDropFolder(shown, catalogue), user);
        // The same switch as the embedded store's indexing (off only to measure its cost).
        if (ContentIndexer::enabled()) {
            m_indexer = std::make_unique<PgIndexer>(info);
            m_indexer->start(QThread::LowPriority);
        }
    }, [&] {
        m_indexer.reset();
        m_changes.reset();
    });
}

SessionChanges *PgSession::Changes()
{
    if (!m_changes && m_context) {
        try {
            m_changes = std::make_unique<PgChanges>(m_context->connection());
        } catch (const DwError &e) {
            m_context->setLastError(e.number(), e.description());
        }
    }
    return m_changes.get();
}

} // namespace dwfm::store::pg
