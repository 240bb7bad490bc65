#include "ListCommandDispatch.h"

#include "checkout/CheckOutCommands.h"
#include "clipboard/ClipboardCommands.h"
#include "filecommands/FileCommands.h"
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
        else if (key == QLatin1String("verwijderenprojecten") && m_files)
            m_files->VerwijderenProject();
    });
}

void ListCommandDispatch::wireFileCommands(PopupMenu &menu, ClipboardCommands &clipboard, FileCommands &files)
{
    m_clipboard = &clipboard;
    m_files = &files;
    const auto wire = [&](PopupEntry entry, void (ListCommandDispatch::*handler)()) {
        if (QAction *action = menu.action(entry))
            connect(action, &QAction::triggered, this, handler);
    };
    wire(PopupEntry::ProjectKnippen, &ListCommandDispatch::mnuPopUpProjectKnippen_Click);
    wire(PopupEntry::ProjectKopieren, &ListCommandDispatch::mnuPopUpProjectKopieren_Click);
    wire(PopupEntry::ProjectPlakken, &ListCommandDispatch::mnuPopUpProjectPlakken_Click);
    wire(PopupEntry::ProjectNaamWijzigen, &ListCommandDispatch::mnuPopUpProjectNaamWijzigen_Click);
    wire(PopupEntry::ProjectVerwijderen, &ListCommandDispatch::mnuPopupProjectVerwijderen_Click);
    wire(PopupEntry::UndoCheckOut, &ListCommandDispatch::mnuPopupProjectUndoCheckOut_Click);
}

void ListCommandDispatch::mnuPopUpProjectKnippen_Click()
{
    SkipOnError([&] { m_clipboard->SetFilesOnClipBoard(QStringLiteral("DwF_Cut")); });
}

void ListCommandDispatch::mnuPopUpProjectKopieren_Click()
{
    SkipOnError([&] { m_clipboard->copyCommand(); });
}

void ListCommandDispatch::mnuPopUpProjectPlakken_Click()
{
    SkipOnError([&] { m_clipboard->PasteProject(); });
}

void ListCommandDispatch::mnuPopUpProjectNaamWijzigen_Click()
{
    SkipOnError([&] { m_files->NaamWijzigenProject(); });
}

void ListCommandDispatch::mnuPopupProjectVerwijderen_Click()
{
    SkipOnError([&] { m_files->VerwijderenProject(); });
}

void ListCommandDispatch::mnuPopupProjectUndoCheckOut_Click()
{
    SkipOnError([&] { m_files->UndoCheckOutProject(); });
}

} // namespace dwfm
