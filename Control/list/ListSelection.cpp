#include "ListSelection.h"

#include "FileListModel.h"

#include <QItemSelectionModel>
#include <QTreeView>

#include <algorithm>

namespace dwfm {

std::vector<int> ListSelection::selectedRows() const
{
    std::vector<int> rows;
    const QItemSelectionModel *selection = view ? view->selectionModel() : nullptr;
    if (!selection || !model)
        return rows;
    // The selection's ranges, put in list order, rather than a question for every row.
    for (const QModelIndex &index : selection->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
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
