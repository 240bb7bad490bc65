#pragma once

#include "FileStoreSession.h"
#include "services/PendingWork.h"
#include "services/StoreContext.h"

namespace dwfm::store {

// Location kinds. Files may be added to a location of kind Files; an Archive keeps what it
// holds but takes no new files (not added, copied or moved into it). A new sub-location
// gets its parent's kind.
namespace LocationKind {
constexpr qint32 Archive = 1;
constexpr qint32 Files = LocationsService::KindFiles;
} // namespace LocationKind

// The store's locations: rows in the database and folders under the root folder, kept
// in step (a folder change is undone when the database change fails, and the other way
// round).
class StoreLocations final : public LocationsService {
public:
    explicit StoreLocations(StoreContextPtr &context) : m_context(context) {}

    // lParentID 0 makes a top location (administrators only).
    bool CreateLocation(const QString &strName, const QString &strDescription, qint32 lParentID,
                        qint32 &lNewID) override;
    // Only a location without files and sub-locations, and only when its folder is empty.
    bool DeleteLocation(qint32 lLocationID) override;
    bool RenameLocation(qint32 lLocationID, const QString &strName) override;
    QString GetLocationPath(qint32 lLocationID) override;
    QString GetServerRootFolder() override;
    QString GetLocationDescription(qint32 lLocationID) override;
    // The kind, or 0 for an unknown location.
    qint32 GetLocationKind(qint32 lLocationID) override;
    // Rows `ChildID`, `childpath` and `HasChildren` (the child has sub-locations), in the
    // order of the names without regard to case. The rows are read from the database as
    // the caller moves through them; close the record set when done with it early.
    bool GetChildLocations(RecordsetPtr &rsChildren, qint32 lLocationID) override;
    // The statement GetChildLocations runs, with the parent's ID as its one parameter.
    static const char *childRowsSql();

    // Creates a location of a given kind (CreateLocation takes the parent's kind).
    qint32 create(const QString &name, const QString &remark, qint32 parentId, qint32 kind);

private:
    void requireMayChange(const LocationRow &loc) const;
    // The database half of a delete or rename, run inside the change's transaction; answers
    // the step that the folder follows with after the commit.
    PendingWork::Step decideDelete(qint32 lLocationID);
    PendingWork::Step decideRename(qint32 lLocationID, const QString &strName);
    void requireFreeName(qint32 parentId, const QString &name, qint32 exceptId);
    StoreContextPtr &m_context;
};

} // namespace dwfm::store
