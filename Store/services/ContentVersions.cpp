#include "services/ContentVersions.h"

#include "db/SqliteRecordset.h"
#include "fs/FileOps.h"
#include "fs/NameRules.h"
#include "DwError.h"

#include <QDateTime>

#include <algorithm>

namespace dwfm::store {

namespace {
QVariant orNull(const QString &text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

QVariant orNull(qint64 size)
{
    return size < 0 ? QVariant() : QVariant(size);
}
} // namespace

ContentVersions::Current ContentVersions::current(const ProjectRow &row, bool withHash)
{
    Statement q(m_context->db(), "SELECT p.version, v.hash, v.size FROM projects p "
                                 "LEFT JOIN versions v ON v.project_id = p.project_id AND v.version = p.version "
                                 "WHERE p.project_id = ?");
    q.bind(1, qint64(row.id));
    if (!q.step())
        throw DwError(DwError::ItemNotFound, QStringLiteral("Bestand %1 bestaat niet in de store.").arg(row.id));
    Current now{qint32(q.int64(0)), q.text(1), q.isNull(2) ? -1 : q.int64(2), !q.isNull(1)};
    q.reset();
    if (withHash && !now.hashKnown) {
        const AnchoredPath server = m_context->serverPath(row);
        PendingWork::settle(m_context->db(), m_context->folder(), row.id);
        if (FileOps::kindOf(server) != FileOps::Kind::Missing) {
            const FileOps::Hashed hashed = FileOps::hashFile(server);
            now.hash = hashed.hash;
            now.size = hashed.stamp.size;
        }
    }
    return now;
}

void ContentVersions::recordFirst(qint32 projectId, const QString &hash, qint64 size, const QString &remark)
{
    Statement ins(m_context->db(), "INSERT INTO versions (project_id, version, hash, size, user_name, made_at, remark) "
                                   "VALUES (?, 1, ?, ?, ?, ?, ?)");
    ins.bind(1, qint64(projectId))
        .bind(2, orNull(hash))
        .bind(3, orNull(size))
        .bind(4, m_context->user().id)
        .bind(5, QDateTime::currentMSecsSinceEpoch())
        .bind(6, orNull(remark.trimmed()));
    ins.exec();
}

PendingWork::Step ContentVersions::supersede(const ProjectRow &row, const Current &before, const FileOps::Staged &staged,
                                             const QString &remark)
{
    const SqliteDbPtr &db = m_context->db();
    // Whatever another process committed for this file has reached its server file, so the
    // file that the step keeps aside is the content `before` names.
    PendingWork::settle(db, m_context->folder(), row.id, true);
    {
        Statement q(db, "SELECT version FROM projects WHERE project_id = ?");
        q.bind(1, qint64(row.id));
        if (!q.step() || q.int64(0) != before.number)
            throw DwError(DwError::PermissionDenied,
                          QStringLiteral("'%1' is intussen gewijzigd; probeer het opnieuw.").arg(row.fileName));
    }
    if (!before.hashKnown && !before.hash.isEmpty()) {
        Statement fill(db, "UPDATE versions SET hash = ?, size = ? WHERE project_id = ? AND version = ? AND hash IS NULL");
        fill.bind(1, before.hash).bind(2, before.size).bind(3, qint64(row.id)).bind(4, qint64(before.number)).exec();
    }
    const qint32 next = before.number + 1;
    Statement ins(db, "INSERT INTO versions (project_id, version, hash, size, user_name, made_at, remark) "
                      "VALUES (?, ?, ?, ?, ?, ?, ?)");
    ins.bind(1, qint64(row.id))
        .bind(2, qint64(next))
        .bind(3, staged.hash)
        .bind(4, staged.source.size)
        .bind(5, m_context->user().id)
        .bind(6, QDateTime::currentMSecsSinceEpoch())
        .bind(7, orNull(remark.trimmed()));
    ins.exec();
    Statement upd(db, "UPDATE projects SET version = ? WHERE project_id = ?");
    upd.bind(1, qint64(next)).bind(2, qint64(row.id)).exec();
    // Nothing to keep when the old content is the new one, or was never known.
    const QString keep = before.hash.isEmpty() || before.hash == staged.hash ? QString() : m_context->keptPath(before.hash);
    return PendingWork::Step{0,      PendingWork::Supersede, staged.path.path(), m_context->serverFile(row), row.id,
                             NameRules::key(row.fileName), keep};
}

QList<PendingWork::Step> ContentVersions::forget(qint32 projectId)
{
    QStringList hashes;
    {
        Statement q(m_context->db(), "SELECT DISTINCT hash FROM versions WHERE project_id = ? AND hash IS NOT NULL");
        q.bind(1, qint64(projectId));
        while (q.step())
            hashes << q.text(0);
    }
    Statement del(m_context->db(), "DELETE FROM versions WHERE project_id = ?");
    del.bind(1, qint64(projectId)).exec();
    return unusedContents(hashes);
}

QList<PendingWork::Step> ContentVersions::unusedContents(const QStringList &hashes)
{
    QList<PendingWork::Step> steps;
    for (const QString &hash : hashes) {
        Statement used(m_context->db(), "SELECT 1 FROM versions WHERE hash = ? LIMIT 1");
        used.bind(1, hash);
        const QString kept = m_context->keptPath(hash);
        if (!used.step() && FileOps::kindOf(m_context->inStore(kept)) != FileOps::Kind::Missing)
            steps << PendingWork::Step{0, PendingWork::RemoveContent, kept, QString(), 0, hash, QString()};
    }
    return steps;
}

RecordsetPtr ContentVersions::list(qint32 projectId)
{
    const ProjectRow row = m_context->project(projectId);
    // Only the current version of a store from before versions lacks its size: it is its
    // server file's.
    const qint64 serverSize = std::max<qint64>(0, FileOps::stampOf(m_context->serverPath(row)).size);
    Statement st(m_context->db(),
                 "SELECT v.version, v.hash, COALESCE(v.size, ?), v.user_name, v.made_at, v.remark, "
                 "       v.version = p.version, p.checked_out = 1 AND v.version = p.checkout_version "
                 "  FROM versions v JOIN projects p ON p.project_id = v.project_id "
                 " WHERE v.project_id = ? ORDER BY v.version DESC");
    st.bind(1, serverSize).bind(2, qint64(projectId));
    return collectRows(st, RowShapes::versions().fields, RowShapes::versions().kinds);
}

ContentVersions::Source ContentVersions::sourceOf(const ProjectRow &row, qint32 version)
{
    Statement q(m_context->db(),
                "SELECT v.hash, v.version = p.version OR v.hash = (SELECT c.hash FROM versions c "
                "       WHERE c.project_id = p.project_id AND c.version = p.version) "
                "  FROM versions v JOIN projects p ON p.project_id = v.project_id "
                " WHERE v.project_id = ? AND v.version = ?");
    q.bind(1, qint64(row.id)).bind(2, qint64(version));
    if (!q.step()) {
        throw DwError(DwError::ItemNotFound,
                      QStringLiteral("Van '%1' bestaat geen versie %2 (meer).").arg(row.fileName).arg(version));
    }
    const bool isCurrent = q.int64(1) != 0;
    const QString hash = q.text(0);
    q.reset();
    if (!isCurrent)
        return Source{m_context->inStore(m_context->keptPath(hash)), hash};
    // The current content is the server file, once what others committed has reached it.
    PendingWork::settle(m_context->db(), m_context->folder(), row.id);
    return Source{m_context->serverPath(row), hash};
}

QString ContentVersions::viewCopy(qint32 projectId, qint32 version)
{
    const ProjectRow row = m_context->project(projectId);
    const Source source = sourceOf(row, version);
    if (FileOps::kindOf(source.path) == FileOps::Kind::Missing) {
        throw DwError(DwError::FileNotFound,
                      QStringLiteral("De inhoud van versie %1 van '%2' ontbreekt in de store.").arg(version).arg(row.fileName));
    }
    return FileOps::viewCopy(source.path, row.fileName, source.hash);
}

void ContentVersions::restore(qint32 projectId, qint32 version, const QString &remark)
{
    m_context->requireWritable();
    const ProjectRow row = m_context->project(projectId);
    m_context->requireNotHeldByOther(row, QStringLiteral("teruggezet"));
    const Current before = current(row, true);
    if (version == before.number)
        throw DwError(DwError::InputError, QStringLiteral("Versie %1 is al de inhoud van '%2'.").arg(version).arg(row.fileName));
    const Source source = sourceOf(row, version);
    if (FileOps::kindOf(source.path) == FileOps::Kind::Missing) {
        throw DwError(DwError::FileNotFound,
                      QStringLiteral("De inhoud van versie %1 van '%2' ontbreekt in de store.").arg(version).arg(row.fileName));
    }
    // The old content is copied and flushed before the write lock, and checked against its
    // hash on the way: a damaged copy never becomes the file's content.
    const FileOps::Staged staged = m_context->stage(source.path, true, true);
    if (!source.hash.isEmpty() && staged.hash != source.hash) {
        FileOps::discard(staged.path);
        throw DwError(DwError::PathNotFound,
                      QStringLiteral("De bewaarde inhoud van versie %1 van '%2' is beschadigd; er is niets gewijzigd.")
                          .arg(version)
                          .arg(row.fileName));
    }
    const QString action = QStringLiteral("Versie %1 teruggezet").arg(version);
    m_context->commitChange(
        [&] {
            const ProjectRow now = m_context->project(projectId);
            m_context->requireNotHeldByOther(now, QStringLiteral("teruggezet"));
            const PendingWork::Step step = supersede(now, before, staged, remark.trimmed().isEmpty() ? action : remark);
            m_context->logHistory(projectId, action, remark);
            return step;
        },
        staged.path.path());
}

} // namespace dwfm::store
