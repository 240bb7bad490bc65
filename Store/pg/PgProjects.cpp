#include "pg/PgServices.h"

#include "ServerFolder.h"
#include "fs/FileOps.h"
#include "fs/NameRules.h"
#include "search/ShownFiles.h"
#include "DwError.h"

#include <QDateTime>
#include <QStringList>

#include <algorithm>

namespace dwfm::store::pg {

namespace {
// The answers of a batch function, one row per file (first column its own answer, then the
// refusal's SQL state and text); the last refusal becomes the last error.
template <typename T>
QList<T> batchAnswers(const PgContextPtr &context, const PgResult &r, T (*answer)(const PgResult &, int))
{
    QList<T> out;
    for (int i = 0; i < r.rows(); ++i) {
        out << answer(r, i);
        if (!r.isNull(i, 1))
            context->setLastError(PgConnection::errorNumber(r.raw(i, 1)), r.text(i, 2));
    }
    return out;
}
} // namespace

const char *PgProjects::inLocationSql()
{
    return "SELECT " DW_FILE_ROW_COLUMNS " FROM projects p WHERE p.location_id = ? ORDER BY p.name_key";
}

qint32 PgProjects::add(const QString &strSourcePath, qint32 lLocationID, const QString &name, bool bCopyIntoStore,
                       bool bLogHistory)
{
    FileOps::FileStamp placed;
    AnchoredPath source;
    const qint32 id = m_context->inTransaction(
        [&] {
            NameRules::require(name);
            // A file to register must lie where the server session's root folder says a
            // file of that location and name is put (see StoreFolders::serverDropFolder);
            // below that folder no link is followed. A file to copy in is the one the user
            // named.
            if (bCopyIntoStore) {
                source = AnchoredPath::chosen(strSourcePath);
            } else {
                source = m_context->inStore(FileOps::join(m_context->locationFolder(lLocationID), name));
                ServerFolder::requireInPlace(strSourcePath, source);
            }
            FileOps::requireRegular(source, false);
            const PgContent::Upload up = PgContent::upload(m_context->db(), source);
            placed = up.source;
            // The server writes the history; a file registered in place came from nowhere else.
            const QString source = bCopyIntoStore ? strSourcePath : QString();
            return qint32(m_context->db()
                              .exec("SELECT add_project(?, ?, ?, ?, ?, ?)",
                                    {lLocationID, name, bLogHistory, source, up.id, PgContent::hashBytes(up.content.sha256)})
                              .int64(0, 0));
        });
    // A registered file has been handed over: the database holds it now.
    if (!bCopyIntoStore)
        m_context->guard([&] { return FileOps::removeIfUnchanged(source, placed); }, QString());
    return id;
}

qint32 PgProjects::copy(qint32 lProjectID, qint32 lTargetLocationID, const QString &strDescription)
{
    return m_context->inTransaction([&] {
        return qint32(
            m_context->db().exec("SELECT copy_project(?, ?, ?)", {lProjectID, lTargetLocationID, strDescription}).int64(0, 0));
    });
}

QList<qint32> PgProjects::copyMany(const QList<qint32> &lProjectIDs, qint32 lTargetLocationID,
                                   const QString &strDescription)
{
    return m_context->inTransaction(
        [&] {
            const PgResult r = m_context->db().exec("SELECT new_id, state, refusal FROM copy_projects(?::integer[], ?, ?)",
                                                    {PgConnection::intArray(lProjectIDs), lTargetLocationID, strDescription});
            return batchAnswers<qint32>(m_context, r, [](const PgResult &row, int i) { return qint32(row.int64(i, 0)); });
        });
}

QList<bool> PgProjects::removeMany(const QList<qint32> &lProjectIDs)
{
    return m_context->inTransaction(
        [&] {
            const PgResult r =
                m_context->db().exec("SELECT done, state, refusal FROM delete_projects(?::integer[])", {PgConnection::intArray(lProjectIDs)});
            return batchAnswers<bool>(m_context, r, [](const PgResult &row, int i) { return row.boolean(i, 0); });
        });
}

void PgProjects::rename(qint32 lProjectID, const QString &strName)
{
    m_context->inTransaction(
        [&] {
            // The same name again changes nothing; a name the rules refuse is refused unless it is.
            if (!NameRules::problem(strName).isEmpty()) {
                if (m_context->file(lProjectID).fileName == strName)
                    return true;
                NameRules::require(strName);
            }
            // Compared and renamed in one statement: one round trip.
            m_context->db().exec("SELECT CASE WHEN f.file_name IS DISTINCT FROM ? THEN rename_project(?, ?) END "
                                 "FROM (SELECT (SELECT file_name FROM projects WHERE project_id = ?) AS file_name) f",
                                 {strName, lProjectID, strName, lProjectID});
            return true;
        });
}

void PgProjects::remove(qint32 lProjectID)
{
    m_context->inTransaction([&] {
        m_context->db().exec("SELECT delete_project(?)", {lProjectID});
        return true;
    });
}

RecordsetPtr PgProjects::inLocation(qint32 lLocationID)
{
    return m_context->rows(inLocationSql(), {lLocationID}, RowShapes::file());
}

RecordsetPtr PgProjects::ofUser(const QString &strUserID, const QVariant &vOptional)
{
    bool filtered = false;
    const qint32 location = vOptional.isNull() ? 0 : vOptional.toInt(&filtered);
    return m_context->rows("SELECT " DW_FILE_ROW_COLUMNS " FROM projects p "
                           "WHERE p.checked_out AND lower(p.user_id) = lower(?) "
                           "AND (? = 0 OR p.location_id = ?) ORDER BY p.name_key",
                           {strUserID, filtered ? 1 : 0, location}, RowShapes::file());
}

RecordsetPtr PgProjects::held(const QString &strUserID, qint32 lOlderThanDays)
{
    static const QByteArray sql = ShownFiles::heldSql(QLatin1Char('$')).toUtf8();
    const qint64 days = std::max(lOlderThanDays, 0);
    return m_context->rows(sql.constData(),
                           {m_context->user().id.toLower(), m_context->user().admin ? 1 : 0, strUserID.trimmed().toLower(),
                            days, QDateTime::currentMSecsSinceEpoch() - days * 86'400'000},
                           RowShapes::foundFile());
}

} // namespace dwfm::store::pg
