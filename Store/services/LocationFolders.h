#pragma once

#include "services/PendingWork.h"
#include "services/StoreContext.h"
#include "services/StoreEngine.h"

namespace dwfm::store {

// The embedded store's locations: rows in the database and folders under the root folder,
// kept in step (a folder change is undone when the database change fails, and the other
// way round).
class LocationFolders final : public LocationsEngine {
public:
    explicit LocationFolders(StoreContextPtr &context) : m_context(context) {}

    // Takes the parent's kind.
    qint32 createLocation(const QString &name, const QString &remark, qint32 parentId) override;
    // Only when the location's folder holds nothing the store does not know.
    void deleteLocation(qint32 locationId) override;
    void renameLocation(qint32 locationId, const QString &name) override;
    qint32 locationKind(qint32 locationId) override;
    // The rows are read from the database as the caller moves through them; close the record
    // set when done with it early.
    RecordsetPtr childLocations(qint32 locationId) override;
    // The statement childLocations runs, with the parent's ID as its one parameter.
    static const char *childRowsSql();

private:
    qint32 create(const QString &name, const QString &remark, qint32 parentId, qint32 kind);
    void requireMayChange(const LocationRow &loc) const;
    // The database half of a delete or rename, run inside the change's transaction; answers
    // the step that the folder follows with after the commit.
    PendingWork::Step decideDelete(qint32 locationId);
    PendingWork::Step decideRename(qint32 locationId, const QString &name);
    void requireFreeName(qint32 parentId, const QString &name, qint32 exceptId);
    StoreContextPtr &m_context;
};

} // namespace dwfm::store
