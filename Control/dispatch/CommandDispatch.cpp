#include "CommandDispatch.h"

#include "adding/FileAdding.h"
#include "adding/frmAddGeneralFiles.h"
#include "core/Keys.h"
#include "core/SessionAccess.h"
#include "list/FileListModel.h"
#include "platform/ErrorTrap.h"
#include "properties/PropertiesCommand.h"
#include "sendto/SendToCommands.h"
#include "tree/FolderCommands.h"
#include "tree/LocationTree.h"
#include "tree/LocationTreeModel.h"
#include "view/PopupMenu.h"
#include "view/PopupMenuController.h"

#include <QAction>
#include <QClipboard>
#include <QDropEvent>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QToolBar>
#include <QTreeView>

namespace dwfm {

namespace {
// The tool-bar buttons that stand for a popup entry, by key (the cut button has none).
struct ButtonEntry {
    const char *key;
    PopupEntry entry;
};
constexpr ButtonEntry kButtonEntries[] = {{"nieuwproject", PopupEntry::ProjectToevoegen},
                                          {"", PopupEntry::ProjectKnippen},
                                          {"Copy", PopupEntry::ProjectKopieren},
                                          {"Paste", PopupEntry::ProjectPlakken}};
// The keys every file manager knows, and the popup entries they stand for (F2 and Enter
// follow in keyEntry).
struct KeyEntry {
    QKeySequence::StandardKey standardKey;
    PopupEntry entry;
};
constexpr KeyEntry kKeyEntries[] = {{QKeySequence::Delete, PopupEntry::ProjectVerwijderen},
                                    {QKeySequence::Cut, PopupEntry::ProjectKnippen},
                                    {QKeySequence::Copy, PopupEntry::ProjectKopieren},
                                    {QKeySequence::Paste, PopupEntry::ProjectPlakken}};
} // namespace

CommandDispatch::CommandDispatch(CommandDispatchContext context, QObject *parent)
    : QObject(parent), m_ctx(std::move(context))
{
    const auto wire = [&](PopupEntry entry, auto handler) {
        if (QAction *action = m_ctx.menu.action(entry))
            connect(action, &QAction::triggered, this, [this, handler] { SkipOnError(handler); });
    };
    FolderCommands *folders = &m_ctx.folders;
    SendToCommands *sendTo = &m_ctx.sendTo;
    wire(PopupEntry::MappenNieuweMap, [folders] { folders->mnuPopUpMappenNieuweMap_Click(); });
    wire(PopupEntry::MappenNaamWijzigen, [folders] { folders->mnuPopupMappenNaamWijzigen_Click(); });
    wire(PopupEntry::MappenVerwijderMap, [folders] { folders->mnuPopupMappenVerwijderMap_Click(); });
    wire(PopupEntry::StuurNaarA, [sendTo] { sendTo->StuurNaarA(); });
    wire(PopupEntry::StuurNaarEmail, [sendTo] { sendTo->StuurNaarEmail(); });
    wire(PopupEntry::StuurNaarMijnDoc, [sendTo] { sendTo->StuurNaarMijnDocumenten(); });
    wire(PopupEntry::StuurNaarKiesEenFolder, [sendTo] { sendTo->StuurNaarKiesEenFolder(); });
    wire(PopupEntry::ProjectToevoegen, [this] { mnuPopUpProjectToevoegen_Click(); });
    wire(PopupEntry::ProjectEigenschappen, [this] { mnuPopupProjectProjectEigenschappen_Click(); });

    if (m_ctx.toolbar)
        connect(m_ctx.toolbar, &QToolBar::actionTriggered, this,
                [this](QAction *action) { tbToolbar_ButtonClick(action ? action->objectName() : QString()); });

    // The buttons that follow popup entries change with the selection and the clipboard.
    if (m_ctx.listView) {
        m_ctx.listView->setAcceptDrops(true);
        m_ctx.listView->viewport()->setAcceptDrops(true);
        m_ctx.listView->setDropIndicatorShown(false);
        m_ctx.listView->installEventFilter(this);
        m_ctx.listView->viewport()->installEventFilter(this);
        connect(m_ctx.listView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                [this] { UpdateToolbarState(); });
    }
    if (m_ctx.treeView) {
        m_ctx.treeView->viewport()->setAcceptDrops(true);
        m_ctx.treeView->viewport()->installEventFilter(this);
    }
    connect(&m_ctx.tree, &LocationTree::LocationChanged, this, [this] { UpdateToolbarState(); });
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] { UpdateToolbarState(); });
    UpdateToolbarState();
}

