// The server store's check-out, check-in and undo, and the copies it makes for the user:
// the file's content comes from the database and goes back to it; the working copy on
// this computer follows the commit.
#include "pg/PgServices.h"

#include "fs/FaultInjection.h"
#include "fs/FileOps.h"
#include "DwError.h"

#include <QDir>
#include <QSet>

#include <map>
#include <optional>
#include <vector>

namespace dwfm::store::pg {

namespace {
// What a dialog's check-out answers inline in all (each file at most 1 MiB); a larger file,
// or one past this, is fetched on its own.
constexpr qint64 InlineBytes = qint64(8) << 20;

// One file of a check-out: refused (by the server, or on this side), or taken with its
// working copy made ready when one is needed.
struct Taking {
    qint32 id = 0;
    std::optional<DwError> refusal;
    bool refusedHere = false;
    QString name;
    std::unique_ptr<FileOps::PreparedFile> copy;
};

// Takes the files in the running transaction: the server reserves them all in one call and
// answers each one's folder and content (inline or a cursor); each working copy is made
// before the commit, as a file without a name that replaces the local file only after the
// commit (a different local file kept aside). A refused commit or a killed process leaves
// the user's folder as it was; a check-out whose answer got lost is settled by asking the
// server, and one checked out again by its holder puts a missing working copy back.
std::vector<Taking> take(PgContext &context, const QList<qint32> &ids, const QString &remark)
{
    PgConnection &db = context.db();
    // Binary cells: the inline content as its raw bytes.
    const PgResult r = db.execBinary("SELECT state, refusal, file_name, folder, held::text, content::text, "
                                     "encode(sha256, 'hex'), size::text, data "
                                     "FROM check_out_files(?::integer[], ?, ?, ?, ?)",
                                     {PgConnection::intArray(ids), context.computerName(), context.workingRoot(), remark,
                                      InlineBytes});
    std::vector<Taking> taken(std::size_t(r.rows()));
    for (int i = 0; i < r.rows(); ++i) {
        Taking &t = taken[std::size_t(i)];
        t.id = ids.value(i);
        if (!r.isNull(i, 0)) {
            t.refusal.emplace(PgConnection::errorNumber(r.raw(i, 0)), r.text(i, 1));
            continue;
        }
        t.name = r.text(i, 2);
        try {
            // Below the working root nothing is followed: a link or anything but a regular
            // file where the working copy goes is refused, never read, replaced or written
            // through.
            const AnchoredPath folder = context.workingFolderPath(r.text(i, 3));
            const AnchoredPath local = folder.child(t.name);
            FileOps::requireRegular(local, true);
            const PgContent::Stored content{r.text(i, 6), r.int64(i, 7)};
            // The holder's own working copy stays as it is; only a missing one is made again.
            if (FileOps::kindOf(local) == FileOps::Kind::File && (r.boolean(i, 4) || PgContent::holds(local, content)))
                continue;
            t.copy = std::make_unique<FileOps::PreparedFile>(
                r.isNull(i, 5) ? PgContent::producer(QByteArray(r.raw(i, 8), r.length(i, 8)), content, t.name)
                               : PgContent::producer(db, PgContent::Cursor{r.text(i, 5), content}, t.name),
                folder);
        } catch (const DwError &e) {
            t.refusal = e;
            t.refusedHere = true;
        }
    }
    return taken;
}

// Checks out the files in one transaction and answers them in the order of `ids`, each
// refused or taken (its working copy not yet placed). Throws when the transaction fails as
// a whole.
std::vector<Taking> checkOutAll(PgContext &context, const QList<qint32> &ids, const QString &remark)
{
    QList<qint32> todo = ids;
    std::map<qint32, DwError> refusedHere;
    std::vector<Taking> taken;
    while (!todo.isEmpty()) {
        PgTransaction tx(context.db());
        taken = take(context, todo, remark);
        // A file this side refuses is given back by rolling back; the others are taken
        // again without it.
        const auto before = todo.size();
        for (const Taking &t : taken) {
            if (t.refusedHere) {
                refusedHere.insert_or_assign(t.id, *t.refusal);
                todo.removeAll(t.id);
            }
        }
        if (todo.size() != before) {
            taken.clear();
            continue;
        }
        FaultInjection::check("before-commit");
        tx.commit();
        FaultInjection::point("after-commit");
        break;
    }
    std::vector<Taking> answers;
    std::size_t next = 0;
    for (qint32 id : ids) {
        if (const auto refused = refusedHere.find(id); refused != refusedHere.end()) {
            answers.push_back(Taking{id, refused->second, true, {}, {}});
        } else if (next < taken.size()) {
            answers.push_back(std::move(taken[next++]));
        } else {
            answers.push_back(Taking{id, DwError(DwError::DatabaseError, QStringLiteral("De server gaf geen antwoord voor bestand %1.").arg(id)), false, {}, {}});
        }
    }
    return answers;
}

// After the commit: the prepared working copy takes its place, its folder flushed unless the
// caller flushes the folders of many (flushFolders).
void place(Taking &taking, bool flush = true)
{
    if (taking.copy)
        taking.copy->replace(taking.name, flush);
}

// Flushes each folder the working copies were placed in once.
void flushFolders(const std::vector<Taking> &taken)
{
    QSet<QString> flushed;
    for (const Taking &taking : taken) {
        if (taking.copy && !flushed.contains(taking.copy->folder().path())) {
            flushed.insert(taking.copy->folder().path());
            FileOps::syncFolder(taking.copy->folder());
        }
    }
}
} // namespace

void PgProjects::checkOut(qint32 lProjectID, const QString &strDescription)
{
    std::vector<Taking> taken = checkOutAll(*m_context, {lProjectID}, strDescription);
    if (taken.front().refusal)
        throw *taken.front().refusal;
    place(taken.front());
}

QList<bool> PgProjects::checkOutMany(const QList<qint32> &lProjectIDs, const QString &strDescription)
{
    // Every prepared working copy holds an open file until the commit: a few hundred a time.
    constexpr qsizetype Slice = 200;
    QList<bool> answers;
    for (qsizetype start = 0; start < lProjectIDs.size(); start += Slice) {
        std::vector<Taking> taken;
        try {
            taken = checkOutAll(*m_context, lProjectIDs.mid(start, Slice), strDescription);
        } catch (const std::exception &e) {
            m_context->recordError(e);
            answers << QList<bool>(lProjectIDs.size() - answers.size(), false);
            return answers;
        }
        for (Taking &taking : taken) {
            if (taking.refusal)
                m_context->recordError(*taking.refusal);
            else
                m_context->guard([&] { place(taking, false); return true; }, false);
            answers << !taking.refusal;
        }
        flushFolders(taken);
    }
    return answers;
}

void PgProjects::checkIn(qint32 id, const QString &remark, bool removeLocalCopy)
{
    const PgFileRow row = m_context->file(id);
    if (!row.checkedOut)
        throw DwError(DwError::PermissionDenied, QStringLiteral("'%1' is niet in gebruik genomen.").arg(row.fileName));
    if (m_context->heldByOther(row)) {
        throw DwError(DwError::PermissionDenied,
                      QStringLiteral("'%1' kan niet worden vrijgegeven: het is in gebruik bij %2.").arg(row.fileName, row.userId));
    }
    const AnchoredPath local = m_context->workingFolderPath(row.checkoutFolder).child(row.fileName);
    if (FileOps::kindOf(local) == FileOps::Kind::Missing)
        throw DwError(DwError::FileNotFound, QStringLiteral("De werkkopie '%1' bestaat niet.").arg(local.path()));
    // The new content and the switch to it (new version current, holder released, history)
    // are one transaction: until its commit the old version is the file's content and the
    // file stays held, whatever happens to this process or the connection.
    PgContent::Upload up;
    {
        PgTransaction tx(m_context->db());
        up = PgContent::upload(m_context->db(), local, row.content, true);
        FaultInjection::check("before-commit");
        // The upload's last chunk (a small file's only one) and the switch go in one message
        // with the COMMIT.
        tx.commit("SELECT check_in_last(?, ?, ?, ?, ?)",
                  {id, up.id ? QVariant(up.id) : QVariant(), up.changed ? QVariant(up.last) : QVariant(),
                   PgContent::hashBytes(up.content.sha256), remark});
    }
    FaultInjection::point("after-commit");
    // Only the version that was stored goes; one saved since is kept aside.
    if (removeLocalCopy)
        FileOps::removeIfUnchanged(local, up.source);
}

void PgProjects::cancel(qint32 id, const QString &remark, bool restoreLocalCopy)
{
    // The server's version is fetched beside the working copy first, without a name, and
    // takes its place only after the commit (a changed copy kept aside). An administrator
    // undoing someone else's check-out never touches that user's files.
    PgTransaction tx(m_context->db());
    const PgFileRow row = m_context->file(id);
    const AnchoredPath folder = m_context->workingFolderPath(row.checkoutFolder);
    std::optional<FileOps::PreparedFile> restored;
    if (restoreLocalCopy && !m_context->heldByOther(row) && row.version > 0
        && !PgContent::holds(folder.child(row.fileName), row.content)) {
        const PgContent::Cursor cursor =
            PgContent::cursorOf(m_context->db().exec("SELECT * FROM open_content(?, NULL)", {id}));
        restored.emplace(PgContent::producer(m_context->db(), cursor, row.fileName), folder);
    }
    FaultInjection::check("before-commit");
    // The undo itself goes in one message with the COMMIT.
    tx.commit("SELECT cancel_check_out(?, ?)", {id, remark});
    FaultInjection::point("after-commit");
    if (restored)
        restored->replace(row.fileName);
}

void PgProjects::withContent(qint32 id, qint32 version,
                             const std::function<void(const FileOps::Producer &, const QString &name)> &use)
{
    // The cursor lives in a transaction; nothing is changed, so it ends with a rollback.
    PgTransaction tx(m_context->db());
    const PgResult r = m_context->db().exec("SELECT o.*, p.file_name FROM projects p, open_content(p.project_id, ?) o "
                                            "WHERE p.project_id = ?",
                                            {version > 0 ? QVariant(version) : QVariant(), id});
    if (r.rows() == 0)
        throw DwError(DwError::ItemNotFound, QStringLiteral("Bestand %1 bestaat niet in de store.").arg(id));
    const QString name = r.text(0, 3);
    use(PgContent::producer(m_context->db(), PgContent::cursorOf(r), name), name);
}

QString PgProjects::viewCopy(qint32 lProjectID)
{
    QString path;
    withContent(lProjectID, 0,
                [&](const FileOps::Producer &bytes, const QString &name) { path = FileOps::viewCopy(bytes, name); });
    return path;
}

void PgProjects::localCopy(qint32 lProjectID, const AnchoredPath &target)
{
    withContent(lProjectID, 0,
                [&](const FileOps::Producer &bytes, const QString &) { FileOps::writeNew(bytes, target, false); });
}

} // namespace dwfm::store::pg
