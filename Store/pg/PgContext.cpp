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

RecordsetPtr PgContext::userRoots() const
{
    const QString key = user().id.toLower();
    return rows(R"SQL(
        SELECT l.location_id, l.name FROM locations l
         WHERE (EXISTS (SELECT 1 FROM user_roots WHERE user_key = ?)
                AND l.location_id IN (SELECT location_id FROM user_roots WHERE user_key = ?))
            OR (NOT EXISTS (SELECT 1 FROM user_roots WHERE user_key = ?) AND l.parent_id = 0)
         ORDER BY l.name)SQL",
                {key, key, key}, RowShapes::roots());
}

QString PgContext::locationPath(qint32 id) const
{
    const PgResult r = m_db->exec(LocationPathSql, {id});
    QStringList parts;
    for (int i = 0; i < r.rows(); ++i)
        parts << r.text(i, 0);
    return joinLocationPath(id, parts, r.rows() > 0 ? r.int64(0, 1) : 0);
}

PgFileRow PgContext::file(qint32 id) const
{
    const PgResult r = m_db->exec("SELECT p.project_id, p.location_id, p.file_name, p.checked_out, p.user_id, "
                                  "p.checkout_folder, p.locked, p.version, encode(v.sha256, 'hex'), v.size "
                                  "FROM projects p LEFT JOIN versions v ON v.project_id = p.project_id "
                                  "AND v.version = p.version WHERE p.project_id = ?",
                                  {id});
    if (r.rows() == 0)
        throw DwError(DwError::ItemNotFound, QStringLiteral("Bestand %1 bestaat niet in de store.").arg(id));
    PgFileRow row;
    static_cast<ProjectRow &>(row) = ProjectRow{qint32(r.int64(0, 0)), qint32(r.int64(0, 1)), r.text(0, 2), r.boolean(0, 3),
                                                r.text(0, 4),          r.text(0, 5),          r.boolean(0, 6)};
    if (!r.isNull(0, 7)) {
        row.version = qint32(r.int64(0, 7));
        row.content = PgContent::Stored{r.text(0, 8), r.int64(0, 9)};
    }
    return row;
}

bool PgContext::heldByOther(const ProjectRow &file) const
{
    return file.checkedOut && file.userId.toLower() != user().id.toLower();
}

} // namespace dwfm::store::pg
