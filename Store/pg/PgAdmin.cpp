#include "pg/PgAdmin.h"

#include "StoreFolders.h"
#include "fs/NameRules.h"
#include "pg/PgConnection.h"
#include "pg/PgContentSql.h"
#include "pg/PgFunctionsSql.h"
#include "pg/PgRequestsSql.h"
#include "pg/PgSearch.h"
#include "pg/PgSchemaSql.h"
#include "pg/PgSession.h"
#include "pg/PgSessionLimitsSql.h"
#include "pg/PgSlowLinkSql.h"
#include "pg/PgStoreCheck.h"
#include "DwError.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace dwfm::store::pg {

namespace {
// Runs a statement built on the server with format() from parameters, for the commands
// that take no parameters (CREATE ROLE, CREATE DATABASE).
void formatted(PgConnection &db, const char *format, const QVariantList &params)
{
    const PgResult r = db.exec(format, params);
    db.script(r.text(0, 0));
}

// The role-settings of the store's time-outs and the keys they are kept under.
constexpr std::pair<const char *, qint64 PgAdmin::SessionLimits::*> Limits[] = {
    {"lock_timeout", &PgAdmin::SessionLimits::lockMs},
    {"idle_in_transaction_session_timeout", &PgAdmin::SessionLimits::idleMs},
    {"statement_timeout", &PgAdmin::SessionLimits::statementMs},
};
} // namespace

PgAdmin::PgAdmin(QString server, QString catalogue) : m_server(std::move(server)), m_catalogue(std::move(catalogue)) {}
PgAdmin::~PgAdmin() = default;

PgConnection &PgAdmin::db()
{
    if (!m_db) {
        m_db = std::make_unique<PgConnection>(PgSession::conninfo(m_server, m_catalogue, QString(), QString()));
        // A store made before its users' sessions had limits gets them now.
        if (m_db->exec("SELECT 1 FROM pg_proc WHERE proname = 'end_stuck_sessions' AND pronamespace = 'dw'::regnamespace")
                .rows() == 0) {
            PgTransaction tx(*m_db);
            m_db->script(withRoles(PgSessionLimitsSql));
            for (const UserRecord &u : users())
                limitRole(*m_db, u.id.toLower());
            tx.commit();
        }
        // A store made before its sessions marked their commits gets the marks now.
        if (m_db->exec("SELECT to_regprocedure('dw.mark_request(uuid)') IS NULL AND to_regclass('dw.store_info') IS NOT NULL")
                .boolean(0, 0)) {
            PgTransaction tx(*m_db);
            m_db->script(withRoles(PgRequestsSql));
            tx.commit();
        }
        // A store of the version before this one lacks only functions: it gets them now, and its
        // users' sessions can connect again.
        if (m_db->exec("SELECT 1 FROM dw.store_info WHERE key = 'schema_version' AND value = '2'").rows() > 0)
            upgrade();
        // A store that keeps its content but was made before it could search, or before its
        // search kept the folded names, gets its search now.
        if (m_db->exec("SELECT to_regclass('dw.contents') IS NOT NULL").boolean(0, 0) && !PgSearch::upToDate(*m_db)) {
            PgTransaction tx(*m_db);
            PgSearch::install(*this, *m_db);
            tx.commit();
        }
    }
    return *m_db;
}

std::unique_ptr<PgConnection> PgAdmin::serverConnection() const
{
    return std::make_unique<PgConnection>(PgSession::conninfo(m_server, QStringLiteral("postgres"), QString(), QString()));
}

FileStoreSession &PgAdmin::store()
{
    if (!m_session) {
        auto session = std::make_unique<PgSession>();
        // No user: libpq's own login (PGUSER and PGPASSWORD, ~/.pgpass, or the account).
        if (!session->Connect(m_server, QString(), QString(), m_catalogue, true))
            throw DwError(session->Database().LastErrorNumber(), session->Database().LastError());
        m_session = std::move(session);
    }
    return *m_session;
}

