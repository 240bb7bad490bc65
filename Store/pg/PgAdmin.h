#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace dwfm::store::pg {

// A store user as the server administration sets it up.
struct PgUserSettings {
    QString fullName;
    std::optional<QString> password;
    bool admin = false;
    bool readOnly = false;
    QString workingRoot;
};

// The administration of a server store, run by a database administrator (a superuser, or
// a role that may create databases and roles). Its login is libpq's own: PGUSER,
// PGPASSWORD or ~/.pgpass, or the operating-system account. Errors throw DwError.
class PgAdmin {
public:
    PgAdmin(QString server, QString catalogue) : m_server(std::move(server)), m_catalogue(std::move(catalogue)) {}

    // Creates the database, its owner role (owns the tables and functions), the group
    // role of its users, the tables, the functions and the root folder on disk.
    void createStore(const QString &rootFolder);
    // Makes `id` a database role (login, password when given) in the users' group and a
    // user of the store. An existing role only joins the group.
    void addUser(const QString &id, const PgUserSettings &settings);
    // The store's users: "id|name|admin|read-only" per user.
    QStringList users();

    QString ownerRole() const;
    QString usersRole() const;

private:
    QString m_server;
    QString m_catalogue;
};

} // namespace dwfm::store::pg
