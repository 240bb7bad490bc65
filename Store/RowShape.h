#pragma once

#include <QStringList>

#include <vector>

namespace dwfm::store {

// How a column's stored value becomes a field value.
enum class ColumnKind { Integer, Integer64, Text, Boolean, DateTime, Date, Time };

// The field names (as the control reads them) and kinds of the columns of one record set.
struct RowShape {
    QStringList fields;
    std::vector<ColumnKind> kinds;
};

// The columns of the file row every file list of both backends answers with, from the
// projects table under the alias `p`.
#define DW_FILE_ROW_COLUMNS                                                                                    \
    "p.project_id, p.file_name, p.checked_out, p.user_id, p.checkout_at, p.computer_name, p.checkout_folder, " \
    "p.checkout_remark, p.locked, p.default_project, p.location_id"

// A file's history, oldest first; its one parameter is the file's ID.
inline constexpr const char *HistorySql = "SELECT action, action_at, action_at, user_name, memo, action_at "
                                          "FROM history WHERE project_id = ? ORDER BY history_id";

// A location's sub-folders by name, each with whether it has sub-folders of its own; its one
// parameter is the location's ID. Both the rows and the test are searches in the
// (parent_id, name_key) index, which also gives the order: no sort step, and one query
// answers what the tree needs of every child.
inline constexpr const char *ChildLocationsSql = "SELECT l.location_id, l.name, "
                                                 "EXISTS (SELECT 1 FROM locations c WHERE c.parent_id = l.location_id) "
                                                 "FROM locations l WHERE l.parent_id = ? ORDER BY l.name_key";

namespace RowShapes {
// The file row (DW_FILE_ROW_COLUMNS).
const RowShape &file();
// The file row followed by the path of its location as the user's tree shows it
// (`LocationPath`): the rows of a search.
const RowShape &foundFile();
// The file row followed by the name of the working copy (the file name once more).
const RowShape &fileInfo();
// The rows of HistorySql.
const RowShape &history();
// The rows of ChildLocationsSql.
const RowShape &childLocations();
// A user's roots: ID and name.
const RowShape &roots();
// A file's versions (the fields of ProjectVersions::GetProjectVersions).
const RowShape &versions();
} // namespace RowShapes

} // namespace dwfm::store
