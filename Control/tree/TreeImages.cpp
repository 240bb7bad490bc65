#include "TreeImages.h"

#include "platform/ThemeIcons.h"

namespace dwfm {

QIcon treeImage(int image)
{
    // Looked up once: the theme does not change while the control lives, and the tree asks
    // for a picture every time it paints a node.
    static const QIcon closed = ThemeIcon(QStringLiteral("folder"));
    static const QIcon open = ThemeIcon(QStringLiteral("folder-open"));
    static const QIcon created = ThemeIcon(QStringLiteral("folder-new"));
    switch (image) {
    case 1: return closed;
    case 2: return open;
    case 3: return created;
    default: return QIcon();
    }
}

} // namespace dwfm
