#pragma once

#include "FileStoreSession.h"
#include "SessionContext.h"
#include "services/StoreEngine.h"

namespace dwfm::store {

// Location kinds. Files may be added to a location of kind Files; an Archive keeps what it
// holds but takes no new files (not added, copied or moved into it). A new sub-location
// gets its parent's kind.
namespace LocationKind {
constexpr qint32 Archive = 1;
constexpr qint32 Files = LocationsService::KindFiles;
} // namespace LocationKind

// The locations service of a session, for either backend: its engine creates, renames and
// deletes; reading paths and names is the same on both.
class StoreLocations final : public LocationsService {
public:
    StoreLocations(ContextRef context, LocationsEngine &engine) : m_context(std::move(context)), m_engine(engine) {}

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
    // order of the names without regard to case.
    bool GetChildLocations(RecordsetPtr &rsChildren, qint32 lLocationID) override;

    // Refuses a location name that the name rules refuse, or whose path below the root
    // (`parentPath` empty for a top location) grows too long: the path becomes the folder
    // of the working copies.
    static void requireName(const QString &parentPath, const QString &name);

private:
    ContextRef m_context;
    LocationsEngine &m_engine;
};

} // namespace dwfm::store
