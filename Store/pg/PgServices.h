#pragma once

#include "FileStoreSession.h"
#include "HeldProjects.h"
#include "ProjectBatch.h"
#include "ProjectSearch.h"
#include "ProjectVersions.h"
#include "pg/PgContext.h"

#include <memory>

namespace dwfm::store::pg {

// The services of the server store. Reads are plain SELECTs (store users may read the
// record tables); every change is one call of a server function, which checks the user's
// rights, in one transaction with the content it uploads. The files' content lies in the
// database and is read and written only through the functions; what the session writes
// on this computer (working copies, copies to look at) follows the commit.

class PgDatabase final : public SessionDatabase {
public:
    explicit PgDatabase(const PgContextPtr &context) : m_context(context) {}
    QVariant ConnectionProperty(const QString &strName) override;
    QString DefaultDatabase() override;
    QString LastError() override;
    qint32 LastErrorNumber() override;
    void ReportLastError() override;
    void setConnectError(qint32 number, const QString &text)
    {
        m_connectNumber = number;
        m_connectError = text;
    }

private:
    const PgContextPtr &m_context;
    QString m_connectError;
    qint32 m_connectNumber = 0;
};

class PgCurrentUser final : public CurrentUserService {
public:
    explicit PgCurrentUser(const PgContextPtr &context) : m_context(context) {}
    QString CurrentUserID() override;
    QString CurrentUserName() override;
    bool IsAdministrator() override;
    bool GetRoots(RecordsetPtr &rsRoots) override;

private:
    const PgContextPtr &m_context;
};

class PgLocations final : public LocationsService {
public:
    explicit PgLocations(const PgContextPtr &context) : m_context(context) {}
    bool CreateLocation(const QString &strName, const QString &strDescription, qint32 lParentID,
                        qint32 &lNewID) override;
    bool DeleteLocation(qint32 lLocationID) override;
    bool RenameLocation(qint32 lLocationID, const QString &strName) override;
    QString GetLocationPath(qint32 lLocationID) override;
    QString GetServerRootFolder() override;
    QString GetLocationDescription(qint32 lLocationID) override;
    qint32 GetLocationKind(qint32 lLocationID) override;
    bool GetChildLocations(RecordsetPtr &rsChildren, qint32 lLocationID) override;

private:
    const PgContextPtr &m_context;
};

class PgProjects final : public ProjectsService, public ProjectBatch, public ProjectVersions, public HeldProjects,
                         public ProjectSearch {
public:
    explicit PgProjects(const PgContextPtr &context) : m_context(context) {}
    qint32 AddProject(const QString &strSourcePath, qint32 lLocationID, const QVariant &vFileName, bool bCopyIntoStore,
                      bool bLogHistory) override;
    bool CopyProject(qint32 lProjectID, qint32 lTargetLocationID, const QString &strDescription,
                     QVariant &vNewProjectID) override;
    bool RenameProject(qint32 lProjectID, const QString &strName) override;
    bool DeleteProject(qint32 lProjectID) override;
    bool CheckOutProject(qint32 lProjectID, const QString &strDescription) override;
    bool CheckInProject(qint32 lProjectID, const QString &strDescription, bool bRemoveLocalCopy) override;
    bool CancelCheckOut(qint32 lProjectID, const QString &strDescription, bool bRestoreLocalCopy) override;
    bool GetViewCopy(qint32 lProjectID, QString &strPath) override;
    bool GetLocalCopy(qint32 hWnd, qint32 lProjectID, const QString &strTargetPath) override;
    bool CopyProjectsToFolders(qint32 hWnd, const QList<qint32> &lProjectIDs, const QStringList &strTargetPaths) override;
    QString GetProjectLocalFolder(qint32 lProjectID) override;
    QString GetProjectLocationPath(qint32 lProjectID) override;
    QString GetProjectFileName(qint32 lProjectID) override;
    bool GetProjectsInLocation(RecordsetPtr &rsProjects, qint32 lLocationID) override;
    bool GetProjectsOfUser(RecordsetPtr &rsProjects, const QString &strUserID,
                           const QVariant &vOptional = QVariant()) override;
    bool GetProjectInfo(RecordsetPtr &rsInfo, qint32 lProjectID) override;
    bool GetProjectHistory(RecordsetPtr &rsHistory, qint32 lProjectID) override;
    bool GetHeldProjects(RecordsetPtr &rsHeld, const QString &strUserID, qint32 lOlderThanDays) override;

    // ProjectBatch: each list in one call of the server, one transaction.
    QList<qint32> CopyProjects(const QList<qint32> &lProjectIDs, qint32 lTargetLocationID,
                               const QString &strDescription) override;
    QList<bool> DeleteProjects(const QList<qint32> &lProjectIDs) override;
    // Checks out each file as CheckOutProject does, many in one transaction (up to a few
    // hundred files each: every prepared working copy holds an open file until the commit).
    QList<bool> CheckOutProjects(const QList<qint32> &lProjectIDs, const QString &strDescription) override;

    // ProjectVersions.
    bool GetProjectVersions(RecordsetPtr &rsVersions, qint32 lProjectID) override;
    bool GetVersionViewCopy(qint32 lProjectID, qint32 lVersion, QString &strPath) override;
    bool RestoreProjectVersion(qint32 lProjectID, qint32 lVersion, const QString &strRemark) override;

    // ProjectSearch (PgSearch.cpp): through the store's own search function; FinishIndexing
    // reads on this session's connection what no other client is reading, then waits for them.
    bool SearchProjects(RecordsetPtr &rsFound, const QString &strText) override;
    bool FinishIndexing(qint32 lTimeoutMs) override;

    // The statement GetProjectsInLocation runs, with the location's ID as its parameter.
    static const char *inLocationSql();

private:
    // A file taken in the running transaction, with its working copy made ready.
    struct Taking;
    std::unique_ptr<Taking> take(qint32 id, const QString &remark);
    // After the commit: the prepared working copy takes its place.
    static void place(Taking &taking);
    void checkIn(qint32 id, const QString &remark, bool removeLocalCopy);
    void cancel(qint32 id, const QString &remark, bool restoreLocalCopy);
    // Runs `use` with the bytes of a version of the file (0: its current one) in a
    // transaction of its own.
    void withContent(qint32 id, qint32 version, const std::function<void(const FileOps::Producer &, const QString &name)> &use);
    const PgContextPtr &m_context;
};

} // namespace dwfm::store::pg