CommandDispatch::~CommandDispatch()
{
    for (QTreeView *view : {m_ctx.treeView.data(), m_ctx.listView.data()}) {
        if (view) {
            view->removeEventFilter(this);
            view->viewport()->removeEventFilter(this);
        }
    }
}

int CommandDispatch::selectedRow() const
{
    const QItemSelectionModel *selected = m_ctx.listView ? m_ctx.listView->selectionModel() : nullptr;
    if (!selected || !m_ctx.listModel)
        return -1;
    const QModelIndex current = selected->currentIndex();
    if (current.isValid() && selected->isRowSelected(current.row(), QModelIndex()))
        return current.row();
    for (int row = 0; row < m_ctx.listModel->rowCount(); ++row) {
        if (selected->isRowSelected(row, QModelIndex()))
            return row;
    }
    return -1;
}

void CommandDispatch::mnuPopUpProjectToevoegen_Click()
{
    SkipOnError([&] {
        const QModelIndex node = m_ctx.tree.selectedNode();
        if (!node.isValid())
            return;
        const qint32 locationID = IdOfKey(m_ctx.tree.model()->key(node));
        if (RequireSession()->Locations().GetLocationKind(locationID) != LocationsService::KindFiles)
            return;
        m_ctx.adding.AddFilesToLocation(locationID, nullptr);
        if (m_ctx.refreshListView)
            m_ctx.refreshListView();
    });
}

void CommandDispatch::mnuPopupProjectProjectEigenschappen_Click()
{
    SkipOnError([&] {
        const int row = selectedRow();
        if (row < 0)
            return;
        const FileListRow &item = m_ctx.listModel->row(row);
        m_ctx.properties.EigenschappenProject(FileIdOfKey(item.key), item.text);
    });
}

std::optional<PopupEntry> CommandDispatch::buttonEntry(const QString &key)
{
    for (const ButtonEntry &button : kButtonEntries) {
        if (key == QLatin1String(button.key))
            return button.entry;
    }
    return std::nullopt;
}

