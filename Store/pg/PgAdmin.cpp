#include "pg/PgAdmin.h"

#include "StoreFolders.h"
#include "fs/FileOps.h"
#include "fs/NameRules.h"
#include "pg/PgConnection.h"
#include "pg/PgSchemaSql.h"
#include "pg/PgSession.h"
#include "DwError.h"

#include <QDir>
#include <QFileInfo>

namespace dwfm::store::pg {

namespace {
// Runs a statement built on the server with format() from parameters, for the commands
// that take no parameters (CREATE ROLE, CREATE DATABASE).
void formatted(PgConnection &db, const char *format, const QVariantList &params)
{
    const PgResult r = db.exec(format, params);
    db.script(r.text(0, 0));
}
} // namespace

PgAdmin::PgAdmin(QString server, QString catalogue) : m_server(std::move(server)), m_catalogue(std::move(catalogue)) {}
PgAdmin::~PgAdmin() = default;

PgConnection &PgAdmin::db()
{
    if (!m_db)
        m_db = std::make_unique<PgConnection>(PgSession::conninfo(m_server, m_catalogue, QString(), QString()));
    return *m_db;
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

void PgAdmin::createStore(const QString &rootFolder)
{
    if (rootFolder.isEmpty() || QFileInfo(rootFolder).isRelative())
        throw DwError(DwError::InputError, QStringLiteral("Geef de map van de bestanden op als volledig pad (--store MAP)."));
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
    PgConnection db(PgSession::conninfo(m_server, m_catalogue, QString(), QString()));
    QString sql = QString::fromUtf8(PgSchemaSql);
    sql.replace(QStringLiteral("{owner}"), PgConnection::identifier(ownerRole()))
        .replace(QStringLiteral("{users}"), PgConnection::identifier(usersRole()));
    PgTransaction tx(db);
    db.script(sql);
    db.exec("INSERT INTO dw.store_info (key, value) VALUES ('schema_version', '1'), ('root_folder', ?)",
            {QDir::cleanPath(rootFolder)});
    FileOps::makePath(rootFolder);
    tx.commit();
}

bool PgAdmin::exists()
{
    PgConnection server(PgSession::conninfo(m_server, QStringLiteral("postgres"), QString(), QString()));
    return server.exec("SELECT 1 FROM pg_database WHERE datname = ?", {m_catalogue}).rows() > 0;
}

void PgAdmin::dropStore()
{
    const QString root = ownFolders().value(0);
    m_session.reset();
    m_db.reset();
    PgConnection server(PgSession::conninfo(m_server, QStringLiteral("postgres"), QString(), QString()));
    formatted(server, "SELECT format('DROP DATABASE %I WITH (FORCE)', ?::text)", {m_catalogue});
    if (!root.isEmpty())
        QDir(root).removeRecursively();
}

void PgAdmin::addUser(const QString &id, const UserChange &settings)
{
    NameRules::require(id.trimmed());
    const QString role = id.trimmed().toLower();
    PgConnection &c = db();
    PgTransaction tx(c);
    if (c.exec("SELECT 1 FROM dw.users WHERE user_key = ?", {role}).rows() > 0)
        throw DwError(DwError::IntegrityViolation, QStringLiteral("De gebruiker '%1' bestaat al.").arg(id.trimmed()));
    if (c.exec("SELECT 1 FROM pg_roles WHERE rolname = ?", {role}).rows() == 0)
        formatted(c, "SELECT format('CREATE ROLE %I LOGIN', ?::text)", {role});
    formatted(c, "SELECT format('GRANT %I TO %I', ?::text, ?::text)", {usersRole(), role});
    c.exec("INSERT INTO dw.users (user_id, user_key, full_name) VALUES (?, ?, ?)",
           {id.trimmed(), role, settings.name.value_or(id.trimmed())});
    applyChange(c, role, settings);
    tx.commit();
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
            formatted(c, "SELECT format('ALTER ROLE %I PASSWORD %L', ?::text, ?::text)", {role, *change.password});
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

QStringList PgAdmin::ownFolders()
{
    return {db().exec("SELECT value FROM dw.store_info WHERE key = 'root_folder'").text(0, 0)};
}

} // namespace dwfm::store::pg
