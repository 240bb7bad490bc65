#pragma once

#include "core/FileManUI.h"

namespace dwfm {

// The control's subsystems, for the library's own parts, its programs and its tests. Not
// installed: a host works with FileManUI's public methods, fields and signals alone.
struct FileManUIInternals {
    static ControlView &view(const FileManUI &control) { return *control.m_view; }
    static ControlState &state(FileManUI &control) { return control.m_state; }
    static const ControlState &state(const FileManUI &control) { return control.m_state; }
    static FileListModel *listModel(const FileManUI &control) { return control.m_listModel; }
    static LocationTree *locationTree(const FileManUI &control) { return control.m_tree; }
    static FileList *fileList(const FileManUI &control) { return control.m_list; }
    static CheckOutCommands &checkOutCommands(const FileManUI &control) { return *control.m_checkOut; }
    static PreviewPane &previewPane(const FileManUI &control) { return *control.m_preview; }
    static ListRowClick &rowClick(const FileManUI &control) { return *control.m_rowClick; }
    static ClipboardCommands &clipboardCommands(const FileManUI &control) { return *control.m_clipboard; }
    static FileCommands &fileCommands(const FileManUI &control) { return *control.m_fileCommands; }
    static FileAdding &fileAdding(const FileManUI &control) { return *control.m_adding; }
    static FolderCommands &folderCommands(const FileManUI &control) { return *control.m_folders; }
    static SendToCommands &sendToCommands(const FileManUI &control) { return *control.m_sendTo; }
    static PropertiesCommand &propertiesCommand(const FileManUI &control) { return *control.m_properties; }
    static CommandDispatch &commandDispatch(const FileManUI &control) { return *control.m_commandDispatch; }
    static SearchCommands &searchCommands(const FileManUI &control) { return *control.m_search; }
    static FreeWatch &freeWatch(const FileManUI &control) { return *control.m_freeWatch; }
};

// The layout, view menu and popup menu; commands connect to the popup menu's and the tool
// bar's actions through it.
inline ControlView &viewOf(const FileManUI &control) { return FileManUIInternals::view(control); }
// The private state the subsystems share.
inline ControlState &stateOf(FileManUI &control) { return FileManUIInternals::state(control); }
inline const ControlState &stateOf(const FileManUI &control) { return FileManUIInternals::state(control); }
inline FileListModel *listModelOf(const FileManUI &control) { return FileManUIInternals::listModel(control); }
inline LocationTree *locationTreeOf(const FileManUI &control) { return FileManUIInternals::locationTree(control); }
inline FileList *fileListOf(const FileManUI &control) { return FileManUIInternals::fileList(control); }
// Check-out, check-in, viewing and the list's double-click.
inline CheckOutCommands &checkOutCommandsOf(const FileManUI &control)
{
    return FileManUIInternals::checkOutCommands(control);
}
// The preview pane and the list's row click that drives it.
inline PreviewPane &previewPaneOf(const FileManUI &control) { return FileManUIInternals::previewPane(control); }
inline ListRowClick &rowClickOf(const FileManUI &control) { return FileManUIInternals::rowClick(control); }
// Cut, copy and paste; rename, delete and undo of a check-out.
inline ClipboardCommands &clipboardCommandsOf(const FileManUI &control)
{
    return FileManUIInternals::clipboardCommands(control);
}
inline FileCommands &fileCommandsOf(const FileManUI &control) { return FileManUIInternals::fileCommands(control); }
// Adding and creating files.
inline FileAdding &fileAddingOf(const FileManUI &control) { return FileManUIInternals::fileAdding(control); }
// Folder operations, send-to, properties and the dispatch of their entries and buttons.
inline FolderCommands &folderCommandsOf(const FileManUI &control) { return FileManUIInternals::folderCommands(control); }
inline SendToCommands &sendToCommandsOf(const FileManUI &control) { return FileManUIInternals::sendToCommands(control); }
inline PropertiesCommand &propertiesCommandOf(const FileManUI &control)
{
    return FileManUIInternals::propertiesCommand(control);
}
inline CommandDispatch &commandDispatchOf(const FileManUI &control)
{
    return FileManUIInternals::commandDispatch(control);
}
// The search field and its results; the files the user waits for.
inline SearchCommands &searchCommandsOf(const FileManUI &control) { return FileManUIInternals::searchCommands(control); }
inline FreeWatch &freeWatchOf(const FileManUI &control) { return FileManUIInternals::freeWatch(control); }
// The location tree's model.
LocationTreeModel *treeModelOf(const FileManUI &control);

} // namespace dwfm
