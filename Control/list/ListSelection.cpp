#include "ListSelection.h"

#include "FileListModel.h"

#include <QItemSelectionModel>
#include <QTreeView>

namespace dwfm {

std::vector<int> ListSelection::selectedRows() const
{
    std::vector<int> rows;
    const QItemSelectionModel *selection = view ? view->selectionModel() : nullptr;
    if (!selection || !model)
        return rows;
    for (int r = 0; r < model->rowCount(); ++r) {
        if (selection->isRowSelected(r, QModelIndex()))
            rows.push_back(r);
    }
    return rows;
}

int ListSelection::selectedRow() const
{
    const QItemSelectionModel *selection = view ? view->selectionModel() : nullptr;
    if (!selection || !model)
        return -1;
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && selection->isRowSelected(current.row(), QModelIndex()))
        return current.row();
    const std::vector<int> rows = selectedRows();
    return rows.empty() ? -1 : rows.front();
}

const FileListRow &ListSelection::row(int index) const { return model->row(index); }

} // namespace dwfm
