#include "ThemeIcons.h"

#include <QFile>

// The bundled pictures are compiled into the library; a static link must register them
// itself, which Q_INIT_RESOURCE does outside any namespace.
static void registerBundledIcons() { Q_INIT_RESOURCE(dwfm_icons); }

namespace dwfm {

namespace {
QIcon bundledIcon(const QString &name)
{
    static const bool registered = (registerBundledIcons(), true);
    Q_UNUSED(registered);
    QIcon icon;
    for (const int size : {16, 22, 32}) {
        const QString file = QStringLiteral(":/dwfm/icons/%1/%2.png").arg(size).arg(name);
        if (QFile::exists(file))
            icon.addFile(file, QSize(size, size));
    }
    return icon;
}
} // namespace

QIcon ThemeIcon(const QString &name)
{
    if (QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    return bundledIcon(name);
}

} // namespace dwfm