QString PgAdmin::ownerRole() const
{
    return m_catalogue.toLower() + QStringLiteral("_owner");
}

QString PgAdmin::usersRole() const
{
    return m_catalogue.toLower() + QStringLiteral("_users");
}

QString PgAdmin::withRoles(const char *script) const
{
    return QString::fromUtf8(script)
        .replace(QStringLiteral("{owner}"), PgConnection::identifier(ownerRole()))
        .replace(QStringLiteral("{users}"), PgConnection::identifier(usersRole()));
}

void PgAdmin::installFunctions(PgConnection &c)
{
    c.script(withRoles(PgFunctionsSql));
    c.script(withRoles(PgContentSql));
    c.script(withRoles(PgSlowLinkSql));
    // The functions were all dropped and made again: the one that ends stuck sessions too.
    c.script(withRoles(PgSessionLimitsSql));
    c.script(withRoles(PgRequestsSql));
    PgSearch::install(*this, c);
    c.exec("UPDATE dw.store_info SET value = ? WHERE key = 'schema_version'", {PgSchemaVersion});
}

void PgAdmin::createStore()
{
    {
        PgConnection server(PgSession::conninfo(m_server, QStringLiteral("postgres"), QString(), QString()));
        if (server.exec("SELECT 1 FROM pg_database WHERE datname = ?", {m_catalogue}).rows() > 0)
            throw DwError(DwError::FileAlreadyExists, QStringLiteral("De database '%1' bestaat al.").arg(m_catalogue));
        for (const QString &role : {ownerRole(), usersRole()}) {
            if (server.exec("SELECT 1 FROM pg_roles WHERE rolname = ?", {role}).rows() == 0)
                formatted(server, "SELECT format('CREATE ROLE %I NOLOGIN', ?::text)", {role});
        }
        formatted(server, "SELECT format('GRANT %I TO CURRENT_USER', ?::text)", {ownerRole()});
        formatted(server, "SELECT format('CREATE DATABASE %I OWNER %I ENCODING ''UTF8'' TEMPLATE template0', ?::text, ?::text)",
                  {m_catalogue, ownerRole()});
        formatted(server, "SELECT format('REVOKE ALL ON DATABASE %I FROM PUBLIC', ?::text)", {m_catalogue});
        formatted(server, "SELECT format('GRANT CONNECT ON DATABASE %I TO %I', ?::text, ?::text)",
                  {m_catalogue, usersRole()});
    }
    // The store's own connection (db()) would first look for the session limits, which a
    // new database has not got yet.
    PgConnection c(PgSession::conninfo(m_server, m_catalogue, QString(), QString()));
    PgTransaction tx(c);
    c.script(withRoles(PgRecordTablesSql));
    c.script(withRoles(PgContentTablesSql));
    c.exec("INSERT INTO dw.store_info (key, value) VALUES ('schema_version', '0')");
    installFunctions(c);
    tx.commit();
}

int PgAdmin::upgrade()
{
    PgConnection &c = db();
    PgTransaction tx(c);
    const PgResult r = c.exec("SELECT value::integer FROM dw.store_info WHERE key = 'schema_version' FOR UPDATE");
    const int version = r.rows() ? int(r.int64(0, 0)) : 0;
    if (version == PgSchemaVersion)
        return version;
    if (version < 1)
        throw DwError(DwError::DatabaseError, QStringLiteral("De database '%1' is geen documentenstore.").arg(m_catalogue));
    if (version > PgSchemaVersion)
        PgSession::requireSchema(version, m_catalogue);
    // Version 1 kept the content on a shared folder: the content tables are new, and the
    // files get their content when the share is moved in (PgShareImport). Later versions
    // differ in their functions only.
    if (version < 2)
        c.script(withRoles(PgContentTablesSql));
    installFunctions(c);
    tx.commit();
    return version;
}

