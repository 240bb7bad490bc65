#include "services/CheckOutDesk.h"

#include "fs/FileOps.h"
#include "fs/NameRules.h"
#include "platform/DwError.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace dwfm::store {

void CheckOutDesk::checkOut(qint32 projectId, const QString &remark)
{
    m_context->requireWritable();
    const SqliteDbPtr &db = m_context->db();

    // One durable commit per check-out: the row is read, taken and logged in the same
    // transaction, and the location's path is looked up once for both folders.
    qint64 historyId = 0;
    QString folder, server, local;
    {
        WriteTransaction tx(db);
        const ProjectRow row = m_context->project(projectId);
        const QString path = m_context->locationPath(row.locationId);
        folder = FileOps::join(m_context->workingRoot(), path);
        server = FileOps::join(FileOps::join(m_context->rootFolder(), path), row.fileName);
        local = FileOps::join(folder, row.fileName);
        Statement take(db, "UPDATE projects SET checked_out = 1, user_id = ?, checkout_at = ?, computer_name = ?, "
                           "checkout_folder = ?, checkout_remark = ? "
                           "WHERE project_id = ? AND checked_out = 0 AND locked = 0");
        take.bind(1, m_context->user().id)
            .bind(2, QDateTime::currentMSecsSinceEpoch())
            .bind(3, m_context->computerName())
            .bind(4, folder)
            .bind(5, remark.isEmpty() ? QString() : remark)
            .bind(6, qint64(projectId))
            .exec();
        if (db->changes() != 1) {
            if (row.locked)
                throw DwError(DwError::PermissionDenied, QStringLiteral("'%1' is vergrendeld.").arg(row.fileName));
            throw DwError(DwError::PermissionDenied,
                          QStringLiteral("'%1' is al in gebruik bij %2.").arg(row.fileName, row.userId));
        }
        m_context->logHistory(projectId, QStringLiteral("In gebruik genomen"), remark);
        historyId = db->lastInsertId();
        tx.commit();
    }

    // The working copy is not flushed: it is the user's scratch copy, the server keeps the
    // content. The usual case (no working copy yet, folder present) costs just the copy.
    QString aside;
    try {
        switch (FileOps::copyIfAbsent(server, local)) {
        case FileOps::NewCopy::Made:
            return;
        case FileOps::NewCopy::SourceMissing:
            throw DwError(DwError::FileNotFound, QStringLiteral("Het serverbestand '%1' ontbreekt.").arg(server));
        case FileOps::NewCopy::TargetExists:
            break;
        }
        if (FileOps::sameContent(local, server))
            return;
        aside = FileOps::moveAside(local);
        FileOps::copyNew(server, local, false);
    } catch (...) {
        if (!aside.isEmpty() && !QFileInfo::exists(local))
            QFile::rename(aside, local);
        WriteTransaction tx(db);
        release(projectId, m_context->user().id);
        Statement drop(db, "DELETE FROM history WHERE history_id = ?");
        drop.bind(1, historyId).exec();
        tx.commit();
        throw;
    }
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
    const QString local = FileOps::join(row.checkoutFolder, row.fileName);
    if (!QFileInfo(local).isFile())
        throw DwError(DwError::FileNotFound, QStringLiteral("De werkkopie '%1' bestaat niet.").arg(local));
    const QString server = m_context->serverFile(row);

    // The slow part, writing and flushing the new content, happens before the write lock.
    const QString staged = FileOps::stage(local, server);
    try {
        WriteTransaction tx(m_context->db());
        release(projectId, m_context->user().id);
        m_context->logHistory(projectId, QStringLiteral("Vrijgegeven"), remark);
        FileOps::replaceWith(staged, server);
        tx.commit();
    } catch (...) {
        QFile::remove(staged);
        throw;
    }
    if (removeLocalCopy)
        QFile::remove(local);
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
    WriteTransaction tx(m_context->db());
    release(projectId, row.userId);
    m_context->logHistory(projectId, QStringLiteral("In gebruik nemen ongedaan gemaakt"),
                          mine ? remark : QStringLiteral("Voor %1. %2").arg(row.userId, remark).trimmed());
    if (restoreLocalCopy && mine) {
        const QString local = FileOps::join(row.checkoutFolder, row.fileName);
        const QString server = m_context->serverFile(row);
        if (QFileInfo::exists(local) && !FileOps::sameContent(local, server))
            FileOps::moveAside(local);
        if (!QFileInfo::exists(local) && QFileInfo::exists(server))
            FileOps::copyNew(server, local, false);
    }
    tx.commit();
}

QString CheckOutDesk::viewCopy(qint32 projectId)
{
    const ProjectRow row = m_context->project(projectId);
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/dwbekijken-XXXXXX"));
    if (!dir.isValid())
        throw DwError(DwError::PathNotFound, QStringLiteral("Er kan geen tijdelijke map worden gemaakt."));
    dir.setAutoRemove(false);
    const QString path = FileOps::join(dir.path(), row.fileName);
    try {
        FileOps::copyNew(m_context->serverFile(row), path, false);
    } catch (...) {
        dir.remove();
        throw;
    }
    return path;
}

void CheckOutDesk::localCopy(qint32 projectId, const QString &target)
{
    const ProjectRow row = m_context->project(projectId);
    FileOps::copyNew(m_context->serverFile(row), target, false);
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
            localCopy(projectIds[i], FileOps::freePath(target));
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