std::optional<PopupEntry> CommandDispatch::keyEntry(const QKeyEvent &key)
{
    for (const KeyEntry &binding : kKeyEntries) {
        if (key.matches(binding.standardKey))
            return binding.entry;
    }
    if ((key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return std::nullopt;
    switch (key.key()) {
    case Qt::Key_F2: return PopupEntry::ProjectNaamWijzigen;
    case Qt::Key_Return:
    case Qt::Key_Enter: return PopupEntry::ProjectOpenen;
    default: return std::nullopt;
    }
}

PopupMenuState CommandDispatch::listMenuState() const
{
    // The entries' state for the list, as a right-click in the list would set it; the menu
    // itself keeps what its last right-click set.
    return computePopupMenuState(m_ctx.popup.selection(false, selectedRow() >= 0, false));
}

void CommandDispatch::runListEntry(PopupEntry which)
{
    SkipOnError([&] {
        QAction *action = m_ctx.menu.action(which);
        // The entry's command, as a click on the entry runs it; its enabled flag is left
        // as the last right-click set it.
        if (action && listMenuState()[which].enabled)
            emit action->triggered(false);
    });
}

void CommandDispatch::UpdateToolbarState()
{
    if (!m_ctx.toolbar)
        return;
    SkipOnError([&] {
        const PopupMenuState state = listMenuState();
        for (QAction *button : m_ctx.toolbar->actions()) {
            for (const ButtonEntry &entry : kButtonEntries) {
                if (button->objectName() == QLatin1String(entry.key))
                    button->setEnabled(state[entry.entry].enabled);
            }
        }
    });
}

void CommandDispatch::tbToolbar_ButtonClick(const QString &key)
{
    SkipOnError([&] {
        if (key == QLatin1String("eigenschappen")) {
            mnuPopupProjectProjectEigenschappen_Click();
            return;
        }
        // The button does what its entry does, and only what the menu would allow.
        if (const std::optional<PopupEntry> entry = buttonEntry(key))
            runListEntry(*entry);
    });
}

bool CommandDispatch::dropAllowed(const QMimeData *data) const
{
    bool allowed = false;
    SkipOnError([&] {
        const QModelIndex node = m_ctx.tree.selectedNode();
        allowed = node.isValid() && m_ctx.tree.model()->key(node).endsWith(QLatin1Char('C')) &&
                  !frmAddGeneralFiles::FilePathsOf(data).isEmpty();
    });
    return allowed;
}

void CommandDispatch::lvListView_OLEDragDrop(const QMimeData *data)
{
    SkipOnError([&] {
        if (dropAllowed(data))
            m_ctx.adding.AddFilesToLocation(IdOfKey(m_ctx.tree.model()->key(m_ctx.tree.selectedNode())), data);
    });
    SkipOnError([&] {
        if (m_ctx.refreshListView)
            m_ctx.refreshListView();
    });
}

QModelIndex CommandDispatch::treeDropTarget(const QPoint &position, const QMimeData *data) const
{
    const QModelIndex node = m_ctx.treeView->indexAt(position);
    const bool folder = node.isValid() && m_ctx.tree.model()->key(node).endsWith(QLatin1Char('C'));
    return folder && !frmAddGeneralFiles::FilePathsOf(data).isEmpty() ? node : QModelIndex();
}

void CommandDispatch::tvTreeView_OLEDragDrop(const QModelIndex &node, const QMimeData *data)
{
    SkipOnError([&] {
        if (!node.isValid())
            return;
        m_ctx.adding.AddFilesToLocation(IdOfKey(m_ctx.tree.model()->key(node)), data);
        if (node == m_ctx.tree.selectedNode() && m_ctx.refreshListView)
            m_ctx.refreshListView();
    });
}

bool CommandDispatch::eventFilter(QObject *watched, QEvent *event)
{
    if (m_ctx.treeView && watched == m_ctx.treeView->viewport()) {
        const auto type = event->type();
        if (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop) {
            auto *drag = static_cast<QDropEvent *>(event);
            QModelIndex target;
            SkipOnError([&] { target = treeDropTarget(drag->position().toPoint(), drag->mimeData()); });
            // Entering anywhere on the tree is accepted so the drag may move on to a folder;
            // the copy effect shows only over one.
            drag->setDropAction(target.isValid() ? Qt::CopyAction : Qt::IgnoreAction);
            drag->setAccepted(type == QEvent::DragEnter ? !frmAddGeneralFiles::FilePathsOf(drag->mimeData()).isEmpty()
                                                        : target.isValid());
            if (type == QEvent::Drop)
                tvTreeView_OLEDragDrop(target, drag->mimeData());
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
    if (!m_ctx.listView)
        return QObject::eventFilter(watched, event);
    if (watched == m_ctx.listView && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_F5) {
        SkipOnError([&] { m_ctx.refreshListView(); });
        return true;
    }
    // The keys of the popup entries act where the host allows the popup menu. They go to
    // the list before any shortcut of the host's window, and a key whose entry is
    // disabled does nothing (no copy of the row's text as text).
    if (watched == m_ctx.listView && (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) &&
        m_ctx.allowPopupMenu && *m_ctx.allowPopupMenu) {
        const std::optional<PopupEntry> entry = keyEntry(*static_cast<QKeyEvent *>(event));
        if (entry) {
            event->accept();
            if (event->type() == QEvent::KeyPress)
                runListEntry(*entry);
            return true;
        }
    }
    if (watched != m_ctx.listView->viewport())
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDropEvent *>(event);
        // Files from outside only copy, and only onto a location.
        if (dropAllowed(drag->mimeData())) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->setDropAction(Qt::IgnoreAction);
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const bool allowed = dropAllowed(drop->mimeData());
        lvListView_OLEDragDrop(drop->mimeData());
        drop->setDropAction(allowed ? Qt::CopyAction : Qt::IgnoreAction);
        drop->setAccepted(allowed);
        // The list takes the keyboard focus when a drag ends on it.
        m_ctx.listView->setFocus();
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace dwfm
