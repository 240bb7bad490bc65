#pragma once

#include <QChar>
#include <QString>

namespace dwfm::store::ShownFiles {

// The SQL both stores use to answer files with the path of their location as the user's tree
// shows it. Parameters are numbered: `mark` is '?' for SQLite (?1) and '$' for PostgreSQL
// ($1). Parameter 1 is the user's key, parameter 2 is 1 for an administrator's view (every
// top location) and 0 for the user's own roots.

// The user's roots as the tree shows them (own roots, or every top location when the user
// has none): rows of location ID and name.
QString rootsSql(QChar mark);

// The file rows (DW_FILE_ROW_COLUMNS) followed by the location's path, of the files whose
// IDs `found` selects and that lie below the roots, each once. `extraCondition` (a WHERE
// over `p`, the file, or empty) and `order` (over `p` and `s.path`) complete it.
QString belowRootsSql(QChar mark, const QString &found, const QString &extraCondition, const QString &order);

// The held files below the roots, the longest held first. Parameter 3 is the holder's key
// (empty: everyone), 4 the least number of days held (0: any), 5 the newest check-out time
// (ms since the epoch) that is held that long.
QString heldSql(QChar mark);

} // namespace dwfm::store::ShownFiles
