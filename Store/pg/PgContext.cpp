#include "pg/PgContext.h"

#include "pg/PgRecordset.h"
#include "platform/DwError.h"

#include <QStringList>

namespace dwfm::store::pg {

PgContext::PgContext(PgConnectionPtr connection, QString server, QString catalogue, QString rootFolder, UserInfo user)
    : SessionContext(std::move(catalogue), std::move(rootFolder), std::move(user)),
      m_db(std::move(connection)),
      m_server(std::move(server))
{
}

RecordsetPtr PgContext::rows(const char *sql, const QVariantList &params, const RowShape &shape) const
{
    return PgRecordset::open(m_db->exec(sql, params), shape.fields, shape.kinds);
}

QString PgContext::locationPath(qint32 id) const
{
    const PgResult r = m_db->exec(R"SQL(
        WITH RECURSIVE up (location_id, parent_id, name, depth) AS (
            SELECT location_id, parent_id, name, 0 FROM locations WHERE location_id = ?
            UNION ALL
            SELECT l.location_id, l.parent_id, l.name, up.depth + 1
              FROM locations l JOIN up ON l.location_id = up.parent_id
             WHERE up.depth < 4000)
        SELECT name FROM up ORDER BY depth DESC)SQL",
                                  {id});
    QStringList parts;
    for (int i = 0; i < r.rows(); ++i)
        parts << r.text(i, 0);
    if (parts.isEmpty())
        throw DwError(DwError::ItemNotFound, QStringLiteral("Locatie %1 bestaat niet.").arg(id));
    return parts.join(QLatin1Char('/'));
}

ProjectRow PgContext::file(qint32 id) const
{
    const PgResult r = m_db->exec("SELECT project_id, location_id, file_name, checked_out, user_id, checkout_folder, locked "
                                  "FROM projects WHERE project_id = ?",
                                  {id});
    if (r.rows() == 0)
        throw DwError(DwError::ItemNotFound, QStringLiteral("Bestand %1 bestaat niet in de store.").arg(id));
    return ProjectRow{qint32(r.int64(0, 0)), qint32(r.int64(0, 1)), r.text(0, 2), r.boolean(0, 3), r.text(0, 4),
                      r.text(0, 5),          r.boolean(0, 6)};
}

bool PgContext::heldByOther(const ProjectRow &file) const
{
    return file.checkedOut && file.userId.toLower() != user().id.toLower();
}

} // namespace dwfm::store::pg
