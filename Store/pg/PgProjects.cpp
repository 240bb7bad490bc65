#include "pg/PgServices.h"

#include "ServerFolder.h"
#include "fs/FaultInjection.h"
#include "fs/FileOps.h"
#include "fs/NameRules.h"
#include "search/ShownFiles.h"
#include "DwError.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace dwfm::store::pg {

namespace {
// Writes and flushes a hidden copy of `source` beside `target`, then renames it into place;
// an existing target is refused and the copy removed.
void copyDurably(const AnchoredPath &source, const AnchoredPath &target)
{
    const AnchoredPath staged = FileOps::stage(source, target.parent().child(FileOps::tempName()), true).path;
    try {
        FileOps::install(staged, target, false);
    } catch (...) {
        FileOps::discard(staged);
        throw;
    }
}

// Puts a renamed or hidden entry back after a refused commit; the error of the commit is
// the one the caller sees.
void renameBack(const AnchoredPath &from, const AnchoredPath &to) noexcept
{
    try {
        FileOps::rename(from, to);
    } catch (...) {
    }
}

// Runs `work` as one transaction and turns an error into the last error and `failed`.
template <typename F, typename R>
R inTransaction(const PgContextPtr &context, F &&work, R failed)
{
    return guarded(
        context,
        [&] {
            PgTransaction tx(context->db());
            R answer = work(tx);
            return answer;
        },
        failed);
}
} // namespace

const char *PgProjects::inLocationSql()
{
    return "SELECT " DW_FILE_ROW_COLUMNS " FROM projects p WHERE p.location_id = ? ORDER BY p.name_key";
}

qint32 PgProjects::AddProject(const QString &strSourcePath, qint32 lLocationID, const QVariant &vFileName,
                              bool bCopyIntoStore, bool bLogHistory)
{
    return inTransaction(
        m_context,
        [&](PgTransaction &tx) {
            const AnchoredPath source = AnchoredPath::chosen(strSourcePath);
            FileOps::requireRegular(source, false);
            const QString name = vFileName.isNull() ? QFileInfo(strSourcePath).fileName()
                                                    : QFileInfo(QDir::fromNativeSeparators(vFileName.toString())).fileName();
            NameRules::require(name);
            const AnchoredPath folder = m_context->inStore(m_context->locationFolder(lLocationID));
            const AnchoredPath target = folder.child(name);
            const PgResult r = m_context->db().exec(
                "SELECT add_project(?, ?, ?, ?)",
                {lLocationID, name, bLogHistory, bCopyIntoStore ? QStringLiteral("Van %1").arg(strSourcePath) : QString()});
            if (bCopyIntoStore) {
                ServerFolder::requireNoStrayFile(target);
                FileOps::makeFolder(folder);
                copyDurably(source, target);
            } else {
                ServerFolder::requireInPlace(strSourcePath, target);
            }
            try {
                FaultInjection::check("before-commit");
                tx.commit();
            } catch (...) {
                if (bCopyIntoStore)
                    FileOps::discard(target);
                throw;
            }
            return qint32(r.int64(0, 0));
        },
        qint32(-1));
}

bool PgProjects::CopyProject(qint32 lProjectID, qint32 lTargetLocationID, const QString &strDescription,
                             QVariant &vNewProjectID)
{
    return inTransaction(
        m_context,
        [&](PgTransaction &tx) {
            const ProjectRow src = m_context->file(lProjectID);
            const AnchoredPath from = m_context->serverPath(src);
            const AnchoredPath folder = m_context->inStore(m_context->locationFolder(lTargetLocationID));
            const AnchoredPath target = folder.child(src.fileName);
            const PgResult r = m_context->db().exec("SELECT copy_project(?, ?, ?, ?)",
                                                    {lProjectID, lTargetLocationID, strDescription,
                                                     m_context->locationPath(src.locationId)});
            FileOps::makeFolder(folder);
            copyDurably(from, target);
            try {
                FaultInjection::check("before-commit");
                tx.commit();
            } catch (...) {
                FileOps::discard(target);
                throw;
            }
            vNewProjectID = qint32(r.int64(0, 0));
            return true;
        },
        false);
}

