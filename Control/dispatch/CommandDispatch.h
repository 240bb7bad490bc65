#pragma once

#include "view/PopupMenuState.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class QAction;
class QKeyEvent;
class QMimeData;
class QToolBar;
class QTreeView;

namespace dwfm {

class FileAdding;
class FileListModel;
class FolderCommands;
class LocationTree;
class PopupMenu;
class PopupMenuController;
class PropertiesCommand;
class SendToCommands;

// What the dispatch reaches: the menu and tool bar, both panes, and the commands it runs.
struct CommandDispatchContext {
    PopupMenu &menu;
    PopupMenuController &popup;
    QToolBar *toolbar = nullptr;
    LocationTree &tree;
    // The views are the control's; a view that is gone reads as null.
    QPointer<QTreeView> treeView;
    QPointer<QTreeView> listView;
    FileListModel *listModel = nullptr;
    FolderCommands &folders;
    FileAdding &adding;
    SendToCommands &sendTo;
    PropertiesCommand &properties;
    std::function<void()> refreshListView;
    // The control's AllowPopupMenu field: the entries' keys act only where it is True.
    const bool *allowPopupMenu = nullptr;
};

// The folder entries, adding, sending and properties of the popup menu, the tool-bar
// buttons for new files, properties, cut, copy and paste, the keys of the list (F5, and
// Delete, F2, cut, copy, paste and Enter for their entries), and files dragged in from
// other programs. (Viewing, check-out and check-in, and the clipboard
// and file commands are ListCommandDispatch's.) Every entry and button runs exactly one
// command; failures are passed over, as the commands report their own.
class CommandDispatch : public QObject {
    Q_OBJECT
public:
    explicit CommandDispatch(CommandDispatchContext context, QObject *parent = nullptr);
    // Stops watching the views that are still there.
    ~CommandDispatch() override;

    // "Toevoegen Bestand(en)": the add-files dialog for the selected location, when it
    // takes files (kind 9); the list is refilled after.
    void mnuPopUpProjectToevoegen_Click();
    // "Eigenschappen" and its button: the properties of the selected file.
    void mnuPopupProjectProjectEigenschappen_Click();
    // A tool-bar button by its key. "nieuwproject", the cut button (no key), "Copy" and
    // "Paste" run their popup entries, and only when the menu's state enables them.
    void tbToolbar_ButtonClick(const QString &key);
    // Sets the enabled state of the buttons that follow popup entries from the selection.
    void UpdateToolbarState();
    // Runs a file entry's command when the menu's state, computed for the list's selection
    // as a right-click in the list would, enables it. The menu's own flags stay as they
    // are.
    void runListEntry(PopupEntry entry);
    // The entry a button key stands for ("Copy": "Bestand Kopiëren"), and the entry a key
    // of the list stands for (Delete, F2, Ctrl+X, Ctrl+C, Ctrl+V, Enter); none otherwise.
    static std::optional<PopupEntry> buttonEntry(const QString &key);
    static std::optional<PopupEntry> keyEntry(const QKeyEvent &key);

    // Whether files dragged in may drop on the list: a location node is selected and the
    // data names local files.
    bool dropAllowed(const QMimeData *data) const;
    // Files dropped on the list: added through the add-files dialog; the list is refilled.
    void lvListView_OLEDragDrop(const QMimeData *data);
    // Files dropped on a folder of the tree go to that folder, whichever node is selected.
    void tvTreeView_OLEDragDrop(const QModelIndex &node, const QMimeData *data);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    PopupMenuState listMenuState() const;
    int selectedRow() const;
    // The folder node under a drag over the tree that may take these files; invalid when none.
    QModelIndex treeDropTarget(const QPoint &position, const QMimeData *data) const;

    CommandDispatchContext m_ctx;
};

} // namespace dwfm
