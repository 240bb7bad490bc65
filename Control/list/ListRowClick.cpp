#include "ListRowClick.h"

#include "FileListModel.h"

#include "core/Keys.h"
#include "platform/ErrorTrap.h"

#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeView>

#include <algorithm>
#include <vector>

namespace dwfm {

ListRowClick::ListRowClick(ListRowClickContext context, QObject *parent) : QObject(parent), m_ctx(std::move(context))
{
    // A click on a row arrives once the view has changed its selection for it.
    connect(m_ctx.view, &QAbstractItemView::clicked, this,
            [this](const QModelIndex &index) { lvListView_ItemClick(index.row()); });
    m_ctx.view->viewport()->installEventFilter(this);
    m_ctx.view->installEventFilter(this);
}

bool ListRowClick::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ctx.view->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        // The view reports clicks on rows itself; a click beside them carries no row.
        if (mouse->button() == Qt::LeftButton && !m_ctx.view->indexAt(mouse->position().toPoint()).isValid())
            lvListView_ItemClick(-1);
    } else if (watched == m_ctx.view && event->type() == QEvent::KeyRelease) {
        // The keyboard moved the current row when its key went down.
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_Space: {
            const QModelIndex current = m_ctx.view->currentIndex();
            if (current.isValid())
                lvListView_ItemClick(current.row());
            break;
        }
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

namespace {
// Up to `count` selected rows, found through the selection's own ranges rather than by
// asking about every row: a click must cost no more in a folder of a million files.
std::vector<int> firstSelectedRows(const QItemSelectionModel *selection, std::size_t count)
{
    std::vector<int> rows;
    if (!selection)
        return rows;
    const QItemSelection ranges = selection->selection();
    for (const QItemSelectionRange &range : ranges) {
        for (int row = range.top(); row <= range.bottom() && rows.size() < count; ++row) {
            if (std::find(rows.begin(), rows.end(), row) == rows.end() && selection->isRowSelected(row, QModelIndex()))
                rows.push_back(row);
        }
        if (rows.size() >= count)
            break;
    }
    return rows;
}
} // namespace

void ListRowClick::lvListView_ItemClick(int clickedRow)
{
    TrapErrorsVoid(QStringLiteral("DwProjectFileManUIlvListView_ItemClick"), [&] {
        const std::vector<int> selected = firstSelectedRows(m_ctx.view->selectionModel(), 2);
        if (clickedRow >= 0 && selected.size() == 1) {
            const int row = selected.front();
            const QString name = m_ctx.model->text(row);
            const qint32 id = FileIdOfKey(m_ctx.model->key(row));
            emit ProjectChanged(name, id, false, false);
            m_ctx.previewFile(id, name);
            return;
        }
        // Several rows, or none left after a click that deselected the last one; or a
        // click that hit no row at all.
        emit ProjectChanged(QString(), -1, clickedRow >= 0, clickedRow < 0);
        m_ctx.previewFolderOrBlank();
    });
}

} // namespace dwfm
