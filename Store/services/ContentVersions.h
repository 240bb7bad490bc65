#pragma once

#include "Recordset.h"
#include "services/PendingWork.h"
#include "services/StoreContext.h"
#include "services/StoreEngine.h"

namespace dwfm::store {

// The versions of the files of an embedded store. Every add, copy, check-in and restore
// makes one: its number (1 for the add or copy), the content's SHA-256 and size, who made
// it, when, and a remark. A file's current content is its server file; a content that
// stops being current (a check-in or restore replaces it) is kept once, under its hash, in
// the store's content folder: the step that puts the new content in place first gives the
// old file a second name there (PendingWork::Supersede), in the same commit that decides
// the change. Identical contents share one kept file, so copies and restores add none.
class ContentVersions final : public VersionsEngine {
public:
    explicit ContentVersions(StoreContextPtr &context) : m_context(context) {}

    // A file's current version, read before the write lock. `withHash`: a version of a store
    // from before versions, which has no hash yet, gets it from its server file now.
    struct Current {
        qint32 number = 0;
        QString hash;
        qint64 size = -1;
        bool hashKnown = false; // the database already holds `hash`
    };
    Current current(const ProjectRow &row, bool withHash);

    // In the deciding transaction of a new file (add, copy): its version 1.
    void recordFirst(qint32 projectId, const QString &hash, qint64 size, const QString &remark);
    // In the deciding transaction: the staged content becomes the file's new current
    // version, one past `before` (which must still be current, else the change is refused);
    // answers the step that puts it in place and keeps the content it replaces.
    PendingWork::Step supersede(const ProjectRow &row, const Current &before, const FileOps::Staged &staged,
                                const QString &remark);
    // In a deleting transaction: the file's versions go; answers the steps that remove the
    // kept contents no other version uses.
    QList<PendingWork::Step> forget(qint32 projectId);
    // The steps that remove kept contents whose hash no version uses any more (after
    // versions were removed in the same transaction), among `hashes`.
    QList<PendingWork::Step> unusedContents(const QStringList &hashes);

    // The versions of a file, newest first (the fields of ProjectVersions).
    RecordsetPtr list(qint32 projectId) override;
    // A read-only copy of one version's exact content in a new temporary folder, under the
    // file's name; damaged content is refused.
    QString viewCopy(qint32 projectId, qint32 version) override;
    // Makes an earlier version's content current again, as a new version with a history row.
    void restore(qint32 projectId, qint32 version, const QString &remark) override;

private:
    // Where the content of one version lies now, and its hash (empty when not known yet).
    struct Source {
        AnchoredPath path;
        QString hash;
    };
    Source sourceOf(const ProjectRow &row, qint32 version);

    StoreContextPtr &m_context;
};

} // namespace dwfm::store