bool PgProjects::RenameProject(qint32 lProjectID, const QString &strName)
{
    return inTransaction(
        m_context,
        [&](PgTransaction &tx) {
            const ProjectRow row = m_context->file(lProjectID);
            if (row.fileName == strName)
                return true;
            NameRules::require(strName);
            m_context->db().exec("SELECT rename_project(?, ?)", {lProjectID, strName});
            const AnchoredPath from = m_context->serverPath(row);
            const AnchoredPath to = from.parent().child(strName);
            FileOps::requireRegular(from, false);
            if (row.fileName.toLower() != strName.toLower() && FileOps::kindOf(to) != FileOps::Kind::Missing)
                throw DwError(DwError::FileAlreadyExists, QStringLiteral("In de servermap staat al een bestand '%1'.").arg(to.path()));
            FileOps::rename(from, to);
            FileOps::syncFolder(to.parent());
            try {
                FaultInjection::check("before-commit");
                tx.commit();
            } catch (...) {
                renameBack(to, from);
                throw;
            }
            return true;
        },
        false);
}

bool PgProjects::DeleteProject(qint32 lProjectID)
{
    return inTransaction(
        m_context,
        [&](PgTransaction &tx) {
            const ProjectRow row = m_context->file(lProjectID);
            const AnchoredPath file = m_context->serverPath(row);
            m_context->db().exec("SELECT delete_project(?)", {lProjectID});
            // Moved out of sight first, so a failed commit can put it back.
            const AnchoredPath hidden = file.parent().child(QStringLiteral(".%1.dwdel-%2").arg(row.fileName).arg(lProjectID));
            const bool present = FileOps::kindOf(file) != FileOps::Kind::Missing;
            if (present)
                FileOps::rename(file, hidden);
            try {
                FaultInjection::check("before-commit");
                tx.commit();
            } catch (...) {
                if (present)
                    renameBack(hidden, file);
                throw;
            }
            if (present)
                FileOps::removeFile(hidden);
            return true;
        },
        false);
}

void PgProjects::checkOut(qint32 id, const QString &remark)
{
    // The row is taken by the server and the working copy made in one transaction: a
    // failed copy rolls the taking back, and until the commit nobody else can take it.
    PgTransaction tx(m_context->db());
    const ProjectRow row = m_context->file(id);
    const QString path = m_context->locationPath(row.locationId);
    // A file one holds already keeps its working copy; only a missing one is made again.
    const bool mine = row.checkedOut && !m_context->heldByOther(row);
    const QString folder = mine ? row.checkoutFolder : FileOps::join(m_context->workingRoot(), path);
    const AnchoredPath server = m_context->inStore(FileOps::join(FileOps::join(m_context->rootFolder(), path), row.fileName));
    const AnchoredPath local = m_context->workingFolderPath(folder).child(row.fileName);
    m_context->db().exec("SELECT check_out(?, ?, ?, ?)", {id, m_context->computerName(), folder, remark});
    bool made = false;
    QString aside;
    try {
        switch (FileOps::copyIfAbsent(server, local)) {
        case FileOps::NewCopy::Made:
            made = true;
            break;
        case FileOps::NewCopy::SourceMissing:
            throw DwError(DwError::FileNotFound, QStringLiteral("Het serverbestand '%1' ontbreekt.").arg(server.path()));
        case FileOps::NewCopy::TargetExists:
            if (!mine && !FileOps::sameContent(local, server)) {
                aside = FileOps::moveAside(local);
                FileOps::copyNew(server, local, false);
                made = true;
            }
            break;
        }
        FaultInjection::check("before-commit");
        tx.commit();
    } catch (...) {
        if (made)
            FileOps::discard(local);
        if (!aside.isEmpty())
            renameBack(local.parent().child(QFileInfo(aside).fileName()), local);
        throw;
    }
}

bool PgProjects::CheckOutProject(qint32 lProjectID, const QString &strDescription)
{
    return guarded(
        m_context,
        [&] {
            checkOut(lProjectID, strDescription);
            return true;
        },
        false);
}

