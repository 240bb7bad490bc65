#pragma once

#include "admin/StoreAdministration.h"

#include <QString>

#include <memory>

namespace dwfm::store::pg {

class PgConnection;
class PgSession;

// The administration of a server store, run by a database administrator (a superuser, or
// a role that may create databases and roles). Its login, and that of the store user the
// location and file work acts as (store()), is libpq's own: PGUSER, PGPASSWORD or
// ~/.pgpass, or the operating-system account. Errors throw DwError.
class PgAdmin final : public StoreAdministration {
public:
    PgAdmin(QString server, QString catalogue);
    ~PgAdmin() override;

    // Creates the database, its owner role (owns the tables and functions), the group
    // role of its users, the tables and the functions.
    void createStore();
    // Brings the tables and functions of a store made by an older version of this program
    // up to date (one transaction); answers the version it had. A store of version 1 then
    // has its files without content until its share is moved in.
    int upgrade();
    // Whether the database exists.
    bool exists();
    // Removes the database (the demo's --reset); the roles stay, a new store of the same
    // name takes them up again.
    void dropStore();

    FileStoreSession &store() override;
    // Makes `id` a database role (login, password when given) in the users' group and a
    // user of the store. An existing role only joins the group.
    void addUser(const QString &id, const UserChange &settings) override;
    void changeUser(const QString &id, const UserChange &change) override;
    QList<UserRecord> users() override;
    void setLocationKind(qint32 locationId, qint32 kind) override;
    QString defaultWorkingRoot(const QString &userId) override;
    PruneResult prune(const PruneRules &rules) override;
    ContentTotals storedContent() override;
    QStringList check(bool deep) override;
    QStringList repair(bool deep) override;

    QString ownerRole() const;
    QString usersRole() const;
    // The connection of the database administrator to the store's database.
    PgConnection &db();

protected:
    QStringList ownFolders() override;

private:
    QString withRoles(const char *script) const;
    void installFunctions(PgConnection &c);
    void applyChange(PgConnection &c, const QString &role, const UserChange &change);
    QString m_server;
    QString m_catalogue;
    std::unique_ptr<PgConnection> m_db;
    std::unique_ptr<PgSession> m_session;
};

} // namespace dwfm::store::pg
