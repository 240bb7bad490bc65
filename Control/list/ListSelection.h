#pragma once

#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QTreeView;

namespace dwfm {

class FileListModel;
struct FileListRow;

// What the file commands read of the control: the file list's rows and selection, and
// the selected node of the location tree.
struct ListSelection {
    QTreeView *view = nullptr;
    FileListModel *model = nullptr;
    // The selected tree node's key ("12C"); nothing when no node is selected.
    std::function<std::optional<QString>()> nodeKey;

    // The selected rows, in list order.
    std::vector<int> selectedRows() const;
    // The row a one-file command acts on: the current row when it is selected, else the
    // first selected row; -1 when none is selected.
    int selectedRow() const;
    const FileListRow &row(int index) const;
    std::optional<QString> selectedNodeKey() const { return nodeKey ? nodeKey() : std::nullopt; }
};

} // namespace dwfm