bool PgAdmin::exists()
{
    return serverConnection()->exec("SELECT 1 FROM pg_database WHERE datname = ?", {m_catalogue}).rows() > 0;
}

bool PgAdmin::nameTaken(const QString &id)
{
    return serverConnection()->exec("SELECT 1 FROM pg_roles WHERE rolname = ?", {id.trimmed().toLower()}).rows() > 0;
}

void PgAdmin::dropStore()
{
    QStringList roles;
    for (const UserRecord &u : users())
        roles << u.id.toLower();
    m_session.reset();
    m_db.reset();
    const auto server = serverConnection();
    formatted(*server, "SELECT format('DROP DATABASE %I WITH (FORCE)', ?::text)", {m_catalogue});
    PgTransaction tx(*server);
    for (const QString &role : std::as_const(roles))
        dropRole(*server, role);
    for (const QString &group : {usersRole(), ownerRole()})
        formatted(*server, "SELECT format('DROP ROLE IF EXISTS %I', ?::text)", {group});
    tx.commit();
}

QString PgAdmin::dropRole(PgConnection &c, const QString &role)
{
    const PgResult others = c.exec("SELECT string_agg(g.rolname, ', ' ORDER BY g.rolname) FROM pg_auth_members m "
                                   "JOIN pg_roles g ON g.oid = m.roleid JOIN pg_roles r ON r.oid = m.member "
                                   "WHERE r.rolname = ? AND g.rolname <> ?",
                                   {role, usersRole()});
    if (others.isNull(0, 0)) {
        formatted(c, "SELECT format('DROP ROLE IF EXISTS %I', ?::text)", {role});
        return QString();
    }
    formatted(c, "SELECT format('REVOKE %I FROM %I', ?::text, ?::text)", {usersRole(), role});
    return QStringLiteral("De rol '%1' blijft bestaan: ze hoort ook bij %2.").arg(role, others.text(0, 0));
}

bool PgAdmin::takeUpRole(PgConnection &c, const QString &role)
{
    const PgResult r = c.exec("SELECT r.rolsuper OR r.rolcreaterole OR r.rolcreatedb OR r.rolreplication OR r.rolbypassrls, "
                              "EXISTS (SELECT 1 FROM pg_auth_members m JOIN pg_roles g ON g.oid = m.roleid "
                              "        WHERE m.member = r.oid AND g.rolname = ?) "
                              "FROM pg_roles r WHERE r.rolname = ?",
                              {usersRole(), role});
    if (r.rows() == 0)
        return false;
    if (!r.boolean(0, 1)) {
        throw DwError(DwError::PermissionDenied,
                      QStringLiteral("Er bestaat op de server al een rol '%1' die niet bij deze store hoort. Een rol geldt "
                                     "voor alle databases van de server: de store neemt geen rol over die een andere store "
                                     "of de server zelf gebruikt, want haar wachtwoord en rechten zouden dan veranderen. "
                                     "Kies een andere naam.").arg(role));
    }
    if (r.boolean(0, 0)) {
        throw DwError(DwError::PermissionDenied,
                      QStringLiteral("De rol '%1' heeft beheerrechten op de server; een gebruiker van de store moet een "
                                     "gewone rol zijn.").arg(role));
    }
    return true;
}

void PgAdmin::limitRole(PgConnection &c, const QString &role)
{
    for (const auto &[key, member] : Limits) {
        const PgResult value = c.exec("SELECT value FROM dw.store_info WHERE key = ?", {QString::fromLatin1(key)});
        formatted(c, "SELECT format('ALTER ROLE %I IN DATABASE %I SET %s = %L', ?::text, ?::text, ?::text, ?::text)",
                  {role, m_catalogue, QString::fromLatin1(key), value.text(0, 0)});
    }
}