void PgProjects::checkIn(qint32 id, const QString &remark, bool removeLocalCopy)
{
    const ProjectRow row = m_context->file(id);
    if (!row.checkedOut)
        throw DwError(DwError::PermissionDenied, QStringLiteral("'%1' is niet in gebruik genomen.").arg(row.fileName));
    if (m_context->heldByOther(row)) {
        throw DwError(DwError::PermissionDenied,
                      QStringLiteral("'%1' kan niet worden vrijgegeven: het is in gebruik bij %2.").arg(row.fileName, row.userId));
    }
    const AnchoredPath local = m_context->workingFolderPath(row.checkoutFolder).child(row.fileName);
    if (FileOps::kindOf(local) == FileOps::Kind::Missing)
        throw DwError(DwError::FileNotFound, QStringLiteral("De werkkopie '%1' bestaat niet.").arg(local.path()));
    const AnchoredPath server = m_context->serverPath(row);
    // The new content is written and flushed beside the server file first; the server
    // decides, the rename follows, then the commit.
    FileOps::dropCache(server);
    const FileOps::Staged staged = FileOps::stage(local, server.parent().child(FileOps::tempName()), true);
    try {
        PgTransaction tx(m_context->db());
        m_context->db().exec("SELECT check_in(?, ?)", {id, remark});
        // A refused commit must leave the old content: the server file is replaced only
        // when nothing but the commit itself can fail any more.
        FaultInjection::check("before-commit");
        FileOps::install(staged.path, server, true);
        tx.commit();
    } catch (...) {
        FileOps::discard(staged.path);
        throw;
    }
    FaultInjection::point("after-commit");
    // Only the version that was stored goes; one saved since is kept aside.
    if (removeLocalCopy)
        FileOps::removeIfUnchanged(local, staged.source);
}

bool PgProjects::CheckInProject(qint32 lProjectID, const QString &strDescription, bool bRemoveLocalCopy)
{
    return guarded(
        m_context,
        [&] {
            checkIn(lProjectID, strDescription, bRemoveLocalCopy);
            return true;
        },
        false);
}

bool PgProjects::CancelCheckOut(qint32 lProjectID, const QString &strDescription, bool bRestoreLocalCopy)
{
    return inTransaction(
        m_context,
        [&](PgTransaction &tx) {
            const ProjectRow row = m_context->file(lProjectID);
            m_context->db().exec("SELECT cancel_check_out(?, ?)", {lProjectID, strDescription});
            // The server version is copied beside the working copy first and swapped in only
            // after the commit, so a refused commit leaves the working copy as it was.
            const AnchoredPath local = m_context->workingFolderPath(row.checkoutFolder).child(row.fileName);
            const AnchoredPath server = m_context->serverPath(row);
            AnchoredPath replacement;
            if (bRestoreLocalCopy && !m_context->heldByOther(row)) {
                FileOps::requireRegular(local, true);
                if (FileOps::kindOf(server) != FileOps::Kind::Missing && !FileOps::sameContent(local, server))
                    replacement = FileOps::stage(server, local.parent().child(FileOps::tempName()), false).path;
            }
            try {
                FaultInjection::check("before-commit");
                tx.commit();
            } catch (...) {
                if (!replacement.isEmpty())
                    FileOps::discard(replacement);
                throw;
            }
            if (!replacement.isEmpty()) {
                if (FileOps::kindOf(local) != FileOps::Kind::Missing)
                    FileOps::moveAside(local);
                FileOps::install(replacement, local, false);
            }
            return true;
        },
        false);
}

bool PgProjects::GetViewCopy(qint32 lProjectID, QString &strPath)
{
    return guarded(
        m_context,
        [&] {
            const ProjectRow row = m_context->file(lProjectID);
            strPath = FileOps::viewCopy(m_context->serverPath(row), row.fileName);
            return true;
        },
        false);
}

bool PgProjects::GetLocalCopy(qint32, qint32 lProjectID, const QString &strTargetPath)
{
    return guarded(
        m_context,
        [&] {
            FileOps::copyNew(m_context->serverPath(m_context->file(lProjectID)),
                             AnchoredPath::chosen(QDir::fromNativeSeparators(strTargetPath)), false);
            return true;
        },
        false);
}

