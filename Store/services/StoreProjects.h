#pragma once

#include "FileStoreSession.h"
#include "HeldProjects.h"
#include "ProjectBatch.h"
#include "ProjectVersions.h"
#include "SessionContext.h"
#include "services/StoreEngine.h"

namespace dwfm::store {

// The files service of a session, for either backend: checks and shapes each call, leaves
// the work to the engine's catalogue, desk and versions, and turns their errors into False
// (or -1) plus the session's last error. Many copies, deletions or check-outs at once are
// one decision of the store (ProjectBatch); every content a file had is kept
// (ProjectVersions); the held files are listed (HeldProjects).
class StoreProjects : public ProjectsService, public ProjectBatch, public ProjectVersions, public HeldProjects {
public:
    StoreProjects(ContextRef context, CatalogEngine &catalog, DeskEngine &desk, VersionsEngine &versions)
        : m_context(std::move(context)), m_catalog(catalog), m_desk(desk), m_versions(versions)
    {
    }

    // vFileName: the new file's name, or a path whose last part is; null or empty takes the
    // source's own name.
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
    // Copies pairwise; an existing target gets a free "name (n).ext" beside it. Fails after
    // trying all of them when any failed, with all their reasons.
    bool CopyProjectsToFolders(qint32 hWnd, const QList<qint32> &lProjectIDs, const QStringList &strTargetPaths) override;
    // Where the working copy was checked out to, or where it would go.
    QString GetProjectLocalFolder(qint32 lProjectID) override;
    // The location's path with a separator at the end, so root + "/" + this + name is the file.
    QString GetProjectLocationPath(qint32 lProjectID) override;
    QString GetProjectFileName(qint32 lProjectID) override;
    bool GetProjectsInLocation(RecordsetPtr &rsProjects, qint32 lLocationID) override;
    // vOptional: a location ID limits the list to that location.
    bool GetProjectsOfUser(RecordsetPtr &rsProjects, const QString &strUserID,
                           const QVariant &vOptional = QVariant()) override;
    bool GetProjectInfo(RecordsetPtr &rsInfo, qint32 lProjectID) override;
    bool GetProjectHistory(RecordsetPtr &rsHistory, qint32 lProjectID) override;

    bool GetProjectVersions(RecordsetPtr &rsVersions, qint32 lProjectID) override;
    bool GetVersionViewCopy(qint32 lProjectID, qint32 lVersion, QString &strPath) override;
    bool RestoreProjectVersion(qint32 lProjectID, qint32 lVersion, const QString &strRemark) override;

    bool GetHeldProjects(RecordsetPtr &rsHeld, const QString &strUserID, qint32 lOlderThanDays) override;

protected:
    template <typename F, typename R>
    R run(F &&work, R failed)
    {
        return guarded(m_context, std::forward<F>(work), failed);
    }

private:
    ContextRef m_context;
    CatalogEngine &m_catalog;
    DeskEngine &m_desk;
    VersionsEngine &m_versions;
};

} // namespace dwfm::store
