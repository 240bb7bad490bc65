#include "pg/PgAdmin.h"

#include "fs/FileOps.h"
#include "pg/PgConnection.h"
#include "pg/PgSchemaSql.h"
#include "pg/PgSession.h"
#include "platform/DwError.h"

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

void PgAdmin::addUser(const QString &id, const PgUserSettings &settings)
{
    const QString role = id.trimmed().toLower();
    if (role.isEmpty())
        throw DwError(DwError::InputError, QStringLiteral("Een gebruiker moet een naam hebben."));
    PgConnection db(PgSession::conninfo(m_server, m_catalogue, QString(), QString()));
    PgTransaction tx(db);
    if (db.exec("SELECT 1 FROM pg_roles WHERE rolname = ?", {role}).rows() == 0) {
        if (settings.password)
            formatted(db, "SELECT format('CREATE ROLE %I LOGIN PASSWORD %L', ?::text, ?::text)", {role, *settings.password});
        else
            formatted(db, "SELECT format('CREATE ROLE %I LOGIN', ?::text)", {role});
    } else if (settings.password) {
        formatted(db, "SELECT format('ALTER ROLE %I PASSWORD %L', ?::text, ?::text)", {role, *settings.password});
    }
    formatted(db, "SELECT format('GRANT %I TO %I', ?::text, ?::text)", {usersRole(), role});
    db.exec("INSERT INTO dw.users (user_id, user_key, full_name, is_admin, is_readonly, working_root) "
            "VALUES (?, ?, ?, ?, ?, ?)",
            {id.trimmed(), role, settings.fullName.isEmpty() ? id.trimmed() : settings.fullName, settings.admin,
             settings.readOnly, settings.workingRoot.isEmpty() ? QVariant() : QVariant(settings.workingRoot)});
    tx.commit();
}

QStringList PgAdmin::users()
{
    PgConnection db(PgSession::conninfo(m_server, m_catalogue, QString(), QString()));
    const PgResult r = db.exec("SELECT user_id, full_name, is_admin, is_readonly FROM dw.users ORDER BY user_key");
    QStringList out;
    for (int i = 0; i < r.rows(); ++i) {
        out << QStringLiteral("%1|%2|%3|%4")
                   .arg(r.text(i, 0), r.text(i, 1), r.boolean(i, 2) ? QStringLiteral("beheerder") : QString(),
                        r.boolean(i, 3) ? QStringLiteral("alleen lezen") : QString());
    }
    return out;
}

} // namespace dwfm::store::pg
