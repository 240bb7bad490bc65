// The server store's check-out, check-in and undo, and the copies it makes for the user:
// the file's content comes from the database and goes back to it; the working copy on
// this computer follows the commit.
#include "pg/PgServices.h"

#include "fs/FaultInjection.h"
#include "fs/FileOps.h"
#include "DwError.h"

#include <QDir>

#include <optional>
#include <vector>

namespace dwfm::store::pg {

struct PgProjects::Taking {
    QString name;
    std::unique_ptr<FileOps::PreparedFile> copy;
};

std::unique_ptr<PgProjects::Taking> PgProjects::take(qint32 id, const QString &remark)
{
    // The server takes the row and answers its content in the running transaction; the
    // working copy is made from it before the commit, as a file without a name that replaces
    // the local file only after the commit (a different local file kept aside). A refused
    // commit or a killed process leaves the user's folder as it was; a check-out whose
    // answer got lost is simply checked out again by its holder, which puts a missing
    // working copy back.
    const PgFileRow row = m_context->file(id);
    const bool mine = row.checkedOut && !m_context->heldByOther(row);
    const QString folder = mine ? row.checkoutFolder
                                : FileOps::join(m_context->workingRoot(), m_context->locationPath(row.locationId));
    auto taking = std::make_unique<Taking>();
    taking->name = row.fileName;
    // Below the working root nothing is followed: a link or anything but a regular file
    // where the working copy goes is refused, never read, replaced or written through.
    const AnchoredPath folderPath = m_context->workingFolderPath(folder);
    const AnchoredPath local = folderPath.child(row.fileName);
    FileOps::requireRegular(local, true);
    const PgContent::Cursor cursor = PgContent::cursorOf(
        m_context->db().exec("SELECT * FROM check_out(?, ?, ?, ?)", {id, m_context->computerName(), folder, remark}));
    // The holder's own working copy stays as it is; only a missing one is made again.
    if (!(FileOps::kindOf(local) == FileOps::Kind::File && (mine || PgContent::holds(local, cursor.content)))) {
        taking->copy =
            std::make_unique<FileOps::PreparedFile>(PgContent::producer(m_context->db(), cursor, row.fileName), folderPath);
    }
    return taking;
}

void PgProjects::place(Taking &taking)
{
    if (taking.copy)
        taking.copy->replace(taking.name);
}

void PgProjects::checkOut(qint32 lProjectID, const QString &strDescription)
{
    place(*m_context->inTransaction([&] { return take(lProjectID, strDescription); }));
}

QList<bool> PgProjects::checkOutMany(const QList<qint32> &lProjectIDs, const QString &strDescription)
{
    constexpr qsizetype Slice = 200;
    QList<bool> answers;
    for (qsizetype start = 0; start < lProjectIDs.size(); start += Slice) {
        const QList<qint32> slice = lProjectIDs.mid(start, Slice);
        std::vector<std::unique_ptr<Taking>> taken;
        QList<bool> sliceAnswers;
        try {
            PgTransaction tx(m_context->db());
            // Each file on its own: a refused one is rolled back to before it, the others stay.
            for (qint32 id : slice) {
                m_context->db().exec("SAVEPOINT dw_file");
                try {
                    taken.push_back(take(id, strDescription));
                    m_context->db().exec("RELEASE SAVEPOINT dw_file");
                    sliceAnswers << true;
                } catch (const std::exception &e) {
                    m_context->db().exec("ROLLBACK TO SAVEPOINT dw_file");
                    m_context->recordError(e);
                    sliceAnswers << false;
                }
            }
            FaultInjection::check("before-commit");
            tx.commit();
        } catch (const std::exception &e) {
            m_context->recordError(e);
            answers << QList<bool>(lProjectIDs.size() - answers.size(), false);
            return answers;
        }
        FaultInjection::point("after-commit");
        for (auto &taking : taken)
            m_context->guard([&] { place(*taking); return true; }, false);
        answers << sliceAnswers;
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
        up = PgContent::upload(m_context->db(), local, row.content);
        FaultInjection::check("before-commit");
        // The switch goes in one message with the COMMIT.
        tx.commit("SELECT check_in(?, ?, ?, ?)",
                  {id, up.id ? QVariant(up.id) : QVariant(), PgContent::hashBytes(up.content.sha256), remark});
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
