#include "PopupMenuController.h"

#include "core/ControlState.h"
#include "core/Keys.h"
#include "SessionRegistry.h"
#include "list/FileListModel.h"
#include "platform/ErrorTrap.h"
#include "view/PopupMenu.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeView>

namespace dwfm {

namespace {
QModelIndexList selectedRows(const QTreeView *view)
{
    if (!view || !view->selectionModel())
        return {};
    return view->selectionModel()->selectedRows();
}

// The list's selected row: the current row when it is selected, else the first selected.
QModelIndex selectedRow(const QTreeView *view)
{
    const QModelIndexList rows = selectedRows(view);
    if (rows.isEmpty())
        return {};
    const QModelIndex current = view->currentIndex();
    if (current.isValid() && view->selectionModel()->isRowSelected(current.row(), current.parent()))
        return current.siblingAtColumn(0);
    return rows.first();
}

QModelIndex selectedNode(const QTreeView *tree)
{
    const QModelIndexList rows = selectedRows(tree);
    return rows.isEmpty() ? QModelIndex() : rows.first();
}
} // namespace

PopupMenuController::PopupMenuController(PopupMenu &menu, const PopupContext &context, const ViewFields &fields,
                                         QObject *parent)
    : QObject(parent), m_menu(menu), m_context(context), m_fields(fields)
{
    if (m_context.tvTreeView)
        m_context.tvTreeView->viewport()->installEventFilter(this);
    if (m_context.lvListView)
        m_context.lvListView->viewport()->installEventFilter(this);
}

bool PopupMenuController::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const QPoint globalPos = mouse->globalPosition().toPoint();
        if (m_context.tvTreeView && watched == m_context.tvTreeView->viewport())
            tvTreeView_MouseUp(mouse->button(), globalPos);
        else if (m_context.lvListView && watched == m_context.lvListView->viewport())
            lvListView_MouseUp(mouse->button(), globalPos);
    }
    return QObject::eventFilter(watched, event);
}

void PopupMenuController::tvTreeView_MouseUp(Qt::MouseButton button, const QPoint &globalPos)
{
    if (button != Qt::RightButton)
        return;
    SkipOnError([&] {
        const QModelIndex node = selectedNode(m_context.tvTreeView);
        if (!node.isValid())
            return;
        const bool locationNode = node.data(TreeKeyRole).toString().endsWith(QLatin1Char('C'));
        SetPopupMenuState(true, false, locationNode);
        ShowPopupMenu(globalPos);
    });
}

void PopupMenuController::lvListView_MouseUp(Qt::MouseButton button, const QPoint &globalPos)
{
    if (button != Qt::RightButton)
        return;
    SkipOnError([&] {
        SetPopupMenuState(false, selectedRow(m_context.lvListView).isValid(), false);
        ShowPopupMenu(globalPos);
    });
}

void PopupMenuController::ShowPopupMenu(const QPoint &globalPos)
{
    if (!m_context.AllowPopupMenu || !*m_context.AllowPopupMenu)
        return;
    SkipOnError([&] { m_menu.mnuPopUp()->popup(globalPos); });
}

bool PopupMenuController::IsOneRowSelected() const { return selectedRows(m_context.lvListView).size() == 1; }

bool PopupMenuController::IsSameStatusSelection() const
{
    const QModelIndexList rows = selectedRows(m_context.lvListView);
    for (const QModelIndex &row : rows) {
        if (row.data(FileListModel::TagRole) != rows.first().data(FileListModel::TagRole))
            return false;
    }
    return true;
}

bool PopupMenuController::clipboardHoldsList() const
{
    bool holds = false;
    SkipOnError([&] { holds = isClipboardList(QGuiApplication::clipboard()->text()); });
    return holds;
}

PopupSelection PopupMenuController::selection(bool bTreeContext, bool bItemSelected, bool bLocationNode) const
{
    PopupSelection s;
    s.treeContext = bTreeContext;
    s.itemSelected = bItemSelected;
    s.locationNode = bLocationNode;
    const QModelIndex node = selectedNode(m_context.tvTreeView);
    s.nodeHasParent = node.parent().isValid();
    s.searchResults = node.data(TreeKeyRole).toString().endsWith(QLatin1Char('S'));
    s.oneRowSelected = IsOneRowSelected();
    s.sameStatusSelection = IsSameStatusSelection();
    const QModelIndex row = selectedRow(m_context.lvListView);
    s.tag = row.data(FileListModel::TagRole).toInt();
    SkipOnError([&] { s.freeNotices = m_context.freeNotices && m_context.freeNotices(); });
    if (row.isValid() && m_context.awaitingFree)
        SkipOnError([&] { s.awaitingFree = m_context.awaitingFree(FileIdOfKey(row.data(FileListModel::KeyRole).toString())); });
    s.mode = m_context.state ? m_context.state->ControlMode : 0;
    s.readOnly = m_context.ReadOnly && *m_context.ReadOnly;
    // Without a session nothing can change the store.
    s.readOnlySession = true;
    if (const FileStoreSessionPtr session = SessionRegistry::current()) {
        SkipOnError([&] { s.readOnlySession = session->IsReadOnlySession(); });
        SkipOnError([&] { s.isAdministrator = session->CurrentUser().IsAdministrator(); });
    }
    s.clipboardHoldsList = clipboardHoldsList();
    s.FileInfoVisible = m_fields.FileInfoVisible;
    s.StatusBarVisible = m_fields.StatusBarVisible;
    s.HideLocations = m_fields.HideLocations;
    s.HeaderLabelsVisible = m_fields.HeaderLabelsVisible;
    s.ToolbarVisible = m_fields.ToolbarVisible;
    return s;
}

void PopupMenuController::SetPopupMenuState(bool bTreeContext, bool bItemSelected, bool bLocationNode)
{
    m_menu.apply(computePopupMenuState(selection(bTreeContext, bItemSelected, bLocationNode)));
}

void PopupMenuController::UpdatePasteEntry()
{
    QAction *paste = m_menu.action(PopupEntry::ProjectPlakken);
    paste->setEnabled(false);
    SkipOnError([&] {
        const FileStoreSessionPtr session = SessionRegistry::current();
        if (session && !session->IsReadOnlySession())
            paste->setEnabled(clipboardHoldsList());
    });
}

} // namespace dwfm
