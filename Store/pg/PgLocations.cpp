#include "pg/PgServices.h"

#include "fs/FaultInjection.h"
#include "fs/FileOps.h"
#include "fs/NameRules.h"
#include "DwError.h"

#include <QDir>
#include <QFileInfo>

namespace dwfm::store::pg {

namespace {
// The embedded store's rule for a location's name and its path below the root.
void requireName(const QString &parentPath, const QString &name)
{
    NameRules::require(name);
    const QString path = parentPath.isEmpty() ? name : parentPath + QLatin1Char('/') + name;
    if (NameRules::byteLength(path) > NameRules::MaxPathBytes) {
        throw DwError(DwError::InputError, QStringLiteral("Het pad van de map wordt te lang: %1 bytes, hoogstens %2.")
                                               .arg(NameRules::byteLength(path))
                                               .arg(NameRules::MaxPathBytes));
    }
}
} // namespace

bool PgLocations::CreateLocation(const QString &strName, const QString &strDescription, qint32 lParentID,
                                 qint32 &lNewID)
{
    return guarded(
        m_context,
        [&] {
            PgConnection &db = m_context->db();
            PgTransaction tx(db);
            const QString parentPath = lParentID == 0 ? QString() : m_context->locationPath(lParentID);
            requireName(parentPath, strName);
            const QString parentFolder = FileOps::join(m_context->rootFolder(), parentPath);
            const PgResult r = db.exec("SELECT create_location(?, ?, ?)", {strName, strDescription, lParentID});
            const AnchoredPath folder = m_context->inStore(FileOps::join(parentFolder, strName));
            FileOps::requireFolder(folder, true);
            const bool existed = FileOps::kindOf(folder) == FileOps::Kind::Folder;
            FileOps::makeFolder(folder);
            try {
                FaultInjection::check("before-commit");
                tx.commit();
            } catch (...) {
                if (!existed)
                    FileOps::removeFolder(folder);
                throw;
            }
            lNewID = qint32(r.int64(0, 0));
            return true;
        },
        false);
}

bool PgLocations::DeleteLocation(qint32 lLocationID)
{
    return guarded(
        m_context,
        [&] {
            PgConnection &db = m_context->db();
            PgTransaction tx(db);
            const AnchoredPath folder = m_context->inStore(m_context->locationFolder(lLocationID));
            db.exec("SELECT delete_location(?)", {lLocationID});
            FileOps::requireFolder(folder, true);
            if (FileOps::kindOf(folder) == FileOps::Kind::Folder && !QDir(folder.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
                throw DwError(DwError::PermissionDenied,
                              QStringLiteral("De map '%1' kan niet worden verwijderd: er staan bestanden in die de "
                                             "store niet kent.").arg(folder.path()));
            }
            FileOps::removeFolder(folder);
            try {
                FaultInjection::check("before-commit");
                tx.commit();
            } catch (...) {
                FileOps::makeFolder(folder);
                throw;
            }
            return true;
        },
        false);
}

bool PgLocations::RenameLocation(qint32 lLocationID, const QString &strName)
{
    return guarded(
        m_context,
        [&] {
            PgConnection &db = m_context->db();
            PgTransaction tx(db);
            const QString oldPath = m_context->locationPath(lLocationID);
            const QString oldFolder = FileOps::join(m_context->rootFolder(), oldPath);
            if (QFileInfo(oldFolder).fileName() == strName)
                return true;
            requireName(oldPath.section(QLatin1Char('/'), 0, -2), strName);
            db.exec("SELECT rename_location(?, ?)", {lLocationID, strName});
            const AnchoredPath from = m_context->inStore(oldFolder);
            const AnchoredPath to = from.parent().child(strName);
            const bool caseOnly = QFileInfo(oldFolder).fileName().toLower() == strName.toLower();
            if (!caseOnly && FileOps::kindOf(to) != FileOps::Kind::Missing)
                throw DwError(DwError::FileAlreadyExists, QStringLiteral("De map '%1' bestaat al op schijf.").arg(to.path()));
            FileOps::requireFolder(from, true);
            const bool present = FileOps::kindOf(from) == FileOps::Kind::Folder;
            if (present)
                FileOps::rename(from, to);
            try {
                FaultInjection::check("before-commit");
                tx.commit();
            } catch (...) {
                if (present)
                    FileOps::rename(to, from);
                throw;
            }
            return true;
        },
        false);
}

QString PgLocations::GetLocationPath(qint32 lLocationID)
{
    return guarded(m_context, [&] { return m_context->locationPath(lLocationID); }, QString());
}

QString PgLocations::GetServerRootFolder()
{
    return m_context ? m_context->rootFolder() : QString();
}

QString PgLocations::GetLocationDescription(qint32 lLocationID)
{
    return guarded(
        m_context,
        [&] {
            const PgResult r = m_context->db().exec("SELECT name FROM locations WHERE location_id = ?", {lLocationID});
            return r.rows() ? r.text(0, 0) : QString();
        },
        QString());
}

static qint32 LocationKindOf(PgConnection &db, qint32 id)
{
    const PgResult r = db.exec("SELECT kind FROM locations WHERE location_id = ?", {id});
    return r.rows() ? qint32(r.int64(0, 0)) : 0;
}

qint32 PgLocations::GetLocationKind(qint32 lLocationID)
{
    return guarded(m_context, [&] { return LocationKindOf(m_context->db(), lLocationID); }, qint32(0));
}

bool PgLocations::GetChildLocations(RecordsetPtr &rsChildren, qint32 lLocationID)
{
    rsChildren.reset();
    return guarded(
        m_context,
        [&] { return bool(rsChildren = m_context->rows(ChildLocationsSql, {lLocationID}, RowShapes::childLocations())); },
        false);
}

} // namespace dwfm::store::pg
