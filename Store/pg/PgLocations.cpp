#include "pg/PgServices.h"

#include "fs/NameRules.h"
#include "DwError.h"

namespace dwfm::store::pg {

namespace {
// The embedded store's rule for a location's name and its path below the root: the path
// becomes the folder of the working copies.
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
    const qint32 id = committed(
        m_context,
        [&] {
            requireName(lParentID == 0 ? QString() : m_context->locationPath(lParentID), strName);
            return qint32(m_context->db().exec("SELECT create_location(?, ?, ?)", {strName, strDescription, lParentID}).int64(0, 0));
        },
        qint32(0));
    if (id > 0)
        lNewID = id;
    return id > 0;
}

bool PgLocations::DeleteLocation(qint32 lLocationID)
{
    return committed(
        m_context,
        [&] {
            m_context->db().exec("SELECT delete_location(?)", {lLocationID});
            return true;
        },
        false);
}

bool PgLocations::RenameLocation(qint32 lLocationID, const QString &strName)
{
    return committed(
        m_context,
        [&] {
            const QString oldPath = m_context->locationPath(lLocationID);
            if (oldPath.section(QLatin1Char('/'), -1) == strName)
                return true;
            requireName(oldPath.section(QLatin1Char('/'), 0, -2), strName);
            m_context->db().exec("SELECT rename_location(?, ?)", {lLocationID, strName});
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
