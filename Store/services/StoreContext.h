#pragma once

#include "SessionContext.h"
#include "db/SqliteDb.h"
#include "fs/FileOps.h"
#include "services/PendingWork.h"

#include <QString>

#include <functional>
#include <memory>

namespace dwfm::store {

struct LocationRow {
    qint32 id = 0;
    qint32 parentId = 0;
    QString name;
    qint32 kind = 0;
};

// What every service of one embedded session shares: besides the session's common part,
// the open database and where the files lie.
class StoreContext : public SessionContext {
public:
    StoreContext(SqliteDbPtr db, QString folder, QString catalogue, UserInfo user);

    const SqliteDbPtr &db() const { return m_db; }
    const QString &folder() const { return m_folder; }
    const QString &stagingFolder() const { return m_stagingFolder; }
    // The store folder: nothing below it, the root folder included, is followed as a link.
    QString anchorFolder() const override { return m_folder; }
    // A copy of `source` in the staging folder under a name that says which process owns
    // it (flushed when durable), to be renamed into place after the commit.
    FileOps::Staged stage(const AnchoredPath &source, bool durable) const;
    // Refuses every change in a read-only session.
    void requireWritable() const;

    // Rows and paths; an unknown ID throws DwError (item not found).
    LocationRow location(qint32 id) const;
    bool locationExists(qint32 id) const;
    QString locationPath(qint32 id) const override;
    ProjectRow project(qint32 id) const;
    QString workingFolder(qint32 locationId) const;

    // True when the file is checked out by someone other than this session's user.
    bool heldByOther(const ProjectRow &row) const;
    // Throws a readable refusal when someone else holds the file.
    void requireNotHeldByOther(const ProjectRow &row, const QString &action) const;
    // Refuses `name` when a file or a sub-folder of the location (0: the top) has it already,
    // case aside: both lie in one folder on disk. `exceptProject` or `exceptLocation` is the
    // one being renamed.
    void requireNameFree(qint32 locationId, const QString &name, qint32 exceptProject = 0, qint32 exceptLocation = 0) const;

    // One change of the store: runs `decide` in a write transaction and commits it with the
    // disk step it answers (none when the step's kind is 0), then does that step. A staged
    // file the step was to move into place is removed when anything fails before the commit.
    void commitChange(const std::function<PendingWork::Step()> &decide, const QString &stagedPath = QString());

    // Writes one line of a file's history: action, moment, this user, remark.
    void logHistory(qint32 projectId, const QString &action, const QString &memo);

private:
    SqliteDbPtr m_db;
    QString m_folder;
    QString m_stagingFolder;
};

using StoreContextPtr = std::shared_ptr<StoreContext>;

} // namespace dwfm::store
