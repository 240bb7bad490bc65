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
    const QString &contentFolder() const { return m_contentFolder; }
    // Where the content with this hash is kept once it is no longer a file's current content.
    QString keptPath(const QString &hash) const;
    // The store folder: nothing below it, the root folder included, is followed as a link.
    QString anchorFolder() const override { return m_folder; }
    // A copy of `source` in the staging folder under a name that says which process owns
    // it (flushed when durable), to be renamed into place after the commit; `hashed`
    // computes its SHA-256 beside the copy.
    FileOps::Staged stage(const AnchoredPath &source, bool durable, bool hashed = false) const;
    // What lies at a path of the store; a link or non-folder on the way counts as Other.
    FileOps::Kind kindIn(const QString &path) const;
    // Refuses every change in a read-only session.
    void requireWritable() const;

    // Rows and paths; an unknown ID throws DwError (item not found).
    LocationRow location(qint32 id) const;
    bool locationExists(qint32 id) const;
    QString locationPath(qint32 id) const override;
    ProjectRow project(qint32 id) const;
    ProjectRow fileRow(qint32 id) const override { return project(id); }

    // User IDs compare by their name key.
    bool heldByOther(const ProjectRow &row) const override;
    RecordsetPtr rows(const char *sql, const QVariantList &params, const RowShape &shape) const override;
    RecordsetPtr userRoots() const override;
    QString dataSource() const override { return m_folder; }
    QString providerName() const override { return QStringLiteral("DwFileStore.SQLite"); }
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
    // The same for a change with several disk steps (done in the order given).
    void commitChanges(const std::function<QList<PendingWork::Step>()> &decide, const QString &stagedPath = QString());

    // Writes one line of a file's history: action, moment, this user, remark.
    void logHistory(qint32 projectId, const QString &action, const QString &memo);

private:
    SqliteDbPtr m_db;
    QString m_folder;
    QString m_stagingFolder;
    QString m_contentFolder;
};

using StoreContextPtr = std::shared_ptr<StoreContext>;

} // namespace dwfm::store
