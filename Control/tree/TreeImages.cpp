#include "TreeImages.h"

#include <QApplication>
#include <QStyle>

namespace dwfm {

namespace {
QIcon themed(const char *name, QStyle::StandardPixmap fallback)
{
    const QString themeName = QString::fromLatin1(name);
    if (QIcon::hasThemeIcon(themeName))
        return QIcon::fromTheme(themeName);
    return QApplication::style() ? QApplication::style()->standardIcon(fallback) : QIcon();
}
} // namespace

QIcon treeImage(int image)
{
    // Looked up once: the theme does not change while the control lives, and the tree asks
    // for a picture every time it paints a node.
    static const QIcon closed = themed("folder", QStyle::SP_DirClosedIcon);
    static const QIcon open = themed("folder-open", QStyle::SP_DirOpenIcon);
    static const QIcon created = themed("folder-new", QStyle::SP_FileDialogNewFolder);
    static const QIcon found = themed("edit-find", QStyle::SP_FileDialogContentsView);
    switch (image) {
    case 1: return closed;
    case 2: return open;
    case 3: return created;
    case 4: return found;
    default: return QIcon();
    }
}

} // namespace dwfm