PgAdmin::SessionLimits PgAdmin::sessionLimits()
{
    SessionLimits limits;
    for (const auto &[key, member] : Limits)
        limits.*member = db().exec("SELECT value::bigint FROM dw.store_info WHERE key = ?", {QString::fromLatin1(key)}).int64(0, 0);
    return limits;
}

void PgAdmin::setSessionLimits(const SessionLimits &limits)
{
    PgConnection &c = db();
    PgTransaction tx(c);
    for (const auto &[key, member] : Limits) {
        // Zero would turn the limit off for everyone.
        if (limits.*member <= 0)
            throw DwError(DwError::InputError, QStringLiteral("Een time-out moet langer dan 0 ms zijn."));
        c.exec("UPDATE dw.store_info SET value = ? WHERE key = ?", {QString::number(limits.*member), QString::fromLatin1(key)});
    }
    for (const UserRecord &u : users())
        limitRole(c, u.id.toLower());
    tx.commit();
}

void PgAdmin::requireAddable(const QString &id)
{
    NameRules::require(id.trimmed());
    const QString role = id.trimmed().toLower();
    if (db().exec("SELECT 1 FROM dw.users WHERE user_key = ?", {role}).rows() > 0)
        throw DwError(DwError::IntegrityViolation, QStringLiteral("De gebruiker '%1' bestaat al.").arg(id.trimmed()));
    takeUpRole(db(), role);
}

void PgAdmin::addUser(const QString &id, const UserChange &settings)
{
    requireAddable(id);
    const QString role = id.trimmed().toLower();
    PgConnection &c = db();
    PgTransaction tx(c);
    if (!takeUpRole(c, role))
        formatted(c, "SELECT format('CREATE ROLE %I LOGIN', ?::text)", {role});
    formatted(c, "SELECT format('GRANT %I TO %I', ?::text, ?::text)", {usersRole(), role});
    c.exec("INSERT INTO dw.users (user_id, user_key, full_name) VALUES (?, ?, ?)",
           {id.trimmed(), role, settings.name.value_or(id.trimmed())});
    limitRole(c, role);
    applyChange(c, role, settings);
    tx.commit();
}

RemovedUser PgAdmin::removeUser(const QString &id, HeldFiles held)
{
    const QString role = id.trimmed().toLower();
    PgConnection &c = db();
    PgTransaction tx(c);
    const PgResult user = c.exec("SELECT user_id FROM dw.users WHERE user_key = ?", {role});
    if (user.rows() == 0)
        throw DwError(DwError::ItemNotFound, QStringLiteral("De gebruiker '%1' bestaat niet.").arg(id));
    const PgResult files = c.exec("SELECT project_id FROM dw.projects WHERE checked_out AND lower(user_id) = ? FOR UPDATE", {role});
    requireDecision(user.text(0, 0), files.rows(), held);
    RemovedUser removed;
    if (held == HeldFiles::Release) {
        // As an administrator undoing them: the history says for whom; the clients of the
        // locations are told.
        c.exec("INSERT INTO dw.history (project_id, action, action_at, user_name, memo) "
               "SELECT project_id, 'In gebruik nemen ongedaan gemaakt', (extract(epoch FROM clock_timestamp()) * 1000)::bigint, "
               "       session_user, format('Voor %s. Gebruiker verwijderd.', user_id) "
               "  FROM dw.projects WHERE checked_out AND lower(user_id) = ?",
               {role});
        const PgResult released = c.exec("UPDATE dw.projects SET checked_out = false, user_id = NULL, checkout_at = NULL, "
                                         "computer_name = NULL, checkout_folder = NULL, checkout_remark = NULL "
                                         "WHERE checked_out AND lower(user_id) = ? RETURNING location_id",
                                         {role});
        QSet<QString> told;
        for (int i = 0; i < released.rows(); ++i) {
            if (!told.contains(released.text(i, 0)))
                c.exec("SELECT pg_notify('dw_changes', ?)", {*told.insert(released.text(i, 0))});
        }
        removed.released = released.rows();
    } else {
        removed.kept = files.rows();
    }
    c.exec("DELETE FROM dw.user_roots WHERE user_key = ?", {role});
    c.exec("DELETE FROM dw.users WHERE user_key = ?", {role});
    formatted(c, "SELECT format('ALTER ROLE %I IN DATABASE %I RESET ALL', ?::text, ?::text)", {role, m_catalogue});
    removed.note = dropRole(c, role);
    tx.commit();
    return removed;
}

