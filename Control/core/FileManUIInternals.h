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
// The location tree's model.
DWFILEMANUI_EXPORT LocationTreeModel *treeModelOf(const FileManUI &control);

} // namespace dwfm
