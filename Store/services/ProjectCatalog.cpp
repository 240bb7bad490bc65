#include "services/ProjectCatalog.h"
#include "services/LocationListing.h"

#include "ServerFolder.h"
#include "db/SqliteRecordset.h"
#include "fs/FaultInjection.h"
#include "fs/FileOps.h"
#include "fs/NameRules.h"
#include "DwError.h"
#include "services/PendingWork.h"
#include "search/StoreSearch.h"
#include "services/StoreLocations.h"

#include <QFileInfo>

namespace dwfm::store {

QList<PendingWork::Step> ProjectCatalog::recorded(QList<PendingWork::Step> steps)
{
    for (PendingWork::Step &step : steps)
        step.id = PendingWork::record(m_context->db(), m_context->folder(), step);
    return steps;
}

void ProjectCatalog::requireTarget(qint32 locationId, const QString &name)
{
    const LocationRow loc = m_context->location(locationId);
    if (loc.kind != LocationKind::Files) {
        throw DwError(DwError::PermissionDenied,
                      QStringLiteral("In de map '%1' mogen geen bestanden worden geplaatst.").arg(loc.name));
    }
    NameRules::require(name);
    m_context->requireNameFree(locationId, name);
}

qint32 ProjectCatalog::add(const QString &source, qint32 locationId, const QString &name, bool copyIntoStore,
                           bool logHistory)
{
    m_context->requireWritable();
    FileOps::requireRegular(AnchoredPath::chosen(source), false);
    NameRules::require(name);
    // The data is copied, hashed and flushed before the write lock, so that others are not
    // kept waiting; the commit decides and the staged file then takes its place. A file
    // that is only registered is hashed where it lies.
    const FileOps::Staged staged = copyIntoStore ? m_context->stage(AnchoredPath::chosen(source), true, true) : FileOps::Staged{};
    const FileOps::Hashed content =
        copyIntoStore ? FileOps::Hashed{staged.hash, staged.source} : FileOps::hashFile(AnchoredPath::chosen(source));
    qint32 id = 0;
    m_context->commitChange(
        [&] {
            requireTarget(locationId, name);
            const AnchoredPath target = m_context->inStore(FileOps::join(m_context->locationFolder(locationId), name));
            if (copyIntoStore)
                ServerFolder::requireNoStrayFile(target);
            else
                ServerFolder::requireInPlace(source, target);
            if (!copyIntoStore && FileOps::stampOf(AnchoredPath::chosen(source)) != content.stamp) {
                throw DwError(DwError::PermissionDenied,
                              QStringLiteral("Het bestand '%1' werd gewijzigd terwijl het werd gelezen; probeer het "
                                             "opnieuw.").arg(source));
            }
            Statement ins(m_context->db(),
                          "INSERT INTO projects (location_id, file_name, name_key) VALUES (?, ?, ?) RETURNING project_id");
            ins.bind(1, qint64(locationId)).bind(2, name).bind(3, NameRules::key(name)).step();
            id = qint32(ins.int64(0));
            ins.reset();
            m_versions.recordFirst(id, content.hash, content.stamp.size, QString());
            if (logHistory)
                m_context->logHistory(id, QStringLiteral("Toegevoegd"),
                                      copyIntoStore ? QStringLiteral("Van %1").arg(source) : QString());
            if (!copyIntoStore)
                return PendingWork::Step{};
            return PendingWork::Step{0, PendingWork::Place, staged.path.path(), target.path(), id, NameRules::key(name), QString()};
        },
        staged.path.path());
    return id;
}

ProjectCatalog::StagedCopy ProjectCatalog::stageCopy(qint32 projectId, bool durable)
{
    const ProjectRow row = m_context->project(projectId);
    PendingWork::settle(m_context->db(), m_context->folder(), projectId);
    StagedCopy staged;
    staged.version = m_versions.current(row, false);
    staged.path = m_context->stage(m_context->serverPath(row), durable).path;
    return staged;
}

PendingWork::Step ProjectCatalog::recordCopy(qint32 projectId, qint32 targetLocationId, const QString &remark,
                                             const StagedCopy &staged)
{
    const ProjectRow src = m_context->project(projectId);
    // The copy shares the source's content, which must be the one that was staged.
    if (m_versions.current(src, false).number != staged.version.number)
        throw DwError(DwError::PermissionDenied, QStringLiteral("'%1' is intussen gewijzigd; probeer het opnieuw.").arg(src.fileName));
    requireTarget(targetLocationId, src.fileName);
    const AnchoredPath target = m_context->inStore(FileOps::join(m_context->locationFolder(targetLocationId), src.fileName));
    ServerFolder::requireNoStrayFile(target);
    Statement ins(m_context->db(),
                  "INSERT INTO projects (location_id, file_name, name_key, default_project) "
                  "SELECT ?, file_name, name_key, default_project FROM projects WHERE project_id = ? "
                  "RETURNING project_id");
    ins.bind(1, qint64(targetLocationId)).bind(2, qint64(projectId)).step();
    const qint32 id = qint32(ins.int64(0));
    ins.reset();
    m_context->logHistory(id, QStringLiteral("Gekopieerd van %1").arg(m_context->locationPath(src.locationId)), remark);
    m_versions.recordFirst(id, staged.version.hash, staged.version.size, remark);
    return PendingWork::Step{0, PendingWork::Place, staged.path.path(), target.path(), id, NameRules::key(src.fileName), QString()};
}

qint32 ProjectCatalog::copy(qint32 projectId, qint32 targetLocationId, const QString &remark)
{
    m_context->requireWritable();
    const StagedCopy staged = stageCopy(projectId, true);
    qint32 id = 0;
    m_context->commitChange(
        [&] {
            const PendingWork::Step step = recordCopy(projectId, targetLocationId, remark, staged);
            id = qint32(step.itemId);
            return step;
        },
        staged.path.path());
    return id;
}

QList<qint32> ProjectCatalog::copyMany(const QList<qint32> &projectIds, qint32 targetLocationId, const QString &remark)
{
    m_context->requireWritable();
    QList<qint32> ids(projectIds.size(), -1);
    // Every file's data is copied first, outside the write lock, and then made durable
    // together: the disk writes them all at once instead of one flush after the other.
    QList<StagedCopy> staged(projectIds.size());
    QList<AnchoredPath> written;
    for (qsizetype i = 0; i < projectIds.size(); ++i) {
        try {
            staged[i] = stageCopy(projectIds[i], false);
            written << staged[i].path;
        } catch (const DwError &e) {
            m_context->recordError(e);
        }
    }
    auto dropStaged = [&](qsizetype i) {
        if (!staged[i].path.isEmpty())
            FileOps::discard(staged[i].path);
        staged[i].path = AnchoredPath();
    };
    QList<PendingWork::Step> steps;
    try {
        FileOps::flushAll(written);
        WriteTransaction tx(m_context->db());
        for (qsizetype i = 0; i < projectIds.size(); ++i) {
            if (staged[i].path.isEmpty())
                continue;
            // A refused file takes back only its own rows; the others go on.
            m_context->db()->exec("SAVEPOINT one_copy");
            try {
                steps << recorded({recordCopy(projectIds[i], targetLocationId, remark, staged[i])});
                m_context->db()->exec("RELEASE one_copy");
            } catch (const DwError &e) {
                m_context->db()->exec("ROLLBACK TO one_copy");
                m_context->db()->exec("RELEASE one_copy");
                dropStaged(i);
                m_context->recordError(e);
                continue;
            }
            ids[i] = qint32(steps.last().itemId);
        }
        FaultInjection::check("before-commit");
        tx.commit();
    } catch (...) {
        for (qsizetype i = 0; i < staged.size(); ++i)
            dropStaged(i);
        throw;
    }
    PendingWork::finishAll(m_context->db(), m_context->folder(), steps);
    return ids;
}

void ProjectCatalog::rename(qint32 projectId, const QString &name)
{
    m_context->requireWritable();
    m_context->commitChange([&] {
        const ProjectRow row = m_context->project(projectId);
        if (row.fileName == name)
            return PendingWork::Step{};
        m_context->requireNotHeldByOther(row, QStringLiteral("hernoemd"));
        if (row.checkedOut) {
            // The working copy is found by its name at check-in; it must keep it until then.
            throw DwError(DwError::PermissionDenied,
                          QStringLiteral("'%1' is in gebruik genomen; geef het eerst vrij en wijzig dan de naam.").arg(row.fileName));
        }
        NameRules::require(name);
        m_context->requireNameFree(row.locationId, name, projectId);
        const QString from = m_context->serverFile(row);
        const QString to = FileOps::join(QFileInfo(from).absolutePath(), name);
        FileOps::requireRegular(m_context->inStore(from), true);
        if (NameRules::key(row.fileName) != NameRules::key(name)
            && FileOps::kindOf(m_context->inStore(to)) != FileOps::Kind::Missing)
            throw DwError(DwError::FileAlreadyExists, QStringLiteral("In de servermap staat al een bestand '%1'.").arg(to));
        Statement upd(m_context->db(), "UPDATE projects SET file_name = ?, name_key = ? WHERE project_id = ?");
        upd.bind(1, name).bind(2, NameRules::key(name)).bind(3, qint64(projectId)).exec();
        m_context->logHistory(projectId, QStringLiteral("Naam gewijzigd"),
                              QStringLiteral("Van '%1' in '%2'").arg(row.fileName, name));
        return PendingWork::Step{0, PendingWork::RenameFile, from, to, projectId, NameRules::key(name), QString()};
    });
}

QList<PendingWork::Step> ProjectCatalog::recordRemove(qint32 projectId)
{
    const ProjectRow row = m_context->project(projectId);
    m_context->requireNotHeldByOther(row, QStringLiteral("verwijderd"));
    // A content step of the file still under way must be done before its kept contents go.
    PendingWork::settle(m_context->db(), m_context->folder(), projectId, true);
    Statement del(m_context->db(), "DELETE FROM projects WHERE project_id = ?");
    del.bind(1, qint64(projectId)).exec();
    Statement hist(m_context->db(), "DELETE FROM history WHERE project_id = ?");
    hist.bind(1, qint64(projectId)).exec();
    QList<PendingWork::Step> steps{PendingWork::Step{0, PendingWork::RemoveFile, m_context->serverFile(row), QString(),
                                                     row.locationId, NameRules::key(row.fileName), QString()}};
    return steps << m_versions.forget(projectId);
}

void ProjectCatalog::remove(qint32 projectId)
{
    m_context->requireWritable();
    m_context->commitChanges([&] { return recordRemove(projectId); });
}

QList<bool> ProjectCatalog::removeMany(const QList<qint32> &projectIds)
{
    m_context->requireWritable();
    QList<bool> removed(projectIds.size(), false);
    QList<PendingWork::Step> steps;
    {
        WriteTransaction tx(m_context->db());
        for (qsizetype i = 0; i < projectIds.size(); ++i) {
            // A refused file takes back only its own rows; the others go on.
            m_context->db()->exec("SAVEPOINT one_removal");
            try {
                steps << recorded(recordRemove(projectIds[i]));
                m_context->db()->exec("RELEASE one_removal");
                removed[i] = true;
            } catch (const DwError &e) {
                m_context->db()->exec("ROLLBACK TO one_removal");
                m_context->db()->exec("RELEASE one_removal");
                m_context->recordError(e);
            }
        }
        FaultInjection::check("before-commit");
        tx.commit();
    }
    PendingWork::finishAll(m_context->db(), m_context->folder(), steps);
    return removed;
}

const char *ProjectCatalog::inLocationSql()
{
    return "SELECT " DW_FILE_ROW_COLUMNS " FROM projects p WHERE p.location_id = ? ORDER BY p.name_key";
}

RecordsetPtr ProjectCatalog::inLocation(qint32 locationId)
{
    return LocationListing::open(m_context->db(), locationId);
}

RecordsetPtr ProjectCatalog::ofUser(const QString &userId, const QVariant &locationFilter)
{
    bool filtered = false;
    const qint32 locationId = locationFilter.isNull() ? 0 : locationFilter.toInt(&filtered);
    auto st = std::make_unique<Statement>(
        m_context->db(),
        "SELECT " DW_FILE_ROW_COLUMNS " FROM projects p "
        " WHERE p.checked_out = 1 AND p.user_id IN (SELECT user_id FROM users WHERE user_key = ?1 UNION SELECT ?2)"
        "   AND (?3 = 0 OR p.location_id = ?4) ORDER BY p.name_key");
    st->bind(1, NameRules::key(userId)).bind(2, userId).bind(3, qint64(filtered ? 1 : 0)).bind(4, qint64(locationId));
    return SqliteRecordset::open(std::move(st), RowShapes::file().fields, RowShapes::file().kinds);
}

RecordsetPtr ProjectCatalog::held(const QString &userId, qint32 olderThanDays)
{
    return StoreSearch(m_context).held(userId, olderThanDays);
}

} // namespace dwfm::store
