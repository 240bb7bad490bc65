// The server store's versions of a file (ProjectVersions): every add, copy, check-in and
// restore made one, and the database keeps their content.
#include "pg/PgServices.h"

#include "fs/FileOps.h"
#include "DwError.h"

namespace dwfm::store::pg {

RecordsetPtr PgProjects::list(qint32 lProjectID)
{
    m_context->file(lProjectID); // an unknown file is an error, not an empty list
    return m_context->rows("SELECT v.version, encode(v.sha256, 'hex'), v.size, v.user_name, v.made_at, v.remark, "
                                         "v.version = p.version, v.version IS NOT DISTINCT FROM p.checkout_version "
                                         "FROM versions v JOIN projects p USING (project_id) "
                                         "WHERE v.project_id = ? ORDER BY v.version DESC",
                                         {lProjectID}, RowShapes::versions());
}

QString PgProjects::viewCopy(qint32 lProjectID, qint32 lVersion)
{
    if (lVersion <= 0)
        throw DwError(DwError::ItemNotFound, QStringLiteral("Versie %1 bestaat niet.").arg(lVersion));
    QString path;
    withContent(lProjectID, lVersion,
                [&](const FileOps::Producer &bytes, const QString &name) { path = FileOps::viewCopy(bytes, name); });
    return path;
}

void PgProjects::restore(qint32 lProjectID, qint32 lVersion, const QString &strRemark)
{
    m_context->inTransaction(
        [&] {
            // Damaged content is not made current again: it is read back against its hash first.
            const QString name = m_context->file(lProjectID).fileName;
            const PgContent::Cursor kept =
                PgContent::cursorOf(m_context->db().exec("SELECT * FROM open_content(?, ?)", {lProjectID, lVersion}));
            PgContent::producer(m_context->db(), kept, name)([](const char *, qint64) {});
            m_context->db().exec("SELECT restore_version(?, ?, ?)", {lProjectID, lVersion, strRemark});
            return true;
        });
}

} // namespace dwfm::store::pg
