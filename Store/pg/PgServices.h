#pragma once

#include "FileStoreSession.h"
#include "HeldProjects.h"
#include "pg/PgContext.h"

namespace dwfm::store::pg {

// The services of the server store. Reads are plain SELECTs (store users may read the
// tables); every change is one call of a server function, which checks the user's rights,
// inside a transaction that also holds the file work, so the database and the disk change
// together or not at all.

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

class PgProjects final : public ProjectsService, public HeldProjects {
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

    // The statement GetProjectsInLocation runs, with the location's ID as its parameter.
    static const char *inLocationSql();

private:
    void checkOut(qint32 id, const QString &remark);
    void checkIn(qint32 id, const QString &remark, bool removeLocalCopy);
    const PgContextPtr &m_context;
};

} // namespace dwfm::store::pg
