#pragma once

#include <QString>

namespace dwfm {

// The ID in a tree-node or list-row key ("12C", "1234P"): the key without its last
// character, read as a number; 0 when that is not a number (the root node, a user node).
qint32 IdOfKey(const QString &key);
// The file ID in a file-list row key ("1234P" gives 1234) for a command that acts on the
// file; throws DwError 13 when the key holds no number.
qint32 FileIdOfKey(const QString &key);

} // namespace dwfm
