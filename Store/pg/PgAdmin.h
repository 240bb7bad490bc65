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
    // Removes the database and the roles of the store: its users' (a role that also belongs
    // to another store only leaves this one) and its owner and users' group (the demo's
    // --reset).
    void dropStore();

    FileStoreSession &store() override;
    // Makes `id` a database role (login, password when given, the store's time-outs) in the
    // users' group and a user of the store. A role of that name that exists already is
    // taken up only when it is this store's (a member of its users' group, left by a
    // removal) and an ordinary role: roles hold for the whole cluster, and taking over
    // another store's role would hand its account to this store's administrator.
    void requireAddable(const QString &id) override;
    void addUser(const QString &id, const UserChange &settings) override;
    // A password is hashed here (SCRAM-SHA-256) before it goes to the server.
    void changeUser(const QString &id, const UserChange &change) override;
    QList<UserRecord> users() override;
    // Releases or keeps the user's check-outs, removes the user and drops the role (or,
    // when it also belongs to another store, only takes it out of this store's group).
    RemovedUser removeUser(const QString &id, HeldFiles held) override;
    // True when any role of the cluster has that name.
    bool nameTaken(const QString &id) override;

    // The time-outs of the store users' sessions, in milliseconds: a lock wait, a
    // transaction left idle, one statement.
    struct SessionLimits {
        qint64 lockMs = 0;
        qint64 idleMs = 0;
        qint64 statementMs = 0;
    };
    SessionLimits sessionLimits();
    // Sets them for the store and on every user's role (in effect from their next login).
    void setSessionLimits(const SessionLimits &limits);
    void setLocationKind(qint32 locationId, qint32 kind) override;
    QString defaultWorkingRoot(const QString &userId) override;
    PruneResult prune(const PruneRules &rules) override;
    ContentTotals storedContent() override;
    QStringList check(bool deep) override;
    QStringList repair(bool deep) override;

    QString ownerRole() const;
    QString usersRole() const;
    // A script with the store's own role names in place of {owner} and {users}.
    QString withRoles(const char *script) const;
    // The connection of the database administrator to the store's database.
    PgConnection &db();

protected:
    QStringList ownFolders() override;

private:
    std::unique_ptr<PgConnection> serverConnection() const;
    // (Re)makes every function of the store, its session limits' included.
    void installFunctions(PgConnection &c);
    void applyChange(PgConnection &c, const QString &role, const UserChange &change);
    bool takeUpRole(PgConnection &c, const QString &role);
    void limitRole(PgConnection &c, const QString &role);
    QString dropRole(PgConnection &c, const QString &role);
    QString m_server;
    QString m_catalogue;
    std::unique_ptr<PgConnection> m_db;
    std::unique_ptr<PgSession> m_session;
};

} // namespace dwfm::store::pg