bool PgProjects::CopyProjectsToFolders(qint32, const QList<qint32> &lProjectIDs, const QStringList &strTargetPaths)
{
    return guarded(
        m_context,
        [&] {
            if (lProjectIDs.size() != strTargetPaths.size()) {
                throw DwError(DwError::InvalidProcedureCall, QStringLiteral("Er zijn %1 bestanden en %2 doelen opgegeven.")
                                                                 .arg(lProjectIDs.size())
                                                                 .arg(strTargetPaths.size()));
            }
            QStringList failed;
            for (qsizetype i = 0; i < lProjectIDs.size(); ++i) {
                try {
                    const AnchoredPath target = FileOps::freePath(AnchoredPath::chosen(QDir::fromNativeSeparators(strTargetPaths[i])));
                    FileOps::copyNew(m_context->serverPath(m_context->file(lProjectIDs[i])), target, false);
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

QString PgProjects::GetProjectLocalFolder(qint32 lProjectID)
{
    return guarded(
        m_context,
        [&] {
            const ProjectRow row = m_context->file(lProjectID);
            if (row.checkedOut && !m_context->heldByOther(row) && !row.checkoutFolder.isEmpty())
                return row.checkoutFolder;
            return FileOps::join(m_context->workingRoot(), m_context->locationPath(row.locationId));
        },
        QString());
}

QString PgProjects::GetProjectLocationPath(qint32 lProjectID)
{
    return guarded(
        m_context, [&] { return m_context->locationPath(m_context->file(lProjectID).locationId) + QLatin1Char('/'); },
        QString());
}

QString PgProjects::GetProjectFileName(qint32 lProjectID)
{
    return guarded(m_context, [&] { return m_context->file(lProjectID).fileName; }, QString());
}

bool PgProjects::GetProjectsInLocation(RecordsetPtr &rsProjects, qint32 lLocationID)
{
    rsProjects.reset();
    return guarded(m_context, [&] { return bool(rsProjects = m_context->rows(inLocationSql(), {lLocationID}, RowShapes::file())); },
                   false);
}

bool PgProjects::GetProjectsOfUser(RecordsetPtr &rsProjects, const QString &strUserID, const QVariant &vOptional)
{
    rsProjects.reset();
    return guarded(
        m_context,
        [&] {
            bool filtered = false;
            const qint32 location = vOptional.isNull() ? 0 : vOptional.toInt(&filtered);
            rsProjects = m_context->rows("SELECT " DW_FILE_ROW_COLUMNS " FROM projects p "
                                         "WHERE p.checked_out AND lower(p.user_id) = lower(?) "
                                         "AND (? = 0 OR p.location_id = ?) ORDER BY p.name_key",
                                         {strUserID, filtered ? 1 : 0, location}, RowShapes::file());
            return bool(rsProjects);
        },
        false);
}

bool PgProjects::GetHeldProjects(RecordsetPtr &rsHeld, const QString &strUserID, qint32 lOlderThanDays)
{
    rsHeld.reset();
    return guarded(
        m_context,
        [&] {
            static const QByteArray sql = ShownFiles::heldSql(QLatin1Char('$')).toUtf8();
            const qint64 days = std::max(lOlderThanDays, 0);
            rsHeld = m_context->rows(sql.constData(),
                                     {m_context->user().id.toLower(), m_context->user().admin ? 1 : 0,
                                      strUserID.trimmed().toLower(), days,
                                      QDateTime::currentMSecsSinceEpoch() - days * 86'400'000},
                                     RowShapes::foundFile());
            return bool(rsHeld);
        },
        false);
}

bool PgProjects::GetProjectInfo(RecordsetPtr &rsInfo, qint32 lProjectID)
{
    rsInfo.reset();
    const char *sql = "SELECT " DW_FILE_ROW_COLUMNS ", p.file_name FROM projects p WHERE p.project_id = ?";
    return guarded(m_context, [&] { return bool(rsInfo = m_context->rows(sql, {lProjectID}, RowShapes::fileInfo())); }, false);
}

bool PgProjects::GetProjectHistory(RecordsetPtr &rsHistory, qint32 lProjectID)
{
    rsHistory.reset();
    return guarded(m_context, [&] { return bool(rsHistory = m_context->rows(HistorySql, {lProjectID}, RowShapes::history())); },
                   false);
}

} // namespace dwfm::store::pg
