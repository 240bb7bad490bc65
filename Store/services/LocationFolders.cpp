#include "services/LocationFolders.h"

#include "db/SqliteRecordset.h"
#include "fs/FileOps.h"
#include "fs/NameRules.h"
#include "DwError.h"
#include "services/PendingWork.h"
#include "services/StoreLocations.h"

#include <QDir>
#include <QFileInfo>

namespace dwfm::store {

void LocationFolders::requireFreeName(qint32 parentId, const QString &name, qint32 exceptId)
{
    StoreLocations::requireName(parentId == 0 ? QString() : m_context->locationPath(parentId), name);
    m_context->requireNameFree(parentId, name, 0, exceptId);
}

void LocationFolders::requireMayChange(const LocationRow &loc) const
{
    // Top locations are made by administrators only, and only they rename or delete them.
    if (loc.parentId == 0 && !m_context->user().admin) {
        throw DwError(DwError::PermissionDenied,
                      QStringLiteral("Alleen een beheerder mag de hoofdlocatie '%1' wijzigen.").arg(loc.name));
    }
}

qint32 LocationFolders::create(const QString &name, const QString &remark, qint32 parentId, qint32 kind)
{
    m_context->requireWritable();
    if (parentId == 0 && !m_context->user().admin)
        throw DwError(DwError::PermissionDenied, QStringLiteral("Alleen een beheerder mag een hoofdlocatie maken."));
    WriteTransaction tx(m_context->db());
    const QString parentFolder = parentId == 0 ? m_context->rootFolder() : m_context->locationFolder(parentId);
    requireFreeName(parentId, name, 0);
    const AnchoredPath folder = m_context->inStore(FileOps::join(parentFolder, name));
    FileOps::requireFolder(folder, true);
    const bool existed = FileOps::kindOf(folder) == FileOps::Kind::Folder;
    Statement ins(m_context->db(),
                  "INSERT INTO locations (parent_id, name, name_key, remark, kind) VALUES (?, ?, ?, ?, ?) "
                  "RETURNING location_id");
    ins.bind(1, qint64(parentId)).bind(2, name).bind(3, NameRules::key(name)).bind(4, remark).bind(5, qint64(kind));
    ins.step();
    const qint32 id = qint32(ins.int64(0));
    ins.reset();
    FileOps::makeFolder(folder);
    try {
        tx.commit();
    } catch (...) {
        if (!existed)
            FileOps::removeFolder(folder);
        throw;
    }
    return id;
}

qint32 LocationFolders::createLocation(const QString &name, const QString &remark, qint32 parentId)
{
    return create(name, remark, parentId, parentId == 0 ? LocationKind::Files : m_context->location(parentId).kind);
}

PendingWork::Step LocationFolders::decideDelete(qint32 lLocationID)
{
    const LocationRow loc = m_context->location(lLocationID);
    requireMayChange(loc);
    Statement files(m_context->db(), "SELECT COUNT(*) FROM projects WHERE location_id = ?");
    files.bind(1, qint64(lLocationID)).step();
    Statement children(m_context->db(), "SELECT COUNT(*) FROM locations WHERE parent_id = ?");
    children.bind(1, qint64(lLocationID)).step();
    if (files.int64(0) > 0 || children.int64(0) > 0) {
        throw DwError(DwError::PermissionDenied,
                      QStringLiteral("De map '%1' is niet leeg: er staan nog %2 bestand(en) en %3 map(pen) in.")
                          .arg(loc.name)
                          .arg(files.int64(0))
                          .arg(children.int64(0)));
    }
    const QString folder = m_context->locationFolder(lLocationID);
    FileOps::requireFolder(m_context->inStore(folder), true);
    if (QFileInfo(folder).isDir() && !QDir(folder).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        throw DwError(DwError::PermissionDenied,
                      QStringLiteral("De map '%1' kan niet worden verwijderd: er staan bestanden in die de "
                                     "store niet kent.").arg(folder));
    }
    Statement del(m_context->db(), "DELETE FROM locations WHERE location_id = ?");
    del.bind(1, qint64(lLocationID)).exec();
    Statement roots(m_context->db(), "DELETE FROM user_roots WHERE location_id = ?");
    roots.bind(1, qint64(lLocationID)).exec();
    return {0, PendingWork::RemoveFolder, folder, QString(), lLocationID, QString(), QString()};
}

void LocationFolders::deleteLocation(qint32 locationId)
{
    m_context->requireWritable();
    m_context->commitChange([&] { return decideDelete(locationId); });
}

PendingWork::Step LocationFolders::decideRename(qint32 lLocationID, const QString &strName)
{
    const LocationRow loc = m_context->location(lLocationID);
    if (loc.name == strName)
        return {};
    requireMayChange(loc);
    requireFreeName(loc.parentId, strName, lLocationID);
    Statement busy(m_context->db(), R"SQL(
        WITH RECURSIVE below (location_id) AS (
            SELECT ?1 UNION ALL
            SELECT l.location_id FROM locations l JOIN below b ON l.parent_id = b.location_id)
        SELECT COUNT(*) FROM projects WHERE checked_out = 1 AND location_id IN (SELECT location_id FROM below))SQL");
    busy.bind(1, qint64(lLocationID)).step();
    if (busy.int64(0) > 0) {
        throw DwError(DwError::PermissionDenied,
                      QStringLiteral("De map '%1' kan niet worden hernoemd: er zijn nog %2 bestand(en) in "
                                     "gebruik.").arg(loc.name).arg(busy.int64(0)));
    }
    const QString oldFolder = m_context->locationFolder(lLocationID);
    // New content that another process committed for a file below lands where the database
    // said it lies before the folder moves.
    PendingWork::settleFolder(m_context->db(), m_context->folder(), oldFolder);
    const QString newFolder = FileOps::join(QFileInfo(oldFolder).absolutePath(), strName);
    const bool caseOnly = NameRules::key(loc.name) == NameRules::key(strName);
    FileOps::requireFolder(m_context->inStore(oldFolder), true);
    if (!caseOnly && FileOps::kindOf(m_context->inStore(newFolder)) != FileOps::Kind::Missing)
        throw DwError(DwError::FileAlreadyExists, QStringLiteral("De map '%1' bestaat al op schijf.").arg(newFolder));
    Statement upd(m_context->db(), "UPDATE locations SET name = ?, name_key = ? WHERE location_id = ?");
    upd.bind(1, strName).bind(2, NameRules::key(strName)).bind(3, qint64(lLocationID)).exec();
    return {0, PendingWork::RenameFolder, oldFolder, newFolder, lLocationID, NameRules::key(strName), QString()};
}

void LocationFolders::renameLocation(qint32 locationId, const QString &name)
{
    m_context->requireWritable();
    m_context->commitChange([&] { return decideRename(locationId, name); });
}

qint32 LocationFolders::locationKind(qint32 locationId)
{
    return m_context->location(locationId).kind;
}

const char *LocationFolders::childRowsSql()
{
    return ChildLocationsSql;
}

RecordsetPtr LocationFolders::childLocations(qint32 locationId)
{
    auto q = std::make_unique<Statement>(m_context->db(), childRowsSql());
    q->bind(1, qint64(locationId));
    return SqliteRecordset::open(std::move(q), RowShapes::childLocations().fields, RowShapes::childLocations().kinds);
}

} // namespace dwfm::store
