#pragma once

#include <QObject>

class QAction;
class QToolBar;

namespace dwfm {

class CheckOutCommands;
class ClipboardCommands;
class FileCommands;
class PopupMenu;

// Connects the popup menu's file entries and the file tool bar's buttons to the commands
// they run. Each entry and each button runs exactly one command on the selected rows;
// a failure in a command is passed over silently, as the commands report their own.
// Entries and buttons without a handler here stay unconnected and do nothing.
class ListCommandDispatch : public QObject {
    Q_OBJECT
public:
    // The menu, the tool bar and the commands must outlive the dispatch.
    ListCommandDispatch(PopupMenu &menu, QToolBar *toolbar, CheckOutCommands &checkOut, QObject *parent = nullptr);

    // "Bestand &Bekijken": a read-only copy of each selected file.
    void mnuPopUpProjectBekijken_Click();
    // "Bestand &Openen": check out and open.
    void mnuPopupProjectProjectOpenen_Click();
    // "Bestand In Gebruik Nemen": check out without opening.
    void mnuPopupProjectProjectBewerken_Click();
    // "Bestand Vrijgeven": check in.
    void mnuPopupProjectProjectTerugzetten_Click();
    // A tool-bar button, by its key compared exactly; an unknown key (or none) does nothing.
    void tbToolbar_ButtonClick(const QString &key);

    // Connects cut, copy, paste, rename, delete and undo of a check-out to their entries
    // (and delete to the tool-bar button "verwijderenprojecten"). The commands must
    // outlive the dispatch.
    void wireFileCommands(PopupMenu &menu, ClipboardCommands &clipboard, FileCommands &files);
    // "Bestand Knippen", "Bestand Kopiëren", "Bestand Plakken".
    void mnuPopUpProjectKnippen_Click();
    void mnuPopUpProjectKopieren_Click();
    void mnuPopUpProjectPlakken_Click();
    // "Naam &Wijzigen", "Bestand &Verwijderen", "Vrijgeven Ongedaan Maken".
    void mnuPopUpProjectNaamWijzigen_Click();
    void mnuPopupProjectVerwijderen_Click();
    void mnuPopupProjectUndoCheckOut_Click();

private:
    void onToolbarAction(QAction *action);

    CheckOutCommands &m_checkOut;
    ClipboardCommands *m_clipboard = nullptr;
    FileCommands *m_files = nullptr;
};

} // namespace dwfm
