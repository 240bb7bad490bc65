#pragma once

#include "DwExport.h"

#include <QString>

namespace dwfm {

// The ID in a tree-node or list-row key ("12C", "1234P"): the key without its last
// character, read as a number; 0 when that is not a number (the root node, a user node).
DWFILEMANUI_EXPORT qint32 IdOfKey(const QString &key);

} // namespace dwfm
