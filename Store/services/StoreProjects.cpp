#include "services/StoreProjects.h"

#include "fs/FileOps.h"
#include "search/ContentIndex.h"
#include "search/IndexingThread.h"
#include "services/PendingWork.h"

#include <QDir>
#include <QFileInfo>

namespace dwfm::store {

template <typename F, typename R>
R StoreProjects::run(F &&work, R failed)
{
    return guarded(m_context, std::forward<F>(work), failed);
}

qint32 StoreProjects::AddProject(const QString &strSourcePath, qint32 lLocationID, const QVariant &vFileName,
                                 bool bCopyIntoStore, bool bLogHistory)
{
    return run(
        [&] {
            // The name is the last part of the given name (which may be a whole path), or
            // the source's own name when none is given.
            const QString given = vFileName.isNull() ? QString() : QDir::fromNativeSeparators(vFileName.toString());
            const QString name = given.isEmpty() ? QFileInfo(strSourcePath).fileName() : given.section(QLatin1Char('/'), -1);
            return m_catalog.add(strSourcePath, lLocationID, name, bCopyIntoStore, bLogHistory);
        },
        qint32(-1));
}

bool StoreProjects::CopyProject(qint32 lProjectID, qint32 lTargetLocationID, const QString &strDescription,
                                QVariant &vNewProjectID)
{
    return run(
        [&] {
            vNewProjectID = m_catalog.copy(lProjectID, lTargetLocationID, strDescription);
            return true;
        },
        false);
}

QList<qint32> StoreProjects::CopyProjects(const QList<qint32> &lProjectIDs, qint32 lTargetLocationID,
                                          const QString &strDescription)
{
    return run([&] { return m_catalog.copyMany(lProjectIDs, lTargetLocationID, strDescription); },
               QList<qint32>(lProjectIDs.size(), -1));
}

QList<bool> StoreProjects::DeleteProjects(const QList<qint32> &lProjectIDs)
{
    return run([&] { return m_catalog.removeMany(lProjectIDs); }, QList<bool>(lProjectIDs.size(), false));
}

QList<bool> StoreProjects::CheckOutProjects(const QList<qint32> &lProjectIDs, const QString &strDescription)
{
    return run([&] { return m_desk.checkOutMany(lProjectIDs, strDescription); }, QList<bool>(lProjectIDs.size(), false));
}

bool StoreProjects::RenameProject(qint32 lProjectID, const QString &strName)
{
    return run([&] { return m_catalog.rename(lProjectID, strName), true; }, false);
}

bool StoreProjects::DeleteProject(qint32 lProjectID)
{
    return run([&] { return m_catalog.remove(lProjectID), true; }, false);
}

bool StoreProjects::CheckOutProject(qint32 lProjectID, const QString &strDescription)
{
    return run([&] { return m_desk.checkOut(lProjectID, strDescription), true; }, false);
}

bool StoreProjects::CheckInProject(qint32 lProjectID, const QString &strDescription, bool bRemoveLocalCopy)
{
    return run([&] { return m_desk.checkIn(lProjectID, strDescription, bRemoveLocalCopy), true; }, false);
}

bool StoreProjects::CancelCheckOut(qint32 lProjectID, const QString &strDescription, bool bRestoreLocalCopy)
{
    return run([&] { return m_desk.cancel(lProjectID, strDescription, bRestoreLocalCopy), true; }, false);
}

bool StoreProjects::GetViewCopy(qint32 lProjectID, QString &strPath)
{
    return run(
        [&] {
            strPath = m_desk.viewCopy(lProjectID);
            return true;
        },
        false);
}

bool StoreProjects::GetLocalCopy(qint32, qint32 lProjectID, const QString &strTargetPath)
{
    return run([&] { return m_desk.localCopy(lProjectID, AnchoredPath::chosen(QDir::fromNativeSeparators(strTargetPath))), true; },
               false);
}

bool StoreProjects::CopyProjectsToFolders(qint32, const QList<qint32> &lProjectIDs, const QStringList &strTargetPaths)
{
    return run([&] { return m_desk.copyToFolders(lProjectIDs, strTargetPaths), true; }, false);
}

QString StoreProjects::GetProjectLocalFolder(qint32 lProjectID)
{
    return run([&] { return m_desk.localFolder(lProjectID); }, QString());
}

QString StoreProjects::GetProjectLocationPath(qint32 lProjectID)
{
    return run([&] { return m_context->locationPath(m_context->project(lProjectID).locationId) + QLatin1Char('/'); },
               QString());
}

QString StoreProjects::GetProjectFileName(qint32 lProjectID)
{
    return run([&] { return m_context->project(lProjectID).fileName; }, QString());
}

bool StoreProjects::GetProjectsInLocation(RecordsetPtr &rsProjects, qint32 lLocationID)
{
    rsProjects.reset();
    return run([&] { return bool(rsProjects = m_catalog.inLocation(lLocationID)); }, false);
}

bool StoreProjects::GetProjectsOfUser(RecordsetPtr &rsProjects, const QString &strUserID, const QVariant &vOptional)
{
    rsProjects.reset();
    return run([&] { return bool(rsProjects = m_catalog.ofUser(strUserID, vOptional)); }, false);
}

bool StoreProjects::GetProjectInfo(RecordsetPtr &rsInfo, qint32 lProjectID)
{
    rsInfo.reset();
    return run([&] { return bool(rsInfo = m_catalog.info(lProjectID)); }, false);
}

bool StoreProjects::GetProjectHistory(RecordsetPtr &rsHistory, qint32 lProjectID)
{
    rsHistory.reset();
    return run([&] { return bool(rsHistory = m_catalog.history(lProjectID)); }, false);
}

bool StoreProjects::GetProjectVersions(RecordsetPtr &rsVersions, qint32 lProjectID)
{
    rsVersions.reset();
    return run([&] { return bool(rsVersions = m_versions.list(lProjectID)); }, false);
}

bool StoreProjects::GetVersionViewCopy(qint32 lProjectID, qint32 lVersion, QString &strPath)
{
    return run(
        [&] {
            strPath = m_versions.viewCopy(lProjectID, lVersion);
            return true;
        },
        false);
}

bool StoreProjects::SearchProjects(RecordsetPtr &rsFound, const QString &strText)
{
    rsFound.reset();
    return run(
        [&] {
            rsFound = m_search.find(strText);
            return bool(rsFound);
        },
        false);
}

bool StoreProjects::RestoreProjectVersion(qint32 lProjectID, qint32 lVersion, const QString &strRemark)
{
    return run([&] { return m_versions.restore(lProjectID, lVersion, strRemark), true; }, false);
}

bool StoreProjects::GetHeldProjects(RecordsetPtr &rsHeld, const QString &strUserID, qint32 lOlderThanDays)
{
    rsHeld.reset();
    return run(
        [&] {
            rsHeld = m_search.held(strUserID, lOlderThanDays);
            return bool(rsHeld);
        },
        false);
}

bool StoreProjects::FinishIndexing(qint32 lTimeoutMs)
{
    return run(
        [&] {
            const QString owner = PendingWork::ownerTag();
            return finishIndexing(
                lTimeoutMs,
                [&](const std::function<bool()> &goOn) {
                    return ContentIndex::indexNext(*m_context, owner, goOn) == ContentIndex::Outcome::Indexed;
                },
                [&] { return ContentIndex::waiting(m_context->db()); });
        },
        false);
}

} // namespace dwfm::store
