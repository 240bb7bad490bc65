#include "services/CheckOutDesk.h"

#include "fs/FaultInjection.h"
#include "fs/FileOps.h"
#include "fs/NameRules.h"
#include "DwError.h"
#include "services/PendingWork.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

namespace dwfm::store {

void CheckOutDesk::reopen(const ProjectRow &row)
{
    // The holder asks again: the file stays theirs. A working copy in place is their work
    // and stays as it is; a missing one is made again from the server's version.
    const AnchoredPath local = m_context->workingFolderPath(row.checkoutFolder).child(row.fileName);
    if (FileOps::copyIfAbsent(m_context->serverPath(row), local) == FileOps::NewCopy::SourceMissing)
        throw DwError(DwError::FileNotFound, QStringLiteral("Het serverbestand van '%1' ontbreekt.").arg(row.fileName));
}

void CheckOutDesk::checkOut(qint32 projectId, const QString &remark)
{
    m_context->requireWritable();
    const SqliteDbPtr &db = m_context->db();
    const ProjectRow row = m_context->project(projectId);
    if (row.checkedOut && !m_context->heldByOther(row))
        return reopen(row);
    if (row.locked)
        throw DwError(DwError::PermissionDenied, QStringLiteral("'%1' is vergrendeld.").arg(row.fileName));
    if (row.checkedOut)
        throw DwError(DwError::PermissionDenied, QStringLiteral("'%1' is al in gebruik bij %2.").arg(row.fileName, row.userId));
    const QString path = m_context->locationPath(row.locationId);
    const QString folder = FileOps::join(m_context->workingRoot(), path);
    const AnchoredPath server = m_context->inStore(FileOps::join(FileOps::join(m_context->rootFolder(), path), row.fileName));
    const AnchoredPath folderPath = m_context->workingFolderPath(folder);
    const AnchoredPath local = folderPath.child(row.fileName);

    // The working copy is made before the reservation, so that nothing is left to undo in
    // the database when it fails: a new copy where none was, or, over a different local
    // file, a copy without a name yet that replaces it (the local file kept aside) once the
    // file is ours. It is not flushed: it is the user's scratch copy, the server keeps the
    // content. A link or anything but a regular file where the working copy goes is refused
    // (by the comparison), never followed or replaced.
    FileOps::FileStamp made;
    std::optional<FileOps::PreparedFile> replacement;
    switch (FileOps::copyIfAbsent(server, local)) {
    case FileOps::NewCopy::Made:
        made = FileOps::stampOf(local);
        break;
    case FileOps::NewCopy::SourceMissing:
        throw DwError(DwError::FileNotFound, QStringLiteral("Het serverbestand '%1' ontbreekt.").arg(server.path()));
    case FileOps::NewCopy::TargetExists:
        if (!FileOps::sameContent(local, server))
            replacement.emplace(server, folderPath);
        break;
    }
    try {
        // One commit per check-out: take the file only when it is still free, under the name
        // and in the location the copy was made from. The commit does not wait for the disk:
        // a power cut can only take back the newest check-outs as a whole (the files are
        // free again, the unflushed working copies stay as local files that a new check-out
        // keeps aside when they differ), while every check-in flushes them along with its
        // own. A killed process loses nothing.
        WriteTransaction tx(db, WriteTransaction::Deferred);
        Statement take(db, "UPDATE projects SET checked_out = 1, user_id = ?, checkout_at = ?, computer_name = ?, "
                           "checkout_folder = ?, checkout_remark = ? "
                           "WHERE project_id = ? AND checked_out = 0 AND locked = 0 AND location_id = ? AND file_name = ?");
        take.bind(1, m_context->user().id)
            .bind(2, QDateTime::currentMSecsSinceEpoch())
            .bind(3, m_context->computerName())
            .bind(4, folder)
            .bind(5, remark.isEmpty() ? QString() : remark)
            .bind(6, qint64(projectId))
            .bind(7, qint64(row.locationId))
            .bind(8, row.fileName)
            .exec();
        if (db->changes() != 1 || m_context->locationPath(row.locationId) != path) {
            const ProjectRow now = m_context->project(projectId);
            throw DwError(DwError::PermissionDenied, now.checkedOut
                              ? QStringLiteral("'%1' is al in gebruik bij %2.").arg(now.fileName, now.userId)
                              : QStringLiteral("'%1' is intussen gewijzigd; probeer het opnieuw.").arg(now.fileName));
        }
        m_context->logHistory(projectId, QStringLiteral("In gebruik genomen"), remark);
        FaultInjection::check("before-commit");
        tx.commit();
    } catch (...) {
        if (made.size >= 0)
            FileOps::removeIfUnchanged(local, made);
        throw;
    }
    if (replacement)
        replacement->replace(row.fileName);
}

void CheckOutDesk::release(qint32 projectId, const QString &holder)
{
    Statement clear(m_context->db(),
                    "UPDATE projects SET checked_out = 0, user_id = NULL, checkout_at = NULL, computer_name = NULL, "
                    "checkout_folder = NULL, checkout_remark = NULL "
                    "WHERE project_id = ? AND checked_out = 1 AND user_id = ?");
    clear.bind(1, qint64(projectId)).bind(2, holder).exec();
    if (m_context->db()->changes() != 1)
        throw DwError(DwError::PermissionDenied, QStringLiteral("Bestand %1 is niet (meer) in gebruik bij %2.").arg(projectId).arg(holder));
}

void CheckOutDesk::checkIn(qint32 projectId, const QString &remark, bool removeLocalCopy)
{
    m_context->requireWritable();
    const ProjectRow row = m_context->project(projectId);
    if (!row.checkedOut)
        throw DwError(DwError::PermissionDenied, QStringLiteral("'%1' is niet in gebruik genomen.").arg(row.fileName));
    m_context->requireNotHeldByOther(row, QStringLiteral("vrijgegeven"));
    const AnchoredPath local = m_context->workingFolderPath(row.checkoutFolder).child(row.fileName);
    if (FileOps::kindOf(local) == FileOps::Kind::Missing)
        throw DwError(DwError::FileNotFound, QStringLiteral("De werkkopie '%1' bestaat niet.").arg(local.path()));

    // The slow part, writing and flushing the new content, happens before the write lock;
    // the commit decides, and the server file follows it (see PendingWork). Only a regular
    // file is read: a link in its place is refused.
    FileOps::dropCache(m_context->serverPath(row));
    const FileOps::Staged staged = m_context->stage(local, true);
    m_context->commitChange(
        [&] {
            release(projectId, m_context->user().id);
            m_context->logHistory(projectId, QStringLiteral("Vrijgegeven"), remark);
            const ProjectRow now = m_context->project(projectId);
            return PendingWork::Step{0, PendingWork::Replace, staged.path.path(), m_context->serverFile(now), projectId,
                                     NameRules::key(now.fileName)};
        },
        staged.path.path());
    // Only the version that was stored goes; a save that came after it is kept aside.
    if (removeLocalCopy)
        FileOps::removeIfUnchanged(local, staged.source);
}

void CheckOutDesk::cancel(qint32 projectId, const QString &remark, bool restoreLocalCopy)
{
    m_context->requireWritable();
    const ProjectRow row = m_context->project(projectId);
    if (!row.checkedOut)
        throw DwError(DwError::PermissionDenied, QStringLiteral("'%1' is niet in gebruik genomen.").arg(row.fileName));
    const bool mine = !m_context->heldByOther(row);
    if (!mine && !m_context->user().admin) {
        throw DwError(DwError::PermissionDenied,
                      QStringLiteral("Alleen een beheerder mag het in gebruik nemen van '%1' door %2 ongedaan maken.")
                          .arg(row.fileName, row.userId));
    }
    // The server's version is copied beside the working copy first, without a name; only
    // after the commit does it take the working copy's place (a changed copy kept aside),
    // so a refusal leaves the working copy as it was and a process killed at any moment
    // leaves no half-done copy in the user's folder. A link or anything but a regular file
    // in the working copy's place is refused before anything changes.
    const AnchoredPath folder = m_context->workingFolderPath(row.checkoutFolder);
    const AnchoredPath local = folder.child(row.fileName);
    std::optional<FileOps::PreparedFile> restored;
    if (restoreLocalCopy && mine) {
        const AnchoredPath server = m_context->serverPath(row);
        FileOps::requireRegular(local, true);
        if (FileOps::kindOf(server) != FileOps::Kind::Missing && !FileOps::sameContent(local, server))
            restored.emplace(server, folder);
    }
    {
        WriteTransaction tx(m_context->db());
        release(projectId, row.userId);
        m_context->logHistory(projectId, QStringLiteral("In gebruik nemen ongedaan gemaakt"),
                              mine ? remark : QStringLiteral("Voor %1. %2").arg(row.userId, remark).trimmed());
        FaultInjection::check("before-commit");
        tx.commit();
    }
    FaultInjection::point("after-commit");
    if (restored)
        restored->replace(row.fileName);
}

QString CheckOutDesk::viewCopy(qint32 projectId)
{
    const ProjectRow row = m_context->project(projectId);
    return FileOps::viewCopy(m_context->serverPath(row), row.fileName);
}

void CheckOutDesk::localCopy(qint32 projectId, const AnchoredPath &target)
{
    const ProjectRow row = m_context->project(projectId);
    FileOps::copyNew(m_context->serverPath(row), target, false);
}

void CheckOutDesk::copyToFolders(const QList<qint32> &projectIds, const QStringList &targets)
{
    if (projectIds.size() != targets.size()) {
        throw DwError(DwError::InvalidProcedureCall,
                      QStringLiteral("Er zijn %1 bestanden en %2 doelen opgegeven.").arg(projectIds.size()).arg(targets.size()));
    }
    QStringList failed;
    for (qsizetype i = 0; i < projectIds.size(); ++i) {
        try {
            const QString target = QDir::fromNativeSeparators(targets[i]);
            localCopy(projectIds[i], FileOps::freePath(AnchoredPath::chosen(target)));
        } catch (const DwError &e) {
            failed << e.description();
        }
    }
    if (!failed.isEmpty())
        throw DwError(DwError::PathNotFound, failed.join(QLatin1Char(' ')));
}

QString CheckOutDesk::localFolder(qint32 projectId)
{
    const ProjectRow row = m_context->project(projectId);
    if (row.checkedOut && !m_context->heldByOther(row) && !row.checkoutFolder.isEmpty())
        return row.checkoutFolder;
    return m_context->workingFolder(row.locationId);
}

} // namespace dwfm::store
