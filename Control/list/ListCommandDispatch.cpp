#include "ListCommandDispatch.h"

#include "checkout/CheckOutCommands.h"
#include "platform/ErrorTrap.h"
#include "view/PopupMenu.h"

#include <QAction>
#include <QToolBar>

namespace dwfm {

ListCommandDispatch::ListCommandDispatch(PopupMenu &menu, QToolBar *toolbar, CheckOutCommands &checkOut,
                                         QObject *parent)
    : QObject(parent), m_checkOut(checkOut)
{
    const auto wire = [&](PopupEntry entry, void (ListCommandDispatch::*handler)()) {
        if (QAction *action = menu.action(entry))
            connect(action, &QAction::triggered, this, handler);
    };
    wire(PopupEntry::ProjectBekijken, &ListCommandDispatch::mnuPopUpProjectBekijken_Click);
    wire(PopupEntry::ProjectOpenen, &ListCommandDispatch::mnuPopupProjectProjectOpenen_Click);
    wire(PopupEntry::ProjectBewerken, &ListCommandDispatch::mnuPopupProjectProjectBewerken_Click);
    wire(PopupEntry::ProjectTerugzetten, &ListCommandDispatch::mnuPopupProjectProjectTerugzetten_Click);
    // A button's key is its action's object name; the tool bar reports which one fired.
    if (toolbar)
        connect(toolbar, &QToolBar::actionTriggered, this, &ListCommandDispatch::onToolbarAction);
}

void ListCommandDispatch::mnuPopUpProjectBekijken_Click()
{
    SkipOnError([&] { m_checkOut.BekijkenProject(); });
}

void ListCommandDispatch::mnuPopupProjectProjectOpenen_Click()
{
    SkipOnError([&] { m_checkOut.BewerkenProject(true); });
}

void ListCommandDispatch::mnuPopupProjectProjectBewerken_Click()
{
    SkipOnError([&] { m_checkOut.BewerkenProject(false); });
}

void ListCommandDispatch::mnuPopupProjectProjectTerugzetten_Click()
{
    SkipOnError([&] { m_checkOut.TerugzettenProject(); });
}

void ListCommandDispatch::onToolbarAction(QAction *action)
{
    if (action)
        tbToolbar_ButtonClick(action->objectName());
}

void ListCommandDispatch::tbToolbar_ButtonClick(const QString &key)
{
    SkipOnError([&] {
        if (key == QLatin1String("bewerkenproject"))
            m_checkOut.BewerkenProject(false);
        else if (key == QLatin1String("terugzettenproject"))
            m_checkOut.TerugzettenProject();
    });
}

} // namespace dwfm
