#pragma once

#include <QIcon>

namespace dwfm {

// The icon of this freedesktop.org name ("edit-cut", "folder-open", ...) from the
// desktop's icon theme, or, where the theme has none, the library's own picture of that
// name (see platform/icons/README.md). Null for a name the library does not bundle and
// the theme lacks.
QIcon ThemeIcon(const QString &name);

} // namespace dwfm
