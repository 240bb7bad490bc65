#include "TreeImages.h"

#include "platform/ThemeIcons.h"

#include <QApplication>
#include <QStyle>

namespace dwfm {

QIcon treeImage(int image)
{
    // Looked up once: the theme does not change while the control lives, and the tree asks
    // for a picture every time it paints a node.
    static const QIcon closed = ThemeIcon(QStringLiteral("folder"));
    static const QIcon open = ThemeIcon(QStringLiteral("folder-open"));
    static const QIcon created = ThemeIcon(QStringLiteral("folder-new"));
    // The library bundles no magnifier; without one in the theme the style's picture serves.
    static const QIcon found = [] {
        const QIcon themed = ThemeIcon(QStringLiteral("edit-find"));
        if (!themed.isNull() || !QApplication::style())
            return themed;
        return QApplication::style()->standardIcon(QStyle::SP_FileDialogContentsView);
    }();
    switch (image) {
    case 1: return closed;
    case 2: return open;
    case 3: return created;
    case 4: return found;
    default: return QIcon();
    }
}

} // namespace dwfm
