#pragma once

#include "db/SqliteDb.h"
#include "fs/FileOps.h"

#include <QString>

#include <exception>
#include <memory>

namespace dwfm::store {

// The user a session acts for.
struct UserInfo {
    QString id;
    QString name;
    bool admin = false;
    bool readOnly = false;
    QString workingRoot; // empty: the default working root
};

struct LocationRow {
    qint32 id = 0;
    qint32 parentId = 0;
    QString name;
    qint32 kind = 0;
};

struct ProjectRow {
    qint32 id = 0;
    qint32 locationId = 0;
    QString fileName;
    bool checkedOut = false;
    QString userId;
    QString checkoutFolder;
    bool locked = false;
};

// What every service of one session shares: the open database, where the files lie, who
// is logged on and the last error. Services throw DwError inside and turn it into a False
// answer plus the last error at their boundary (guard).
class StoreContext {
public:
    StoreContext(SqliteDbPtr db, QString folder, QString catalogue, UserInfo user);

    const SqliteDbPtr &db() const { return m_db; }
    const QString &folder() const { return m_folder; }
    const QString &catalogue() const { return m_catalogue; }
    const QString &rootFolder() const { return m_rootFolder; }
    const QString &stagingFolder() const { return m_stagingFolder; }
    // A copy of `source` in the staging folder under a name that says which process owns
    // it (flushed when durable), to be renamed into place after the commit.
    FileOps::Staged stage(const QString &source, bool durable) const;
    const UserInfo &user() const { return m_user; }
    const QString &computerName() const { return m_computerName; }
    // The folder under which this user's working copies lie.
    QString workingRoot() const;

    QString lastError() const { return m_lastError; }
    qint32 lastErrorNumber() const { return m_lastErrorNumber; }
    void setLastError(qint32 number, const QString &text);

    // Runs `work`; an error becomes the last error and the answer `failed`.
    template <typename F, typename R>
    R guard(F &&work, R failed)
    {
        try {
            return work();
        } catch (const std::exception &e) {
            recordError(e);
            return failed;
        }
    }
    void recordError(const std::exception &e);

    // Refuses every change in a read-only session.
    void requireWritable() const;

    // Rows and paths; an unknown ID throws DwError (item not found).
    LocationRow location(qint32 id) const;
    bool locationExists(qint32 id) const;
    // The location's path below the root folder, parts joined by "/".
    QString locationPath(qint32 id) const;
    QString locationFolder(qint32 id) const;
    ProjectRow project(qint32 id) const;
    QString serverFile(const ProjectRow &row) const;
    QString workingFolder(qint32 locationId) const;

    // True when the file is checked out by someone other than this session's user.
    bool heldByOther(const ProjectRow &row) const;
    // Throws a readable refusal when someone else holds the file.
    void requireNotHeldByOther(const ProjectRow &row, const QString &action) const;

    // Writes one line of a file's history: action, moment, this user, remark.
    void logHistory(qint32 projectId, const QString &action, const QString &memo);

private:
    SqliteDbPtr m_db;
    QString m_folder;
    QString m_catalogue;
    QString m_rootFolder;
    QString m_stagingFolder;
    UserInfo m_user;
    QString m_computerName;
    QString m_lastError;
    qint32 m_lastErrorNumber = 0;
};

using StoreContextPtr = std::shared_ptr<StoreContext>;

// The boundary of every service call: `failed` without a connection, otherwise the
// answer of `work`, or `failed` plus the last error when it throws.
template <typename F, typename R>
R guarded(const StoreContextPtr &context, F &&work, R failed)
{
    if (!context)
        return failed;
    return context->guard(std::forward<F>(work), failed);
}

} // namespace dwfm::store
