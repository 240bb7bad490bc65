#include "pg/PgContext.h"

#include "pg/PgRecordset.h"
#include "DwError.h"

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
    const PgResult r = m_db->exec(LocationPathSql, {id});
    QStringList parts;
    for (int i = 0; i < r.rows(); ++i)
        parts << r.text(i, 0);
    return joinLocationPath(id, parts, r.rows() > 0 ? r.int64(0, 1) : 0);
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
