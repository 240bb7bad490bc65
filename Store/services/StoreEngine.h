#pragma once

#include "Recordset.h"
#include "fs/AnchoredPath.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace dwfm::store {

// What a backend does for the session's services: the work that lies in its database and
// its files. The services (StoreLocations, StoreProjects) check the call, run it at the
// session's boundary and turn what is thrown into a False answer plus the last error; an
// engine only decides and does, and throws DwError with a readable sentence when it
// refuses. The embedded store does the work with SQLite transactions and its folder tree,
// the server store with server functions over its connection.

// Creating, renaming and deleting locations.
class LocationsEngine {
public:
    virtual ~LocationsEngine() = default;
    // The new location's ID; lParentID 0 makes a top location. The name has passed
    // StoreLocations::requireName against the parent's path.
    virtual qint32 createLocation(const QString &name, const QString &remark, qint32 parentId) = 0;
    virtual void deleteLocation(qint32 locationId) = 0;
    // A rename to the name the location has already changes nothing.
    virtual void renameLocation(qint32 locationId, const QString &name) = 0;
    // The kind, or 0 for an unknown location.
    virtual qint32 locationKind(qint32 locationId) = 0;
    // The rows of LocationsService::GetChildLocations (ChildLocationsSql).
    virtual RecordsetPtr childLocations(qint32 locationId) = 0;
};

// The files as a catalogue: adding, copying, renaming, deleting and listing them.
class CatalogEngine {
public:
    virtual ~CatalogEngine() = default;
    // copyIntoStore: copy `source` into the location under `name`; otherwise `source` must
    // already be that file of the location and is only registered.
    virtual qint32 add(const QString &source, qint32 locationId, const QString &name, bool copyIntoStore,
                       bool logHistory) = 0;
    virtual qint32 copy(qint32 projectId, qint32 targetLocationId, const QString &remark) = 0;
    // Many at once, decided together: the new IDs in the order given, -1 for each refused
    // file (its reason becomes the last error).
    virtual QList<qint32> copyMany(const QList<qint32> &projectIds, qint32 targetLocationId, const QString &remark) = 0;
    virtual void rename(qint32 projectId, const QString &name) = 0;
    virtual void remove(qint32 projectId) = 0;
    // True for each deleted file, False for each refused one (its reason the last error).
    virtual QList<bool> removeMany(const QList<qint32> &projectIds) = 0;

    // The file rows (RowShapes::file) of a location, of a user's check-outs (a location ID
    // in `locationFilter` limits them to it) and of the files held (RowShapes::foundFile).
    virtual RecordsetPtr inLocation(qint32 locationId) = 0;
    virtual RecordsetPtr ofUser(const QString &userId, const QVariant &locationFilter) = 0;
    virtual RecordsetPtr held(const QString &userId, qint32 olderThanDays) = 0;
};

// Check-out, check-in and the copies a user takes of the files' content.
class DeskEngine {
public:
    virtual ~DeskEngine() = default;
    virtual void checkOut(qint32 projectId, const QString &remark) = 0;
    // True for each file that is now the user's, False for each refused one (its reason
    // the last error).
    virtual QList<bool> checkOutMany(const QList<qint32> &projectIds, const QString &remark) = 0;
    virtual void checkIn(qint32 projectId, const QString &remark, bool removeLocalCopy) = 0;
    virtual void cancel(qint32 projectId, const QString &remark, bool restoreLocalCopy) = 0;
    // A copy of the current content in a new temporary folder, under the file's name.
    virtual QString viewCopy(qint32 projectId) = 0;
    // A copy at `target`; an existing file there is refused, never overwritten.
    virtual void localCopy(qint32 projectId, const AnchoredPath &target) = 0;
};

// The versions every add, copy, check-in and restore makes.
class VersionsEngine {
public:
    virtual ~VersionsEngine() = default;
    // RowShapes::versions, newest first.
    virtual RecordsetPtr list(qint32 projectId) = 0;
    // A copy of one version's exact content; damaged content is refused.
    virtual QString viewCopy(qint32 projectId, qint32 version) = 0;
    virtual void restore(qint32 projectId, qint32 version, const QString &remark) = 0;
};

} // namespace dwfm::store
