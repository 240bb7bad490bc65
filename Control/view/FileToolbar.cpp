#include "FileToolbar.h"

#include "platform/ThemeIcons.h"

#include <QAction>
#include <QToolBar>

namespace dwfm {

namespace {
struct ButtonSpec {
    const char *key; // empty: the cut button, which has no key
    const char *toolTip;
    const char *icon; // a freedesktop.org icon name: the theme's picture, or the bundled one
};

constexpr ButtonSpec kButtons[] = {
    {"nieuwproject", "Nieuw project", "document-new"},
    // Taking a file into use opens it for work; giving it back saves it to the store.
    {"bewerkenproject", "Bewerken project", "document-open"},
    {"terugzettenproject", "Terugzetten project", "document-save"},
    {"", "Cut", "edit-cut"},
    {"Copy", "Copy", "edit-copy"},
    {"Paste", "Paste", "edit-paste"},
    {"verwijderenprojecten", "Delete", "edit-delete"},
    {"eigenschappen", "Eigenschappen", "document-properties"},
};
} // namespace

QToolBar *createFileToolbar(QWidget *parent)
{
    auto *toolbar = new QToolBar(parent);
    toolbar->setObjectName(QStringLiteral("tbToolbar"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (const ButtonSpec &def : kButtons) {
        QAction *action = toolbar->addAction(ThemeIcon(QString::fromLatin1(def.icon)), QString::fromUtf8(def.toolTip));
        action->setObjectName(QString::fromLatin1(def.key));
        action->setToolTip(QString::fromUtf8(def.toolTip));
    }
    return toolbar;
}

QToolBar *createFolderToolbar(QWidget *parent)
{
    auto *toolbar = new QToolBar(parent);
    toolbar->setObjectName(QStringLiteral("tbToolbarFolders"));
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    return toolbar;
}

} // namespace dwfm