void PgAdmin::changeUser(const QString &id, const UserChange &change)
{
    const QString role = id.trimmed().toLower();
    PgConnection &c = db();
    PgTransaction tx(c);
    if (c.exec("SELECT 1 FROM dw.users WHERE user_key = ?", {role}).rows() == 0)
        throw DwError(DwError::ItemNotFound, QStringLiteral("De gebruiker '%1' bestaat niet.").arg(id));
    applyChange(c, role, change);
    tx.commit();
}

void PgAdmin::applyChange(PgConnection &c, const QString &role, const UserChange &change)
{
    auto set = [&](const char *sql, const QVariant &value) { c.exec(sql, {value, role}); };
    if (change.name)
        set("UPDATE dw.users SET full_name = ? WHERE user_key = ?", *change.name);
    if (change.password) {
        if (change.password->isEmpty())
            formatted(c, "SELECT format('ALTER ROLE %I PASSWORD NULL', ?::text)", {role});
        else
            formatted(c, "SELECT format('ALTER ROLE %I PASSWORD %L', ?::text, ?::text)",
                      {role, c.encryptPassword(*change.password, role)});
    }
    if (change.admin)
        set("UPDATE dw.users SET is_admin = ? WHERE user_key = ?", *change.admin);
    if (change.readOnly)
        set("UPDATE dw.users SET is_readonly = ? WHERE user_key = ?", *change.readOnly);
    if (change.workingRoot)
        set("UPDATE dw.users SET working_root = ? WHERE user_key = ?",
            change.workingRoot->isEmpty() ? QVariant() : QVariant(QDir(*change.workingRoot).absolutePath()));
    if (change.roots) {
        c.exec("DELETE FROM dw.user_roots WHERE user_key = ?", {role});
        for (qint32 root : *change.roots) {
            if (c.exec("SELECT 1 FROM dw.locations WHERE location_id = ?", {root}).rows() == 0)
                throw DwError(DwError::ItemNotFound, QStringLiteral("Locatie %1 bestaat niet.").arg(root));
            c.exec("INSERT INTO dw.user_roots (user_key, location_id) VALUES (?, ?)", {role, root});
        }
    }
}

QList<UserRecord> PgAdmin::users()
{
    PgConnection &c = db();
    // Whether a role has a password only the server's own catalogue says, which only a
    // superuser may read; for others every user counts as having one.
    const bool superuser = c.exec("SELECT rolsuper FROM pg_roles WHERE rolname = current_user").boolean(0, 0);
    const PgResult r = c.exec(superuser ? "SELECT u.user_id, u.full_name, u.is_admin, u.is_readonly, u.working_root, "
                                          "a.rolpassword IS NOT NULL, u.user_key FROM dw.users u "
                                          "LEFT JOIN pg_authid a ON a.rolname = u.user_key ORDER BY u.user_key"
                                        : "SELECT user_id, full_name, is_admin, is_readonly, working_root, true, user_key "
                                          "FROM dw.users ORDER BY user_key");
    QList<UserRecord> out;
    for (int i = 0; i < r.rows(); ++i) {
        UserRecord u;
        u.id = r.text(i, 0);
        u.name = r.text(i, 1);
        u.admin = r.boolean(i, 2);
        u.readOnly = r.boolean(i, 3);
        u.workingRoot = r.text(i, 4);
        u.hasPassword = r.boolean(i, 5);
        const PgResult roots = c.exec("SELECT location_id FROM dw.user_roots WHERE user_key = ? ORDER BY location_id",
                                      {r.text(i, 6)});
        for (int k = 0; k < roots.rows(); ++k)
            u.roots << qint32(roots.int64(k, 0));
        out << u;
    }
    return out;
}

