#include "FileToolbar.h"

#include <QAction>
#include <QIcon>
#include <QStyle>
#include <QToolBar>

namespace dwfm {

namespace {
struct ButtonSpec {
    const char *key; // empty: the cut button, which has no key
    const char *toolTip;
    const char *themeIcon;
    QStyle::StandardPixmap fallback;
};

constexpr ButtonSpec kButtons[] = {
    {"nieuwproject", "Nieuw project", "document-new", QStyle::SP_FileIcon},
    {"bewerkenproject", "Bewerken project", "document-edit", QStyle::SP_FileDialogDetailedView},
    {"terugzettenproject", "Terugzetten project", "document-save", QStyle::SP_DialogSaveButton},
    {"", "Cut", "edit-cut", QStyle::SP_DialogDiscardButton},
    {"Copy", "Copy", "edit-copy", QStyle::SP_FileDialogNewFolder},
    {"Paste", "Paste", "edit-paste", QStyle::SP_DialogApplyButton},
    {"verwijderenprojecten", "Delete", "edit-delete", QStyle::SP_TrashIcon},
    {"eigenschappen", "Eigenschappen", "document-properties", QStyle::SP_FileDialogInfoView},
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
        const QIcon icon = QIcon::fromTheme(QString::fromLatin1(def.themeIcon),
                                            toolbar->style()->standardIcon(def.fallback));
        QAction *action = toolbar->addAction(icon, QString::fromUtf8(def.toolTip));
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
