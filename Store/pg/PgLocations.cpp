#include "pg/PgServices.h"

#include "services/StoreLocations.h"

namespace dwfm::store::pg {

qint32 PgLocations::createLocation(const QString &name, const QString &remark, qint32 parentId)
{
    return m_context->inTransaction([&] {
        StoreLocations::requireName(parentId == 0 ? QString() : m_context->locationPath(parentId), name);
        return qint32(m_context->db().exec("SELECT create_location(?, ?, ?)", {name, remark, parentId}).int64(0, 0));
    });
}

void PgLocations::deleteLocation(qint32 locationId)
{
    m_context->inTransaction([&] {
        m_context->db().exec("SELECT delete_location(?)", {locationId});
        return true;
    });
}

void PgLocations::renameLocation(qint32 locationId, const QString &name)
{
    m_context->inTransaction([&] {
        const QString oldPath = m_context->locationPath(locationId);
        if (oldPath.section(QLatin1Char('/'), -1) == name)
            return true;
        StoreLocations::requireName(oldPath.section(QLatin1Char('/'), 0, -2), name);
        m_context->db().exec("SELECT rename_location(?, ?)", {locationId, name});
        return true;
    });
}

qint32 PgLocations::locationKind(qint32 locationId)
{
    const PgResult r = m_context->db().exec("SELECT kind FROM locations WHERE location_id = ?", {locationId});
    return r.rows() ? qint32(r.int64(0, 0)) : 0;
}

RecordsetPtr PgLocations::childLocations(qint32 locationId)
{
    return m_context->rows(ChildLocationsSql, {locationId}, RowShapes::childLocations());
}

} // namespace dwfm::store::pg
