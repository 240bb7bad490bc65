#pragma once

#include "DwSessionExport.h"
#include "Recordset.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace dwfm {

class SessionChanges;

// The contract between the file manager control and the document store. The control
// never sees how the store keeps its data; it asks these services and reads their
// answers. A query that finds nothing answers False and leaves the record set empty (no
// record set), never an empty one.
//
// Parameter names follow the store's own conventions: `l` 32-bit IDs, `str` texts,
// `b` Booleans, `v` values that may be missing.

// The database behind the session.
class DWSESSION_EXPORT SessionDatabase {
public:
    virtual ~SessionDatabase();

    // A property of the open connection, e.g. "Data Source" (the server or the store's
    // folder). An unknown property throws DwError.
    virtual QVariant ConnectionProperty(const QString &strName) = 0;
    // The connection's default database (the catalogue).
    virtual QString DefaultDatabase() = 0;
    // The text of the last error the session met; empty when there was none.
    virtual QString LastError() = 0;
    // The error number of the last error (DwError's numbers); 0 when there was none or
    // the session does not keep numbers.
    virtual qint32 LastErrorNumber() { return 0; }
    // Makes the last error known to the user (through the reporter of SessionRegistry).
    virtual void ReportLastError() = 0;
};

// Who is logged on.
class DWSESSION_EXPORT CurrentUserService {
public:
    virtual ~CurrentUserService();

    virtual QString CurrentUserID() = 0;
    virtual QString CurrentUserName() = 0;
    virtual bool IsAdministrator() = 0;
    // The user's root locations: rows `RootID`, `Tekstnode`.
    virtual bool GetRoots(RecordsetPtr &rsRoots) = 0;
};

// Locations (folders) of the store.
class DWSESSION_EXPORT LocationsService {
public:
    // Files may be added to a location of this kind.
    static constexpr qint32 KindFiles = 9;

    virtual ~LocationsService();

    virtual bool CreateLocation(const QString &strName, const QString &strDescription,
                                qint32 lParentID, qint32 &lNewID) = 0;
    virtual bool DeleteLocation(qint32 lLocationID) = 0;
    virtual bool RenameLocation(qint32 lLocationID, const QString &strName) = 0;
    // The location's path below the store's root folder.
    virtual QString GetLocationPath(qint32 lLocationID) = 0;
    // The store's root folder on disk.
    virtual QString GetServerRootFolder() = 0;
    // The location's name; empty for an unknown ID.
    virtual QString GetLocationDescription(qint32 lLocationID) = 0;
    virtual qint32 GetLocationKind(qint32 lLocationID) = 0;
    // The sub-locations: rows `ChildID`, `childpath`. True when there are any. A store may
    // add a Boolean field `HasChildren` (the child has sub-locations of its own); the tree
    // then reads it instead of asking GetChildLocations once for every child.
    virtual bool GetChildLocations(RecordsetPtr &rsChildren, qint32 lLocationID) = 0;
};

// Files (projects) of the store.
class DWSESSION_EXPORT ProjectsService {
public:
    virtual ~ProjectsService();

    // Registers a file in a location; the new file ID, or -1 when refused.
    // vFileName: the name to store it under (a bare name or a path whose last part is
    // taken), or a null QVariant for the source's own name. bCopyIntoStore: True copies
    // the source into the location's server folder, False registers a file that already
    // lies there. bLogHistory: True writes the addition to the file's history.
    virtual qint32 AddProject(const QString &strSourcePath, qint32 lLocationID,
                              const QVariant &vFileName, bool bCopyIntoStore, bool bLogHistory) = 0;
    virtual bool CopyProject(qint32 lProjectID, qint32 lTargetLocationID,
                             const QString &strDescription, QVariant &vNewProjectID) = 0;
    virtual bool RenameProject(qint32 lProjectID, const QString &strName) = 0;
    virtual bool DeleteProject(qint32 lProjectID) = 0;
    virtual bool CheckOutProject(qint32 lProjectID, const QString &strDescription) = 0;
    // bRemoveLocalCopy: True removes the user's working copy after the check-in.
    virtual bool CheckInProject(qint32 lProjectID, const QString &strDescription,
                                bool bRemoveLocalCopy) = 0;
    // bRestoreLocalCopy: True replaces the working copy by the server's version (kept
    // aside when it differs), so nothing the user wrote is lost.
    virtual bool CancelCheckOut(qint32 lProjectID, const QString &strDescription,
                                bool bRestoreLocalCopy) = 0;
    // A read-only copy to look at, in a new temporary file.
    virtual bool GetViewCopy(qint32 lProjectID, QString &strPath) = 0;
    virtual bool GetLocalCopy(qint32 hWnd, qint32 lProjectID, const QString &strTargetPath) = 0;
    // Copies each file to the target path at the same index.
    virtual bool CopyProjectsToFolders(qint32 hWnd, const QList<qint32> &lProjectIDs,
                                       const QStringList &strTargetPaths) = 0;
    virtual QString GetProjectLocalFolder(qint32 lProjectID) = 0;
    virtual QString GetProjectLocationPath(qint32 lProjectID) = 0;
    virtual QString GetProjectFileName(qint32 lProjectID) = 0;
    // File rows: `Projectid`, `FileName`, `CheckedOut`, `UserID`, `Checkoutdate`,
    // `ComputerName`, `ProjectCheckoutlocation`, `CheckOutDescription`, `Locked`,
    // `DefaultProject` (and `LocationID`).
    virtual bool GetProjectsInLocation(RecordsetPtr &rsProjects, qint32 lLocationID) = 0;
    virtual bool GetProjectsOfUser(RecordsetPtr &rsProjects, const QString &strUserID,
                                   const QVariant &vOptional = QVariant()) = 0;
    // The file's row with `Workname` and `Projectid` besides the file-row fields.
    virtual bool GetProjectInfo(RecordsetPtr &rsInfo, qint32 lProjectID) = 0;
    // One row per logged action: `Description`, `ActionDate`, `ActionTime`,
    // `UserName`, `Memo`.
    virtual bool GetProjectHistory(RecordsetPtr &rsHistory, qint32 lProjectID) = 0;
};

// One connection to the store and its services.
class DWSESSION_EXPORT FileStoreSession {
public:
    virtual ~FileStoreSession();

    virtual bool Connect(const QString &strServer, const QString &strUser, const QString &strPassWord,
                         const QString &strCatalog, bool bSQLSecurity) = 0;
    // True for a user who may look but not change anything.
    virtual bool IsReadOnlySession() = 0;
    virtual SessionDatabase &Database() = 0;
    virtual CurrentUserService &CurrentUser() = 0;
    virtual LocationsService &Locations() = 0;
    virtual ProjectsService &Projects() = 0;
    // Live updates, optional: the object whose signal says that others changed the store
    // (see SessionChanges.h), owned by the session; null for a store that does not tell.
    virtual SessionChanges *Changes() { return nullptr; }
};

} // namespace dwfm
