#include "services/StoreProjects.h"

#include "RowShape.h"
#include "fs/FileOps.h"
#include "DwError.h"

#include <QDir>
#include <QFileInfo>

namespace dwfm::store {

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
    return run(
        [&] {
            if (lProjectIDs.size() != strTargetPaths.size()) {
                throw DwError(DwError::InvalidProcedureCall, QStringLiteral("Er zijn %1 bestanden en %2 doelen opgegeven.")
                                                                 .arg(lProjectIDs.size())
                                                                 .arg(strTargetPaths.size()));
            }
            QStringList failed;
            for (qsizetype i = 0; i < lProjectIDs.size(); ++i) {
                try {
                    const QString target = QDir::fromNativeSeparators(strTargetPaths[i]);
                    m_desk.localCopy(lProjectIDs[i], FileOps::freePath(AnchoredPath::chosen(target)));
                } catch (const DwError &e) {
                    failed << e.description();
                }
            }
            if (!failed.isEmpty())
                throw DwError(DwError::PathNotFound, failed.join(QLatin1Char(' ')));
            return true;
        },
        false);
}

QString StoreProjects::GetProjectLocalFolder(qint32 lProjectID)
{
    return run(
        [&] {
            const ProjectRow row = m_context->fileRow(lProjectID);
            if (row.checkedOut && !m_context->heldByOther(row) && !row.checkoutFolder.isEmpty())
                return row.checkoutFolder;
            return m_context->workingFolder(row.locationId);
        },
        QString());
}

QString StoreProjects::GetProjectLocationPath(qint32 lProjectID)
{
    return run([&] { return m_context->locationPath(m_context->fileRow(lProjectID).locationId) + QLatin1Char('/'); },
               QString());
}

QString StoreProjects::GetProjectFileName(qint32 lProjectID)
{
    return run([&] { return m_context->fileRow(lProjectID).fileName; }, QString());
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
    static const char *const sql = "SELECT " DW_FILE_ROW_COLUMNS ", p.file_name FROM projects p WHERE p.project_id = ?";
    return run([&] { return bool(rsInfo = m_context->rows(sql, {lProjectID}, RowShapes::fileInfo())); }, false);
}

bool StoreProjects::GetProjectHistory(RecordsetPtr &rsHistory, qint32 lProjectID)
{
    rsHistory.reset();
    return run([&] { return bool(rsHistory = m_context->rows(HistorySql, {lProjectID}, RowShapes::history())); }, false);
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

bool StoreProjects::RestoreProjectVersion(qint32 lProjectID, qint32 lVersion, const QString &strRemark)
{
    return run([&] { return m_versions.restore(lProjectID, lVersion, strRemark), true; }, false);
}

bool StoreProjects::GetHeldProjects(RecordsetPtr &rsHeld, const QString &strUserID, qint32 lOlderThanDays)
{
    rsHeld.reset();
    return run([&] { return bool(rsHeld = m_catalog.held(strUserID, lOlderThanDays)); }, false);
}

} // namespace dwfm::store