void PgAdmin::setLocationKind(qint32 locationId, qint32 kind)
{
    if (kind != LocationsService::KindFiles && kind != 1)
        throw DwError(DwError::InputError, QStringLiteral("Het soort locatie %1 bestaat niet (9 = bestanden, 1 = archief).").arg(kind));
    if (db().exec("UPDATE dw.locations SET kind = ? WHERE location_id = ? RETURNING 1", {kind, locationId}).rows() == 0)
        throw DwError(DwError::ItemNotFound, QStringLiteral("Locatie %1 bestaat niet.").arg(locationId));
}

QString PgAdmin::defaultWorkingRoot(const QString &userId)
{
    return StoreFolders::defaultWorkingRoot(m_catalogue, userId);
}

PruneResult PgAdmin::prune(const PruneRules &rules)
{
    if ((rules.keep && *rules.keep < 0) || (rules.olderThanDays && *rules.olderThanDays < 0))
        throw DwError(DwError::InputError, QStringLiteral("Het aantal versies en het aantal dagen mogen niet negatief zijn."));
    PgConnection &c = db();
    PgTransaction tx(c);
    // No version is made or restored meanwhile: what is judged unused stays unused.
    c.exec("LOCK TABLE dw.versions IN SHARE ROW EXCLUSIVE MODE");
    PruneResult result;
    result.versions = int(c.exec(R"SQL(
        WITH ranked AS (SELECT project_id, version, made_at,
                               row_number() OVER (PARTITION BY project_id ORDER BY version DESC) - 1 AS newer
                          FROM dw.versions)
        DELETE FROM dw.versions v USING ranked r, dw.projects p
         WHERE r.project_id = v.project_id AND r.version = v.version AND p.project_id = v.project_id
           AND v.version <> p.version AND NOT (p.checked_out AND v.version = p.checkout_version)
           AND (?::integer IS NULL OR r.newer >= ?::integer)
           AND (?::bigint IS NULL OR v.made_at < dw.now_ms() - ?::bigint * 86400000)
        RETURNING 1)SQL",
                                 {rules.keep ? QVariant(*rules.keep) : QVariant(), rules.keep ? QVariant(*rules.keep) : QVariant(),
                                  rules.olderThanDays ? QVariant(*rules.olderThanDays) : QVariant(),
                                  rules.olderThanDays ? QVariant(*rules.olderThanDays) : QVariant()})
                             .rows());
    // Also what an earlier run or a damaged store left that nobody uses.
    const PgResult gone = c.exec("WITH g AS (DELETE FROM dw.contents c WHERE NOT EXISTS "
                                 "(SELECT 1 FROM dw.versions v WHERE v.content_id = c.content_id) RETURNING size) "
                                 "SELECT count(*), coalesce(sum(size), 0) FROM g");
    result.contents = int(gone.int64(0, 0));
    result.bytes = gone.int64(0, 1);
    tx.commit();
    return result;
}

ContentTotals PgAdmin::storedContent()
{
    const PgResult r = db().exec("SELECT count(*), coalesce(sum(size), 0) FROM dw.contents WHERE NOT uploading");
    return ContentTotals{r.int64(0, 0), r.int64(0, 1)};
}

QStringList PgAdmin::check(bool deep)
{
    return PgStoreCheck(db()).check(deep);
}

QStringList PgAdmin::repair(bool deep)
{
    return PgStoreCheck(db()).repair(deep);
}

QStringList PgAdmin::ownFolders()
{
    return {}; // the server store keeps nothing on disk
}

} // namespace dwfm::store::pg
