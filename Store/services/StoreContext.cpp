#include "services/StoreContext.h"

#include "StoreFolders.h"
#include "db/SqliteRecordset.h"
#include "search/ShownFiles.h"
#include "fs/FaultInjection.h"
#include "fs/FileOps.h"
#include "fs/NameRules.h"
#include "DwError.h"
#include "services/PendingWork.h"

#include <QDateTime>

namespace dwfm::store {

StoreContext::StoreContext(SqliteDbPtr db, QString folder, QString catalogue, UserInfo user)
    : SessionContext(catalogue, StoreFolders::rootFolder(folder, catalogue), std::move(user)),
      m_db(std::move(db)),
      m_folder(std::move(folder)),
      m_stagingFolder(StoreFolders::stagingFolder(m_folder, this->catalogue())),
      m_contentFolder(StoreFolders::contentFolder(m_folder, this->catalogue()))
{
}

QString StoreContext::keptPath(const QString &hash) const
{
    return FileOps::join(FileOps::join(m_contentFolder, hash.left(2)), hash);
}

FileOps::Staged StoreContext::stage(const AnchoredPath &source, bool durable, bool hashed) const
{
    return FileOps::stage(source, inStore(FileOps::join(m_stagingFolder, PendingWork::stagedName())), durable, hashed);
}

FileOps::Kind StoreContext::kindIn(const QString &path) const
{
    try {
        return FileOps::kindOf(inStore(path));
    } catch (const DwError &) {
        return FileOps::Kind::Other; // a link or no folder on the way
    }
}

void StoreContext::requireWritable() const
{
    if (user().readOnly) {
        throw DwError(DwError::PermissionDenied,
                      QStringLiteral("Gebruiker '%1' mag alleen lezen en kan niets wijzigen.").arg(user().id));
    }
}

LocationRow StoreContext::location(qint32 id) const
{
    Statement q(m_db, "SELECT location_id, parent_id, name, kind FROM locations WHERE location_id = ?");
    q.bind(1, qint64(id));
    if (!q.step())
        throw DwError(DwError::ItemNotFound, QStringLiteral("Locatie %1 bestaat niet.").arg(id));
    return LocationRow{qint32(q.int64(0)), qint32(q.int64(1)), q.text(2), qint32(q.int64(3))};
}

bool StoreContext::locationExists(qint32 id) const
{
    Statement q(m_db, "SELECT 1 FROM locations WHERE location_id = ?");
    q.bind(1, qint64(id));
    return q.step();
}

QString StoreContext::locationPath(qint32 id) const
{
    Statement q(m_db, LocationPathSql);
    q.bind(1, qint64(id));
    QStringList parts;
    qint64 topParent = 0;
    while (q.step()) {
        if (parts.isEmpty())
            topParent = q.int64(1);
        parts << q.text(0);
    }
    return joinLocationPath(id, parts, topParent);
}

RecordsetPtr StoreContext::rows(const char *sql, const QVariantList &params, const RowShape &shape) const
{
    Statement q(m_db, sql);
    for (int i = 0; i < params.size(); ++i)
        q.bind(i + 1, params[i]);
    return collectRows(q, shape.fields, shape.kinds);
}

RecordsetPtr StoreContext::userRoots() const
{
    // The locations a search looks below too.
    static const QByteArray sql = (ShownFiles::rootsSql(QLatin1Char('?')) + QStringLiteral(" ORDER BY l.name")).toUtf8();
    return rows(sql.constData(), {NameRules::key(user().id), qint64(0)}, RowShapes::roots());
}

ProjectRow StoreContext::project(qint32 id) const
{
    Statement q(m_db, "SELECT project_id, location_id, file_name, checked_out, user_id, checkout_folder, locked "
                      "FROM projects WHERE project_id = ?");
    q.bind(1, qint64(id));
    if (!q.step())
        throw DwError(DwError::ItemNotFound, QStringLiteral("Bestand %1 bestaat niet in de store.").arg(id));
    return ProjectRow{qint32(q.int64(0)), qint32(q.int64(1)), q.text(2), q.int64(3) != 0,
                      q.text(4),          q.text(5),           q.int64(6) != 0};
}

bool StoreContext::heldByOther(const ProjectRow &row) const
{
    return row.checkedOut && NameRules::key(row.userId) != NameRules::key(user().id);
}

void StoreContext::requireNotHeldByOther(const ProjectRow &row, const QString &action) const
{
    if (heldByOther(row)) {
        throw DwError(DwError::PermissionDenied,
                      QStringLiteral("'%1' kan niet worden %2: het is in gebruik bij %3.")
                          .arg(row.fileName, action, row.userId));
    }
}

void StoreContext::requireNameFree(qint32 locationId, const QString &name, qint32 exceptProject,
                                   qint32 exceptLocation) const
{
    Statement file(m_db, "SELECT file_name FROM projects WHERE location_id = ? AND name_key = ? AND project_id <> ?");
    file.bind(1, qint64(locationId)).bind(2, NameRules::key(name)).bind(3, qint64(exceptProject));
    if (file.step())
        throw DwError(DwError::IntegrityViolation, QStringLiteral("Er staat al een bestand '%1' in deze map.").arg(file.text(0)));
    Statement folder(m_db, "SELECT name FROM locations WHERE parent_id = ? AND name_key = ? AND location_id <> ?");
    folder.bind(1, qint64(locationId)).bind(2, NameRules::key(name)).bind(3, qint64(exceptLocation));
    if (folder.step())
        throw DwError(DwError::IntegrityViolation, QStringLiteral("Er bestaat al een map '%1' op deze plaats.").arg(folder.text(0)));
}

void StoreContext::commitChange(const std::function<PendingWork::Step()> &decide, const QString &stagedPath)
{
    commitChanges(
        [&] {
            const PendingWork::Step step = decide();
            return step.kind != 0 ? QList<PendingWork::Step>{step} : QList<PendingWork::Step>();
        },
        stagedPath);
}

void StoreContext::commitChanges(const std::function<QList<PendingWork::Step>()> &decide, const QString &stagedPath)
{
    QList<PendingWork::Step> steps;
    try {
        WriteTransaction tx(db());
        steps = decide();
        for (PendingWork::Step &step : steps)
            step.id = PendingWork::record(db(), m_folder, step);
        FaultInjection::check("before-commit");
        tx.commit();
    } catch (...) {
        if (!stagedPath.isEmpty())
            FileOps::discard(inStore(stagedPath));
        throw;
    }
    if (steps.size() == 1)
        PendingWork::finish(db(), m_folder, steps.first());
    else
        PendingWork::finishAll(db(), m_folder, steps);
}

void StoreContext::logHistory(qint32 projectId, const QString &action, const QString &memo)
{
    Statement q(m_db, "INSERT INTO history (project_id, action, action_at, user_name, memo) VALUES (?, ?, ?, ?, ?)");
    q.bind(1, qint64(projectId))
        .bind(2, action)
        .bind(3, QDateTime::currentMSecsSinceEpoch())
        .bind(4, user().id)
        .bind(5, memo.trimmed().isEmpty() ? QString() : memo);
    q.exec();
}

} // namespace dwfm::store
