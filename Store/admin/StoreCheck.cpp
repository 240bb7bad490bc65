#include "admin/StoreCheck.h"

#include "StoreFolders.h"
#include "fs/FileOps.h"
#include "DwError.h"
#include "services/PendingWork.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <functional>

namespace dwfm::store {

namespace {
const QString TakenOut = QStringLiteral("In gebruik genomen");
const QString Released = QStringLiteral("In gebruik nemen ongedaan gemaakt");
const QString RepairNote = QStringLiteral("Aangevuld door herstel");
} // namespace

QString StoreCheck::lostFolder() const
{
    return FileOps::join(FileOps::join(m_context->folder(), QStringLiteral("verloren bestanden")), m_context->catalogue());
}

QString StoreCheck::putAside(const QString &path, const QString &why)
{
    if (m_lostBatch.isEmpty())
        m_lostBatch = FileOps::freePath(m_context->inStore(FileOps::join(
                                            lostFolder(), QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HHmmss")))))
                          .path();
    const QString relative = QDir(m_context->folder()).relativeFilePath(path);
    const AnchoredPath target = FileOps::freePath(m_context->inStore(FileOps::join(m_lostBatch, relative)));
    FileOps::makeFolder(target.parent());
    // A link is moved as the link it is; what it points at stays where it is.
    FileOps::rename(m_context->inStore(path), target);
    FileOps::appendText(m_context->inStore(FileOps::join(m_lostBatch, QStringLiteral("LEESMIJ.txt"))),
                        QStringLiteral("%1\n    was: %2\n    reden: %3\n")
                            .arg(QDir(m_lostBatch).relativeFilePath(target.path()), path, why)
                            .toUtf8());
    return target.path();
}

FileOps::Kind StoreCheck::kindIn(const QString &path) const
{
    try {
        return FileOps::kindOf(m_context->inStore(path));
    } catch (const DwError &) {
        return FileOps::Kind::Other; // a link or no folder on the way
    }
}

QStringList StoreCheck::run(bool repair)
{
    QStringList out;
    const SqliteDbPtr &db = m_context->db();
    {
        Statement q(db, "PRAGMA integrity_check");
        while (q.step()) {
            if (q.text(0) != QLatin1String("ok"))
                out << QStringLiteral("Database: %1").arg(q.text(0));
        }
    }
    if (repair) {
        out << PendingWork::recover(db, m_context->folder(), m_context->catalogue());
    } else {
        Statement q(db, "SELECT from_path, to_path, owner FROM pending_work ORDER BY work_id");
        while (q.step()) {
            if (!PendingWork::ownerAlive(q.text(2)))
                out << QStringLiteral("Onafgemaakt werk: %1 -> %2").arg(q.text(0), q.text(1));
        }
        for (const QString &name : QDir(m_context->stagingFolder()).entryList(QDir::Files | QDir::Hidden)) {
            if (!PendingWork::ownerAlive(name.section(QLatin1Char('-'), 0, 1)))
                out << QStringLiteral("Achtergebleven klaargezet bestand: %1").arg(name);
        }
    }
    checkFiles(repair, out);
    checkHolders(repair, out);
    checkHistory(repair, out);
    return out;
}

void StoreCheck::checkFiles(bool repair, QStringList &out)
{
    const SqliteDbPtr &db = m_context->db();
    const QString root = m_context->rootFolder();
    QHash<qint64, std::pair<qint64, QString>> locations;
    {
        Statement q(db, "SELECT location_id, parent_id, name FROM locations");
        while (q.step())
            locations.insert(q.int64(0), {q.int64(1), q.text(2)});
    }
    QHash<qint64, QString> paths;
    std::function<QString(qint64, int)> pathOf = [&](qint64 id, int depth) -> QString {
        if (id == 0)
            return root;
        if (paths.contains(id))
            return paths[id];
        if (!locations.contains(id) || depth > 100000)
            return QString();
        const QString parent = pathOf(locations[id].first, depth + 1);
        return paths[id] = parent.isEmpty() ? QString() : FileOps::join(parent, locations[id].second);
    };
    QSet<QString> folders{root}, files;
    for (auto it = locations.begin(); it != locations.end(); ++it) {
        const QString folder = pathOf(it.key(), 0);
        if (folder.isEmpty()) {
            out << QStringLiteral("Locatie %1 hangt niet onder de root.").arg(it.key());
            continue;
        }
        folders << folder;
        const FileOps::Kind kind = kindIn(folder);
        if (kind == FileOps::Kind::Missing) {
            out << QStringLiteral("Map ontbreekt: %1").arg(folder);
            if (repair)
                FileOps::makeFolder(m_context->inStore(folder));
        } else if (kind != FileOps::Kind::Folder) {
            out << QStringLiteral("Geen map maar een koppeling of bestand: %1").arg(folder);
            if (repair && kindIn(QFileInfo(folder).path()) == FileOps::Kind::Folder) {
                out << QStringLiteral("Opzij gezet: %1").arg(putAside(folder, QStringLiteral("stond op de plaats van een map")));
                FileOps::makeFolder(m_context->inStore(folder));
            }
        }
    }
    struct Missing {
        qint64 id;
        QString file, holder, local;
    };
    QList<Missing> missing;
    {
        Statement q(db, "SELECT project_id, location_id, file_name, checked_out, user_id, checkout_folder FROM projects");
        while (q.step()) {
            const QString folder = pathOf(q.int64(1), 0);
            const QString file = FileOps::join(folder, q.text(2));
            files << file;
            const FileOps::Kind kind = folder.isEmpty() ? FileOps::Kind::Missing : kindIn(file);
            if (kind == FileOps::Kind::Link || (kind == FileOps::Kind::Other && kindIn(folder) == FileOps::Kind::Folder)) {
                out << QStringLiteral("Geen gewoon bestand: %1").arg(file);
                if (repair)
                    putAside(file, QStringLiteral("stond op de plaats van een bestand van de store"));
            }
            if (kind != FileOps::Kind::File) {
                out << QStringLiteral("Serverbestand ontbreekt: %1 (bestand %2)").arg(file).arg(q.int64(0));
                missing.append({q.int64(0), file, q.int64(3) ? q.text(4) : QString(), FileOps::join(q.text(5), q.text(2))});
            }
        }
    }
    if (repair) {
        for (const Missing &m : missing) {
            // The holder's working copy is the newest content there is; without one the row
            // holds nothing and goes, with its history.
            const AnchoredPath local = m.holder.isEmpty() ? AnchoredPath() : AnchoredPath::below(QFileInfo(m.local).path(), m.local);
            if (!m.holder.isEmpty() && kindIn(QFileInfo(m.file).path()) == FileOps::Kind::Folder) {
                try {
                    FileOps::install(m_context->stage(local, true).path, m_context->inStore(m.file), false);
                    out << QStringLiteral("Hersteld uit de werkkopie van %1: %2").arg(m.holder, m.file);
                    continue;
                } catch (const DwError &) {
                    // No usable working copy (missing, a link, not a regular file): the row goes.
                }
            }
            WriteTransaction tx(db);
            for (const char *sql : {"DELETE FROM projects WHERE project_id = ?", "DELETE FROM history WHERE project_id = ?"}) {
                Statement del(db, sql);
                del.bind(1, m.id).exec();
            }
            tx.commit();
            out << QStringLiteral("Uit de store gehaald (het serverbestand ontbrak): bestand %1").arg(m.id);
        }
    }
    // Everything under the root that the store does not know; a folder it does not know is
    // reported once, with whatever it holds.
    std::function<void(const QString &)> walk = [&](const QString &dir) {
        const QFileInfoList entries =
            QDir(dir).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        for (const QFileInfo &entry : entries) {
            const QString path = entry.absoluteFilePath();
            if (entry.isDir() && !entry.isSymLink()) {
                if (folders.contains(path)) {
                    walk(path);
                    continue;
                }
                out << QStringLiteral("Onbekende map: %1").arg(path);
            } else if (!files.contains(path)) {
                out << QStringLiteral("Onbekend bestand: %1").arg(path);
            } else {
                continue;
            }
            if (!repair)
                continue;
            if (entry.isDir() && !entry.isSymLink()
                && QDir(path).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
                FileOps::removeFolder(m_context->inStore(path));
                out << QStringLiteral("Lege map verwijderd: %1").arg(path);
            } else {
                out << QStringLiteral("Opzij gezet: %1").arg(putAside(path, QStringLiteral("de store kende het niet")));
            }
        }
    };
    if (QFileInfo(root).isDir())
        walk(root);
}

void StoreCheck::checkHolders(bool repair, QStringList &out)
{
    const SqliteDbPtr &db = m_context->db();
    QList<std::pair<qint64, QString>> orphans;
    {
        Statement q(db, "SELECT project_id, user_id FROM projects WHERE checked_out = 1 "
                        "AND (user_id IS NULL OR user_id NOT IN (SELECT user_id FROM users))");
        while (q.step()) {
            orphans.append({q.int64(0), q.text(1)});
            out << QStringLiteral("In gebruik bij een onbekende gebruiker '%1': bestand %2").arg(q.text(1)).arg(q.int64(0));
        }
    }
    if (!repair)
        return;
    for (const auto &[id, user] : orphans) {
        WriteTransaction tx(db);
        Statement clear(db, "UPDATE projects SET checked_out = 0, user_id = NULL, checkout_at = NULL, computer_name = NULL, "
                            "checkout_folder = NULL, checkout_remark = NULL WHERE project_id = ?");
        clear.bind(1, id).exec();
        m_context->logHistory(qint32(id), Released, QStringLiteral("Door herstel: gebruiker '%1' bestaat niet.").arg(user));
        tx.commit();
        out << QStringLiteral("Vrijgegeven: bestand %1").arg(id);
    }
}

void StoreCheck::checkHistory(bool repair, QStringList &out)
{
    const SqliteDbPtr &db = m_context->db();
    qint64 orphaned = 0;
    {
        Statement q(db, "SELECT COUNT(*) FROM history WHERE project_id NOT IN (SELECT project_id FROM projects)");
        q.step();
        orphaned = q.int64(0);
    }
    if (orphaned > 0) {
        out << QStringLiteral("Geschiedenis zonder bestand: %1 regel(s)").arg(orphaned);
        if (repair) {
            WriteTransaction tx(db);
            db->exec("DELETE FROM history WHERE project_id NOT IN (SELECT project_id FROM projects)");
            tx.commit();
        }
    }
    // The last check-out line of a file must agree with whether it is held.
    struct Gap {
        qint64 id;
        QString action, user;
    };
    QList<Gap> gaps;
    {
        Statement q(db, R"SQL(
            SELECT p.project_id, p.checked_out, p.user_id,
                   (SELECT h.action FROM history h WHERE h.project_id = p.project_id
                       AND h.action IN ('In gebruik genomen', 'Vrijgegeven', 'In gebruik nemen ongedaan gemaakt')
                     ORDER BY h.history_id DESC LIMIT 1)
              FROM projects p)SQL");
        while (q.step()) {
            const bool held = q.int64(1) != 0;
            const bool lastTaken = q.text(3) == TakenOut;
            if (held != lastTaken && !(q.isNull(3) && !held)) {
                out << QStringLiteral("Geschiedenis onvolledig: bestand %1").arg(q.int64(0));
                gaps.append({q.int64(0), held ? TakenOut : Released, q.text(2)});
            }
        }
    }
    if (!repair)
        return;
    for (const Gap &gap : gaps) {
        WriteTransaction tx(db);
        Statement ins(db, "INSERT INTO history (project_id, action, action_at, user_name, memo) VALUES (?, ?, ?, ?, ?)");
        ins.bind(1, gap.id).bind(2, gap.action).bind(3, QDateTime::currentMSecsSinceEpoch()).bind(4, gap.user).bind(5, RepairNote);
        ins.exec();
        tx.commit();
    }
}

} // namespace dwfm::store
