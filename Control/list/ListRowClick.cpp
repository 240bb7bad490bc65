#include "ListRowClick.h"

#include "FileListModel.h"

#include "core/Keys.h"
#include "platform/ErrorTrap.h"

#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeView>

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

void ListRowClick::lvListView_ItemClick(int clickedRow)
{
    TrapErrorsVoid(QStringLiteral("DwProjectFileManUIlvListView_ItemClick"), [&] {
        const QItemSelectionModel *selection = m_ctx.view->selectionModel();
        int selected = -1;
        int count = 0;
        for (int row = 0; row < m_ctx.model->rowCount() && count < 2; ++row) {
            if (selection && selection->isRowSelected(row, QModelIndex())) {
                selected = row;
                ++count;
            }
        }
        if (clickedRow >= 0 && count == 1) {
            const FileListRow &item = m_ctx.model->row(selected);
            const qint32 id = FileIdOfKey(item.key);
            emit ProjectChanged(item.text, id, false, false);
            m_ctx.previewFile(id, item.text);
            return;
        }
        // Several rows, or none left after a click that deselected the last one; or a
        // click that hit no row at all.
        emit ProjectChanged(QString(), -1, clickedRow >= 0, clickedRow < 0);
        m_ctx.previewFolderOrBlank();
    });
}

} // namespace dwfm
