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

#include <memory>
#include <optional>
#include <vector>

namespace dwfm::store {

void CheckOutDesk::reopen(const ProjectRow &row)
{
    // The holder asks again: the file stays theirs. A working copy in place is their work
    // and stays as it is; a missing one is made again from the server's version. So is an
    // empty one where the server's is not: a reservation survives a power cut, but a working
    // copy is not flushed (it is the user's scratch copy), and one the disk had not written
    // yet comes back empty or not at all. An empty file holds no work; it is kept aside all
    // the same. Anything but a regular file in its place is left alone.
    const AnchoredPath local = m_context->workingFolderPath(row.checkoutFolder).child(row.fileName);
    const AnchoredPath server = m_context->serverPath(row);
    PendingWork::settle(m_context->db(), m_context->folder(), row.id);
    if (FileOps::kindOf(local) == FileOps::Kind::File && FileOps::stampOf(local).size == 0
        && FileOps::stampOf(server).size > 0)
        FileOps::moveAside(local);
    if (FileOps::copyIfAbsent(server, local) == FileOps::NewCopy::SourceMissing)
        throw DwError(DwError::FileNotFound, QStringLiteral("Het serverbestand van '%1' ontbreekt.").arg(row.fileName));
}

// One file of a check-out: what its working copy was made from and how.
struct CheckOutDesk::Taking {
    qint32 id = 0;
    ProjectRow row;
    QString path;        // the location's path when the copy was made
    AnchoredPath folder; // the working copy's folder
    AnchoredPath local;  // the working copy
    qint32 version = 0;
    FileOps::FileStamp made; // a new working copy, removed again when the file is not taken
    std::unique_ptr<FileOps::PreparedFile> replacement; // replaces a different local file once taken
    bool mine = false;  // already the user's: nothing to take
    std::optional<DwError> refused;
};

namespace {
// Files per commit of a batch: each prepared replacement holds an open file until its
// commit, and a few hundred files already share most of the commit's cost.
constexpr qsizetype FilesPerCommit = 256;
} // namespace

void CheckOutDesk::prepare(Taking &taking)
{
    taking.row = m_context->project(taking.id);
    const ProjectRow &row = taking.row;
    if (row.checkedOut && !m_context->heldByOther(row)) {
        reopen(row);
        taking.mine = true;
        return;
    }
    if (row.locked)
        throw DwError(DwError::PermissionDenied, QStringLiteral("'%1' is vergrendeld.").arg(row.fileName));
    if (row.checkedOut)
        throw DwError(DwError::PermissionDenied, QStringLiteral("'%1' is al in gebruik bij %2.").arg(row.fileName, row.userId));
    taking.path = m_context->locationPath(row.locationId);
    const AnchoredPath server =
        m_context->inStore(FileOps::join(FileOps::join(m_context->rootFolder(), taking.path), row.fileName));
    taking.folder = m_context->workingFolderPath(FileOps::join(m_context->workingRoot(), taking.path));
    taking.local = taking.folder.child(row.fileName);
    // The working copy is of the content the database names: what another process
    // committed for this file has reached the server file first.
    PendingWork::settle(m_context->db(), m_context->folder(), row.id);
    taking.version = m_versions.current(row, false).number;

    // The working copy is made before the reservation, so that nothing is left to undo in
    // the database when it fails: a new copy where none was, or, over a different local
    // file, a copy without a name yet that replaces it (the local file kept aside) once the
    // file is ours. It is not flushed: it is the user's scratch copy, the server keeps the
    // content. A link or anything but a regular file where the working copy goes is refused
    // (by the comparison), never followed or replaced.
    switch (FileOps::copyIfAbsent(server, taking.local)) {
    case FileOps::NewCopy::Made:
        taking.made = FileOps::stampOf(taking.local);
        break;
    case FileOps::NewCopy::SourceMissing:
        throw DwError(DwError::FileNotFound, QStringLiteral("Het serverbestand '%1' ontbreekt.").arg(server.path()));
    case FileOps::NewCopy::TargetExists:
        if (!FileOps::sameContent(taking.local, server))
            taking.replacement = std::make_unique<FileOps::PreparedFile>(server, taking.folder);
        break;
    }
}

void CheckOutDesk::take(const Taking &taking, const QString &remark)
{
    const SqliteDbPtr &db = m_context->db();
    const ProjectRow &row = taking.row;
    // Take the file only when it is still free, under the name, in the location and at
    // the version the copy was made from.
    Statement take(db, "UPDATE projects SET checked_out = 1, user_id = ?, checkout_at = ?, computer_name = ?, "
                       "checkout_folder = ?, checkout_remark = ?, checkout_version = version "
                       "WHERE project_id = ? AND checked_out = 0 AND locked = 0 AND location_id = ? AND file_name = ? "
                       "AND version = ?");
    take.bind(1, m_context->user().id)
        .bind(2, QDateTime::currentMSecsSinceEpoch())
        .bind(3, m_context->computerName())
        .bind(4, FileOps::join(m_context->workingRoot(), taking.path))
        .bind(5, remark.isEmpty() ? QString() : remark)
        .bind(6, qint64(row.id))
        .bind(7, qint64(row.locationId))
        .bind(8, row.fileName)
        .bind(9, qint64(taking.version))
        .exec();
    const bool took = db->changes() == 1;
    if (!took || m_context->locationPath(row.locationId) != taking.path) {
        const ProjectRow now = m_context->project(row.id);
        if (!took && now.checkedOut && !m_context->heldByOther(now))
            return; // the same file twice in one batch: taken already
        throw DwError(DwError::PermissionDenied, now.checkedOut
                          ? QStringLiteral("'%1' is al in gebruik bij %2.").arg(now.fileName, now.userId)
                          : QStringLiteral("'%1' is intussen gewijzigd; probeer het opnieuw.").arg(now.fileName));
    }
    m_context->logHistory(row.id, QStringLiteral("In gebruik genomen"), remark);
}

QList<std::optional<DwError>> CheckOutDesk::takeAll(const QList<qint32> &projectIds, const QString &remark)
{
    m_context->requireWritable();
    const SqliteDbPtr &db = m_context->db();
    std::vector<Taking> takings(size_t(projectIds.size()));
    for (qsizetype i = 0; i < projectIds.size(); ++i) {
        takings[size_t(i)].id = projectIds[i];
        try {
            prepare(takings[size_t(i)]);
        } catch (const DwError &e) {
            takings[size_t(i)].refused = e;
        }
    }
    auto undoCopy = [](Taking &taking) {
        if (taking.made.size >= 0)
            FileOps::removeIfUnchanged(taking.local, taking.made);
        taking.replacement.reset();
    };
    try {
        // One commit for all files, on disk before it answers: a reservation survives a
        // power cut as a check-in does. A refused file takes back only its own rows.
        WriteTransaction tx(db);
        for (Taking &taking : takings) {
            if (taking.refused || taking.mine)
                continue;
            db->exec("SAVEPOINT one_take");
            try {
                take(taking, remark);
                db->exec("RELEASE one_take");
            } catch (const DwError &e) {
                db->exec("ROLLBACK TO one_take");
                db->exec("RELEASE one_take");
                undoCopy(taking);
                taking.refused = e;
            }
        }
        FaultInjection::check("before-commit");
        tx.commit();
    } catch (...) {
        for (Taking &taking : takings)
            undoCopy(taking);
        throw;
    }
    QList<std::optional<DwError>> refusals;
    for (Taking &taking : takings) {
        if (taking.replacement && !taking.refused) {
            try {
                taking.replacement->replace(taking.local.fileName());
            } catch (const DwError &e) {
                // The file is taken; the user's own local file stays where it was.
                m_context->recordError(e);
            }
        }
        refusals << taking.refused;
    }
    return refusals;
}

void CheckOutDesk::checkOut(qint32 projectId, const QString &remark)
{
    const QList<std::optional<DwError>> refusals = takeAll({projectId}, remark);
    if (refusals.first())
        throw *refusals.first();
}

QList<bool> CheckOutDesk::checkOutMany(const QList<qint32> &projectIds, const QString &remark)
{
    QList<bool> taken;
    for (qsizetype from = 0; from < projectIds.size(); from += FilesPerCommit) {
        for (const std::optional<DwError> &refusal : takeAll(projectIds.mid(from, FilesPerCommit), remark)) {
            if (refusal)
                m_context->recordError(*refusal);
            taken << !refusal;
        }
    }
    return taken;
}

void CheckOutDesk::release(qint32 projectId, const QString &holder)
{
    Statement clear(m_context->db(),
                    "UPDATE projects SET checked_out = 0, user_id = NULL, checkout_at = NULL, computer_name = NULL, "
                    "checkout_folder = NULL, checkout_remark = NULL, checkout_version = NULL "
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

    // The slow part, writing, hashing and flushing the new content, happens before the
    // write lock; the commit decides, and the server file follows it (see PendingWork).
    // Only a regular file is read: a link in its place is refused.
    const ContentVersions::Current before = m_versions.current(row, true);
    FileOps::dropCache(m_context->serverPath(row));
    const FileOps::Staged staged = m_context->stage(local, true, true);
    m_context->commitChange(
        [&] {
            release(projectId, m_context->user().id);
            m_context->logHistory(projectId, QStringLiteral("Vrijgegeven"), remark);
            return m_versions.supersede(m_context->project(projectId), before, staged, remark);
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
        PendingWork::settle(m_context->db(), m_context->folder(), projectId);
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
    PendingWork::settle(m_context->db(), m_context->folder(), projectId);
    return FileOps::viewCopy(m_context->serverPath(row), row.fileName);
}

void CheckOutDesk::localCopy(qint32 projectId, const AnchoredPath &target)
{
    const ProjectRow row = m_context->project(projectId);
    PendingWork::settle(m_context->db(), m_context->folder(), projectId);
    FileOps::copyNew(m_context->serverPath(row), target, false);
}

} // namespace dwfm::store
