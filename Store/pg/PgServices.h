#pragma once

#include "pg/PgContext.h"
#include "services/StoreEngine.h"

#include <functional>
#include <memory>

namespace dwfm::store::pg {

// The engine of the server store. Reads are plain SELECTs (store users may read the record
// tables); every change is one call of a server function, which checks the user's rights,
// in one transaction with the content it uploads. The files' content lies in the database
// and is read and written only through the functions; what the session writes on this
// computer (working copies, copies to look at) follows the commit.

class PgLocations final : public LocationsEngine {
public:
    explicit PgLocations(const PgContextPtr &context) : m_context(context) {}
    qint32 createLocation(const QString &name, const QString &remark, qint32 parentId) override;
    void deleteLocation(qint32 locationId) override;
    void renameLocation(qint32 locationId, const QString &name) override;
    qint32 locationKind(qint32 locationId) override;
    RecordsetPtr childLocations(qint32 locationId) override;

private:
    const PgContextPtr &m_context;
};

class PgProjects final : public CatalogEngine, public DeskEngine, public VersionsEngine {
public:
    explicit PgProjects(const PgContextPtr &context) : m_context(context) {}

    // One server function each, in a transaction of its own; add and check-in upload the
    // content in the same transaction.
    qint32 add(const QString &source, qint32 locationId, const QString &name, bool copyIntoStore,
               bool logHistory) override;
    void checkIn(qint32 projectId, const QString &remark, bool removeLocalCopy) override;
    qint32 copy(qint32 projectId, qint32 targetLocationId, const QString &remark) override;
    void rename(qint32 projectId, const QString &name) override;
    void remove(qint32 projectId) override;
    void restore(qint32 projectId, qint32 version, const QString &remark) override;

    // A list in one call of the server, one transaction.
    QList<qint32> copyMany(const QList<qint32> &projectIds, qint32 targetLocationId, const QString &remark) override;
    QList<bool> removeMany(const QList<qint32> &projectIds) override;
    // Checks out each file as checkOut does, many in one transaction (up to a few hundred
    // files each: every prepared working copy holds an open file until the commit).
    QList<bool> checkOutMany(const QList<qint32> &projectIds, const QString &remark) override;

    // Content from the database onto this computer: the working copy follows the commit
    // of a check-out or undo; the other copies are read in a transaction that changes nothing.
    void checkOut(qint32 projectId, const QString &remark) override;
    void cancel(qint32 projectId, const QString &remark, bool restoreLocalCopy) override;
    QString viewCopy(qint32 projectId) override;
    QString viewCopy(qint32 projectId, qint32 version) override;
    void localCopy(qint32 projectId, const AnchoredPath &target) override;

    // Plain reads.
    RecordsetPtr inLocation(qint32 locationId) override;
    RecordsetPtr ofUser(const QString &userId, const QVariant &locationFilter) override;
    RecordsetPtr held(const QString &userId, qint32 olderThanDays) override;
    RecordsetPtr list(qint32 projectId) override;
    // The statement inLocation runs, with the location's ID as its parameter.
    static const char *inLocationSql();

private:
    // Runs `use` with the bytes of a version of the file (0: its current one) in a
    // transaction of its own.
    void withContent(qint32 id, qint32 version, const std::function<void(const FileOps::Producer &, const QString &name)> &use);
    const PgContextPtr &m_context;
};

} // namespace dwfm::store::pg
