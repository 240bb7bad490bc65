#include "admin/ContentCheck.h"

#include "DwError.h"
#include "fs/ContentHash.h"
#include "fs/FileOps.h"
#include "services/PendingWork.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace dwfm::store {

namespace {
// Versions whose content must be kept: not their file's current content (by number and
// by hash, for a content a check-in did not change).
const char *const KeptSql = R"SQL(
    SELECT v.hash, MAX(v.size), MIN(v.project_id), MIN(v.version)
      FROM versions v JOIN projects p ON p.project_id = v.project_id
      LEFT JOIN versions c ON c.project_id = p.project_id AND c.version = p.version
     WHERE v.hash IS NOT NULL AND v.version <> p.version AND (c.hash IS NULL OR v.hash <> c.hash)
     GROUP BY v.hash)SQL";

const char *const CurrentSql = R"SQL(
    SELECT p.project_id, p.version, c.hash, c.size, c.version IS NULL, p.location_id, p.file_name
      FROM projects p LEFT JOIN versions c ON c.project_id = p.project_id AND c.version = p.version)SQL";
} // namespace

QList<ContentCheck::Wanted> ContentCheck::keptContents()
{
    QList<Wanted> wanted;
    Statement q(m_context->db(), KeptSql);
    while (q.step()) {
        wanted.append({m_context->keptPath(q.text(0)), q.text(0), q.isNull(1) ? -1 : q.int64(1),
                       QStringLiteral("versie %1 van bestand %2").arg(q.int64(3)).arg(q.int64(2)), q.int64(2),
                       qint32(q.int64(3))});
    }
    return wanted;
}

QList<ContentCheck::Wanted> ContentCheck::currentContents()
{
    QList<Wanted> wanted;
    QList<std::tuple<qint64, qint32, QString, qint64, bool, qint64, QString>> rows;
    {
        Statement q(m_context->db(), CurrentSql);
        while (q.step()) {
            rows.append({q.int64(0), qint32(q.int64(1)), q.text(2), q.isNull(3) ? -1 : q.int64(3), q.int64(4) != 0,
                         q.int64(5), q.text(6)});
        }
    }
    QHash<qint64, QString> folders; // per location, read once
    for (const auto &[id, version, hash, size, missing, location, name] : rows) {
        if (!folders.contains(location)) {
            try {
                folders.insert(location, m_context->locationFolder(qint32(location)));
            } catch (const DwError &) {
                folders.insert(location, QString()); // outside the tree: the files' check names it
            }
        }
        if (folders.value(location).isEmpty())
            continue;
        const QString path = FileOps::join(folders.value(location), name);
        if (missing) {
            // The file's row names a version that is not there: the content has no record.
            wanted.append({path, QString(), -1, QStringLiteral("bestand %1 (zonder versie %2)").arg(id).arg(version), id,
                           version});
            continue;
        }
        wanted.append({path, hash, size, QStringLiteral("versie %1 van bestand %2").arg(version).arg(id), id, version});
    }
    return wanted;
}

void ContentCheck::run(bool deep, bool repair, QStringList &out)
{
    for (const Wanted &wanted : keptContents())
        checkContent(wanted, deep, repair, out);
    for (const Wanted &wanted : currentContents()) {
        // A missing server file is the files' check's to report and repair.
        if (m_context->kindIn(wanted.path) != FileOps::Kind::File)
            continue;
        if (wanted.hash.isEmpty()) {
            if (repair)
                fillHash(wanted, out);
            else if (deep)
                out << QStringLiteral("Nog zonder controlesom: %1 (%2)").arg(wanted.path, wanted.what);
            continue;
        }
        checkContent(wanted, deep, repair, out);
    }
    checkUnknown(repair, out);
    checkOrphans(repair, out);
}

void ContentCheck::checkContent(const Wanted &wanted, bool deep, bool repair, QStringList &out)
{
    const bool isFile = m_context->kindIn(wanted.path) == FileOps::Kind::File;
    const qint64 size = isFile ? FileOps::stampOf(m_context->inStore(wanted.path)).size : -1;
    QString problem;
    if (!isFile) {
        problem = QStringLiteral("Bewaarde inhoud ontbreekt: %1 (%2)").arg(wanted.hash, wanted.what);
    } else if (wanted.size >= 0 && size != wanted.size) {
        problem = QStringLiteral("Inhoud heeft een andere grootte dan %1: %2 (%3 bytes in plaats van %4)")
                      .arg(wanted.what, wanted.path)
                      .arg(size)
                      .arg(wanted.size);
    } else if (deep) {
        bool intact = false;
        try {
            intact = FileOps::hashFile(m_context->inStore(wanted.path)).hash == wanted.hash;
        } catch (const DwError &) {
        }
        m_verified[wanted.path] = intact;
        if (!intact)
            problem = QStringLiteral("Beschadigde inhoud: %1 (%2, controlesom klopt niet)").arg(wanted.path, wanted.what);
    }
    if (problem.isEmpty())
        return;
    out << problem;
    if (!repair)
        return;
    const QString good = intactCopy(wanted.hash, wanted.path);
    if (good.isEmpty()) {
        out << QStringLiteral("Niet te herstellen (geen goede kopie in de store; het bestand blijft zoals het is): %1")
                   .arg(wanted.path);
        return;
    }
    mend(wanted.path, good, QStringLiteral("de inhoud klopte niet met %1").arg(wanted.what));
    out << QStringLiteral("Hersteld uit %1: %2").arg(good, wanted.path);
}

