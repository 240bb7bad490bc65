#include "search/ContentIndex.h"

#include "DocumentText.h"
#include "DwError.h"
#include "fs/FileOps.h"
#include "search/SearchText.h"
#include "services/PendingWork.h"

#include <QDir>
#include <QTemporaryDir>

#include <optional>

namespace dwfm::store::ContentIndex {

namespace {
struct Claim {
    qint64 projectId = 0;
    qint64 queued = 0;
};

// The oldest waiting file that is free to take: unclaimed, or claimed by a process that is
// gone, and not waiting for a disk step to put its content in place.
std::optional<Claim> claimNext(const SqliteDbPtr &db, const QString &owner)
{
    // Looked for without the write lock, which only the taking itself holds: the taking
    // is conditional, so a file another process took meanwhile is simply not taken.
    Statement next(db, "SELECT q.project_id, q.queued, q.claimed_by FROM search_queue q "
                       "WHERE NOT EXISTS (SELECT 1 FROM pending_work w WHERE w.item_id = q.project_id AND w.kind IN (?, ?)) "
                       "ORDER BY q.queued LIMIT 32");
    next.bind(1, qint64(PendingWork::Replace)).bind(2, qint64(PendingWork::Place));
    std::optional<Claim> claim;
    QString taken;
    while (!claim && next.step()) {
        const QString holder = next.isNull(2) ? QString() : next.text(2);
        if (holder.isEmpty() || (holder != owner && !PendingWork::ownerAlive(holder))) {
            claim = Claim{next.int64(0), next.int64(1)};
            taken = holder;
        }
    }
    next.reset();
    if (!claim)
        return std::nullopt;
    WriteTransaction tx(db, WriteTransaction::Deferred);
    Statement take(db, "UPDATE search_queue SET claimed_by = ? WHERE project_id = ? AND queued = ? "
                       "AND claimed_by IS ?");
    take.bind(1, owner).bind(2, claim->projectId).bind(3, claim->queued);
    if (taken.isEmpty())
        take.bindNull(4);
    else
        take.bind(4, taken);
    take.exec();
    if (db->changes() != 1)
        return std::nullopt;
    tx.commit();
    return claim;
}

void giveBack(const SqliteDbPtr &db, const Claim &claim, const QString &owner)
{
    try {
        WriteTransaction tx(db, WriteTransaction::Deferred);
        Statement release(db, "UPDATE search_queue SET claimed_by = NULL WHERE project_id = ? AND claimed_by = ?");
        release.bind(1, claim.projectId).bind(2, owner).exec();
        tx.commit();
    } catch (const DwError &) {
        // The claim stays until this process ends; another takes it over then.
    }
}

QString stampText(const FileOps::FileStamp &stamp)
{
    if (stamp.size < 0)
        return QStringLiteral("-");
    return QStringLiteral("%1:%2:%3:%4").arg(stamp.device).arg(stamp.inode).arg(stamp.size).arg(stamp.modifiedNs);
}

// Writes what was read, unless the file went meanwhile. The queue entry goes only when it
// is still the one that was claimed: content stored again meanwhile is read again. Only the
// index changes: a list of the file's location has nothing new to show, and open searches
// learn of it through the index's own change counter.
void record(const StoreContext &context, const Claim &claim, const QString &owner, const QString &stamp,
            const QString &text)
{
    const SqliteDbPtr &db = context.db();
    WriteTransaction tx(db, WriteTransaction::Deferred);
    Statement where(db, "SELECT 1 FROM projects WHERE project_id = ?");
    where.bind(1, claim.projectId);
    if (where.step()) {
        where.reset();
        Statement drop(db, "DELETE FROM search_text WHERE rowid = ?");
        drop.bind(1, claim.projectId).exec();
        if (!text.isEmpty()) {
            Statement add(db, "INSERT INTO search_text (rowid, body) VALUES (?, ?)");
            add.bind(1, claim.projectId).bind(2, text).exec();
        }
        Statement keep(db, "INSERT OR REPLACE INTO search_content (project_id, stamp) VALUES (?, ?)");
        keep.bind(1, claim.projectId).bind(2, stamp).exec();
    } else {
        where.reset();
    }
    Statement done(db, "DELETE FROM search_queue WHERE project_id = ? AND queued = ?");
    done.bind(1, claim.projectId).bind(2, claim.queued).exec();
    Statement release(db, "UPDATE search_queue SET claimed_by = NULL WHERE project_id = ? AND claimed_by = ?");
    release.bind(1, claim.projectId).bind(2, owner).exec();
    tx.commit();
}

FileOps::FileStamp stampOrNone(const FileOps::Path &path)
{
    try {
        return FileOps::stampOf(path);
    } catch (const DwError &) {
        return FileOps::FileStamp{};
    }
}

// The text of a stored file, read from a copy the file operations make: they refuse a link
// or a device planted in the store's folder, so the index never holds text from outside the
// store. Nothing when the file cannot be copied.
std::optional<QString> readText(const FileOps::Path &path, const QString &fileName, const std::function<bool()> &goOn)
{
    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/dwindex-XXXXXX"));
    if (!folder.isValid())
        return std::nullopt;
    const QString copy = folder.filePath(QStringLiteral("document"));
    try {
        FileOps::copyNew(path, FileOps::Path::below(folder.path(), copy), false);
    } catch (const DwError &) {
        return std::nullopt;
    }
    return DocumentText::extract(copy, fileName, SearchText::MaxDocumentText, goOn);
}

Outcome index(const StoreContext &context, const Claim &claim, const QString &owner,
              const std::function<bool()> &goOn)
{
    ProjectRow row;
    try {
        row = context.project(qint32(claim.projectId));
    } catch (const DwError &e) {
        if (e.number() != DwError::ItemNotFound)
            throw;
        // Deleted meanwhile: its index rows went with it.
        record(context, claim, owner, QString(), QString());
        return Outcome::Indexed;
    }
    const FileOps::Path path = context.serverPath(row);
    const FileOps::FileStamp before = stampOrNone(path);
    const QString stamp = stampText(before);
    Statement known(context.db(), "SELECT stamp FROM search_content WHERE project_id = ?");
    known.bind(1, claim.projectId);
    const bool unchanged = known.step() && known.text(0) == stamp;
    known.reset();
    if (unchanged) {
        record(context, claim, owner, stamp, QString());
        return Outcome::Indexed;
    }
    // A server file that is missing or cannot be read has no text (`dwstore check` reports
    // it); it is read again when its content is stored again.
    std::optional<QString> text;
    if (before.size >= 0)
        text = readText(path, row.fileName, goOn);
    if (goOn && !goOn()) {
        giveBack(context.db(), claim, owner);
        return Outcome::Stopped;
    }
    // A file that changed while it was read is read again.
    if (stampOrNone(path) != before) {
        giveBack(context.db(), claim, owner);
        return Outcome::Waiting;
    }
    record(context, claim, owner, stamp, text.value_or(QString()));
    return Outcome::Indexed;
}
} // namespace

Outcome indexNext(const StoreContext &context, const QString &owner, const std::function<bool()> &goOn)
{
    const std::optional<Claim> claim = claimNext(context.db(), owner);
    if (!claim)
        return Outcome::Waiting;
    try {
        return index(context, *claim, owner, goOn);
    } catch (...) {
        giveBack(context.db(), *claim, owner);
        throw;
    }
}

qint64 waiting(const SqliteDbPtr &db)
{
    Statement count(db, "SELECT count(*) FROM search_queue");
    return count.step() ? count.int64(0) : 0;
}

} // namespace dwfm::store::ContentIndex
