#pragma once

#include "Recordset.h"
#include "services/ContentVersions.h"
#include "services/PendingWork.h"
#include "services/StoreContext.h"
#include "services/StoreEngine.h"

#include <QVariant>

namespace dwfm::store {

// The files of the store as a catalogue: listing them and adding, copying, renaming and
// deleting them. Every change keeps the database row and the server file in step: new
// content is staged before the write lock, the commit decides, and the disk follows with
// steps recorded in the same commit (PendingWork), so a crash anywhere is finished later.
class ProjectCatalog final : public CatalogEngine {
public:
    explicit ProjectCatalog(StoreContextPtr &context) : m_context(context), m_versions(context) {}

    // bCopyIntoStore: copy `source` into the location's folder under `name`; otherwise
    // `source` must already be that file in the location's folder and is only registered.
    qint32 add(const QString &source, qint32 locationId, const QString &name, bool copyIntoStore,
               bool logHistory) override;
    qint32 copy(qint32 projectId, qint32 targetLocationId, const QString &remark) override;
    // Copies many files as copy does, decided by one commit: the new IDs in the order
    // given, -1 for each refused file (its reason becomes the last error).
    QList<qint32> copyMany(const QList<qint32> &projectIds, qint32 targetLocationId, const QString &remark) override;
    void rename(qint32 projectId, const QString &name) override;
    void remove(qint32 projectId) override;
    // Deletes many files as remove does, decided by one commit: True for each deleted file,
    // False for each refused one (its reason becomes the last error).
    QList<bool> removeMany(const QList<qint32> &projectIds) override;

    // Sized from a count first, then read as the caller moves through the rows.
    RecordsetPtr inLocation(qint32 locationId) override;
    // The statement inLocation runs, with the location's ID as its one parameter.
    static const char *inLocationSql();
    RecordsetPtr ofUser(const QString &userId, const QVariant &locationFilter) override;
    // Only below the user's roots, each with its location's path (StoreSearch).
    RecordsetPtr held(const QString &userId, qint32 olderThanDays) override;

private:
    void requireTarget(qint32 locationId, const QString &name);
    // Before the write lock: a copy of a file's server file in the staging folder, and the
    // version it holds.
    struct StagedCopy {
        AnchoredPath path;
        ContentVersions::Current version;
    };
    StagedCopy stageCopy(qint32 projectId, bool durable);
    // Under the write lock: the checks of a copy, the new row with its history and version,
    // and the step that puts the staged file in place. A refusal throws before any write.
    PendingWork::Step recordCopy(qint32 projectId, qint32 targetLocationId, const QString &remark,
                                 const StagedCopy &staged);
    // Under the write lock: the checks of a deletion, the removed rows, and the steps that
    // remove the server file and the kept contents nobody else uses. A refusal throws
    // before any write.
    QList<PendingWork::Step> recordRemove(qint32 projectId);
    // A batch's steps recorded in the batch's transaction (a single change has
    // commitChange record its steps).
    QList<PendingWork::Step> recorded(QList<PendingWork::Step> steps);
    StoreContextPtr &m_context;
    ContentVersions m_versions;
};

} // namespace dwfm::store
