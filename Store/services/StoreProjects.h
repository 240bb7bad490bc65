#pragma once

#include "FileStoreSession.h"
#include "HeldProjects.h"
#include "ProjectBatch.h"
#include "ProjectSearch.h"
#include "ProjectVersions.h"
#include "search/StoreSearch.h"
#include "services/CheckOutDesk.h"
#include "services/ContentVersions.h"
#include "services/ProjectCatalog.h"

namespace dwfm::store {

// The files service of the session: answers the control's calls, leaving the work to
// the catalogue, the check-out desk, the versions and the search, and turns their errors into
// False (or -1) plus the session's last error. Many copies, deletions or check-outs at once
// are one decision of the store (ProjectBatch); every content a file had is kept
// (ProjectVersions); files are found anywhere below the user's roots (ProjectSearch) and the
// held ones listed (HeldProjects).
class StoreProjects final : public ProjectsService, public ProjectBatch, public ProjectVersions, public ProjectSearch,
                            public HeldProjects {
public:
    explicit StoreProjects(StoreContextPtr &context)
        : m_context(context), m_catalog(context), m_desk(context), m_versions(context), m_search(context)
    {
    }

    qint32 AddProject(const QString &strSourcePath, qint32 lLocationID, const QVariant &vFileName,
                      bool bCopyIntoStore, bool bLogHistory) override;
    // strDescription: the remark written in the new file's history. vNewProjectID: the
    // new file's ID.
    bool CopyProject(qint32 lProjectID, qint32 lTargetLocationID, const QString &strDescription,
                     QVariant &vNewProjectID) override;
    QList<qint32> CopyProjects(const QList<qint32> &lProjectIDs, qint32 lTargetLocationID,
                               const QString &strDescription) override;
    QList<bool> DeleteProjects(const QList<qint32> &lProjectIDs) override;
    QList<bool> CheckOutProjects(const QList<qint32> &lProjectIDs, const QString &strDescription) override;
    bool RenameProject(qint32 lProjectID, const QString &strName) override;
    bool DeleteProject(qint32 lProjectID) override;
    bool CheckOutProject(qint32 lProjectID, const QString &strDescription) override;
    bool CheckInProject(qint32 lProjectID, const QString &strDescription, bool bRemoveLocalCopy) override;
    bool CancelCheckOut(qint32 lProjectID, const QString &strDescription, bool bRestoreLocalCopy) override;
    bool GetViewCopy(qint32 lProjectID, QString &strPath) override;
    bool GetLocalCopy(qint32 hWnd, qint32 lProjectID, const QString &strTargetPath) override;
    bool CopyProjectsToFolders(qint32 hWnd, const QList<qint32> &lProjectIDs, const QStringList &strTargetPaths) override;
    QString GetProjectLocalFolder(qint32 lProjectID) override;
    // The location's path with a separator at the end, so root + "/" + this + name is the file.
    QString GetProjectLocationPath(qint32 lProjectID) override;
    QString GetProjectFileName(qint32 lProjectID) override;
    bool GetProjectsInLocation(RecordsetPtr &rsProjects, qint32 lLocationID) override;
    // vOptional: a location ID limits the list to that location.
    bool GetProjectsOfUser(RecordsetPtr &rsProjects, const QString &strUserID, const QVariant &vOptional) override;
    bool GetProjectInfo(RecordsetPtr &rsInfo, qint32 lProjectID) override;
    bool GetProjectHistory(RecordsetPtr &rsHistory, qint32 lProjectID) override;

    bool GetProjectVersions(RecordsetPtr &rsVersions, qint32 lProjectID) override;
    bool GetVersionViewCopy(qint32 lProjectID, qint32 lVersion, QString &strPath) override;
    bool RestoreProjectVersion(qint32 lProjectID, qint32 lVersion, const QString &strRemark) override;

    bool SearchProjects(RecordsetPtr &rsFound, const QString &strText) override;
    bool GetHeldProjects(RecordsetPtr &rsHeld, const QString &strUserID, qint32 lOlderThanDays) override;
    // Indexes on this session's connection what no other process is reading, then waits
    // for the others (this session's own background indexer among them).
    bool FinishIndexing(qint32 lTimeoutMs) override;

private:
    template <typename F, typename R>
    R run(F &&work, R failed);

    StoreContextPtr &m_context;
    ProjectCatalog m_catalog;
    CheckOutDesk m_desk;
    ContentVersions m_versions;
    StoreSearch m_search;
};

} // namespace dwfm::store
