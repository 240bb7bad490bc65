#include "search/ShownFiles.h"

#include "RowShape.h"

namespace dwfm::store::ShownFiles {

namespace {
// `sql` with every "?N" written with `mark`.
QString marked(QString sql, QChar mark)
{
    if (mark != QLatin1Char('?'))
        sql.replace(QLatin1Char('?'), mark);
    return sql;
}
} // namespace

QString rootsSql(QChar mark)
{
    return marked(QStringLiteral(
                      "SELECT l.location_id, l.name FROM locations l"
                      " WHERE (?2 = 1 AND l.parent_id = 0)"
                      "    OR (EXISTS (SELECT 1 FROM user_roots WHERE user_key = ?1)"
                      "        AND l.location_id IN (SELECT location_id FROM user_roots WHERE user_key = ?1))"
                      "    OR (NOT EXISTS (SELECT 1 FROM user_roots WHERE user_key = ?1) AND l.parent_id = 0)"),
                  mark);
}

QString belowRootsSql(QChar mark, const QString &found, const QString &extraCondition, const QString &order)
{
    // Each location once: a root below another root gives the shorter path. The depth
    // limit only guards against a damaged store whose locations form a ring.
    return QStringLiteral("WITH RECURSIVE roots(location_id, name) AS (%1), "
                          "visible(location_id, path, depth) AS ("
                          "  SELECT location_id, name, 0 FROM roots"
                          "  UNION ALL SELECT c.location_id, v.path || '/' || c.name, v.depth + 1"
                          "    FROM locations c JOIN visible v ON c.parent_id = v.location_id WHERE v.depth < 200), "
                          "shown(location_id, path) AS (SELECT location_id, MIN(path) FROM visible GROUP BY location_id), "
                          "found(project_id) AS (%2) "
                          "SELECT " DW_FILE_ROW_COLUMNS ", s.path FROM found f "
                          "JOIN projects p ON p.project_id = f.project_id "
                          "JOIN shown s ON s.location_id = p.location_id %3 ORDER BY %4")
        .arg(rootsSql(mark), found, extraCondition, order);
}

QString heldSql(QChar mark)
{
    return belowRootsSql(mark, QStringLiteral("SELECT project_id FROM projects WHERE checked_out"),
                         marked(QStringLiteral("WHERE (?3 = '' OR lower(p.user_id) = ?3 "
                                               "OR p.user_id IN (SELECT user_id FROM users WHERE user_key = ?3)) "
                                               "AND (?4 = 0 OR p.checkout_at <= ?5)"),
                                mark),
                         QStringLiteral("p.checkout_at, p.name_key"));
}

} // namespace dwfm::store::ShownFiles