QString ContentCheck::intactCopy(const QString &hash, const QString &except)
{
    QStringList candidates{m_context->keptPath(hash)};
    {
        Statement q(m_context->db(), "SELECT p.project_id FROM projects p JOIN versions c "
                                     "ON c.project_id = p.project_id AND c.version = p.version WHERE c.hash = ?");
        q.bind(1, hash);
        QList<qint32> ids;
        while (q.step())
            ids << qint32(q.int64(0));
        q.reset();
        for (qint32 id : ids) {
            try {
                candidates << m_context->serverFile(m_context->project(id));
            } catch (const DwError &) {
            }
        }
    }
    for (const QString &candidate : candidates) {
        if (candidate == except || m_context->kindIn(candidate) != FileOps::Kind::File
            || m_verified.value(candidate, true) == false)
            continue;
        try {
            if (FileOps::hashFile(m_context->inStore(candidate)).hash == hash)
                return candidate;
        } catch (const DwError &) {
        }
        m_verified[candidate] = false;
    }
    return QString();
}

void ContentCheck::mend(const QString &path, const QString &good, const QString &why)
{
    const FileOps::Staged staged = m_context->stage(m_context->inStore(good), true);
    try {
        // Whatever lies there (a link included) goes aside as it is.
        if (m_context->kindIn(path) != FileOps::Kind::Missing)
            m_putAside(path, why);
        const AnchoredPath target = m_context->inStore(path);
        FileOps::makeFolder(target.parent());
        FileOps::install(staged.path, target, false);
    } catch (...) {
        FileOps::discard(staged.path);
        throw;
    }
    m_verified[path] = true;
}

void ContentCheck::fillHash(const Wanted &wanted, QStringList &out)
{
    const AnchoredPath path = m_context->inStore(wanted.path);
    const FileOps::Hashed hashed = FileOps::hashFile(path);
    const SqliteDbPtr &db = m_context->db();
    WriteTransaction tx(db);
    if (FileOps::stampOf(path) != hashed.stamp)
        return; // changed meanwhile: the next run reads it again
    Statement fill(db, "UPDATE versions SET hash = ?, size = ? WHERE project_id = ? AND version = ? AND hash IS NULL");
    fill.bind(1, hashed.hash).bind(2, hashed.stamp.size).bind(3, wanted.projectId).bind(4, qint64(wanted.version)).exec();
    if (db->changes() == 0) {
        // The file's row names a version that has no record: it gets one.
        Statement ins(db, "INSERT OR IGNORE INTO versions (project_id, version, hash, size, made_at, remark) "
                          "VALUES (?, ?, ?, ?, ?, ?)");
        ins.bind(1, wanted.projectId)
            .bind(2, qint64(wanted.version))
            .bind(3, hashed.hash)
            .bind(4, hashed.stamp.size)
            .bind(5, QDateTime::currentMSecsSinceEpoch())
            .bind(6, QStringLiteral("Aangevuld door herstel"))
            .exec();
    }
    tx.commit();
    out << QStringLiteral("Controlesom berekend: %1").arg(wanted.path);
}

void ContentCheck::checkUnknown(bool repair, QStringList &out)
{
    const QString folder = m_context->contentFolder();
    const QFileInfoList subs = QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &sub : subs) {
        QFileInfoList strays;
        const bool fanOut = sub.isDir() && !sub.isSymLink() && sub.fileName().size() == 2
                            && ContentHash::looksLikeHash(sub.fileName().repeated(32));
        if (!fanOut) {
            strays << sub;
        } else {
            for (const QFileInfo &entry : QDir(sub.absoluteFilePath())
                                              .entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
                if (!entry.isFile() || entry.isSymLink() || !ContentHash::looksLikeHash(entry.fileName())
                    || !entry.fileName().startsWith(sub.fileName()))
                    strays << entry;
            }
        }
        for (const QFileInfo &stray : strays) {
            out << QStringLiteral("Onbekend in de map met bewaarde inhoud: %1").arg(stray.absoluteFilePath());
            if (repair) {
                out << QStringLiteral("Opzij gezet: %1")
                           .arg(m_putAside(stray.absoluteFilePath(), QStringLiteral("geen bewaarde inhoud van de store")));
            }
        }
    }
}

void ContentCheck::checkOrphans(bool repair, QStringList &out)
{
    const SqliteDbPtr &db = m_context->db();
    Statement q(db, "SELECT COUNT(*) FROM versions WHERE project_id NOT IN (SELECT project_id FROM projects)");
    q.step();
    const qint64 orphaned = q.int64(0);
    q.reset();
    if (orphaned == 0)
        return;
    out << QStringLiteral("Versies zonder bestand: %1").arg(orphaned);
    if (repair) {
        // Their kept contents stay until `dwstore prune` finds that nobody uses them.
        WriteTransaction tx(db);
        db->exec("DELETE FROM versions WHERE project_id NOT IN (SELECT project_id FROM projects)");
        tx.commit();
    }
}

} // namespace dwfm::store
