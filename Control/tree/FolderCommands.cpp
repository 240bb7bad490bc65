#include "FolderCommands.h"

#include "LocationTree.h"
#include "LocationTreeModel.h"

#include "core/Keys.h"
#include "core/SessionAccess.h"
#include "platform/ErrorTrap.h"
#include "platform/Prompts.h"

#include <QLineEdit>
#include <QTreeView>

namespace dwfm {

FolderCommands::FolderCommands(LocationTree &tree, QTreeView *view, std::function<void()> refreshListView,
                               QObject *parent)
    : QObject(parent), m_tree(tree), m_view(view), m_refreshListView(std::move(refreshListView))
{
    m_view->setItemDelegate(new FolderNameDelegate(*this, m_view));
}

void FolderCommands::mnuPopUpMappenNieuweMap_Click()
{
    TrapErrorsVoid(QStringLiteral("DwProjectFileManUImnuPopUpMappenNieuweMap"), [&] {
        const QPersistentModelIndex parent = m_tree.selectedNode();
        if (!parent.isValid())
            return;
        const QString name =
            prompts().input(QStringLiteral("Naam folder:"), QStringLiteral("Nieuwe folder"), QString())
                .value_or(QString())
                .trimmed();
        if (name.isEmpty())
            return;
        LocationTreeModel &model = *m_tree.model();
        qint32 newID = 0;
        if (RequireSession()->Locations().CreateLocation(name, QString(), IdOfKey(model.key(parent)), newID)) {
            const QString key = QString::number(newID) + QLatin1Char('C');
            if (!m_tree.FindNode(key).isValid())
                model.addNode(parent, {key, name, LocationTreeModel::ImageNewFolder});
            // Expanding loads the other sub-folders once; the new one is known and skipped.
            m_view->expand(parent);
            m_tree.selectNode(m_tree.FindNode(key));
        }
        if (m_refreshListView)
            m_refreshListView();
    });
}

void FolderCommands::mnuPopupMappenNaamWijzigen_Click()
{
    SkipOnError([&] {
        const QModelIndex node = m_tree.selectedNode();
        if (node.isValid() && tvTreeView_BeforeLabelEdit(node))
            m_view->edit(node);
    });
}

void FolderCommands::mnuPopupMappenVerwijderMap_Click()
{
    SkipOnError([&] {
        const QModelIndex node = m_tree.selectedNode();
        if (!node.isValid())
            return;
        if (RequireSession()->Locations().DeleteLocation(IdOfKey(m_tree.model()->key(node))))
            m_tree.model()->removeNode(node);
    });
}

bool FolderCommands::tvTreeView_BeforeLabelEdit(const QModelIndex &node) const
{
    return node.isValid() && node.parent().isValid() && m_tree.model()->key(node).endsWith(QLatin1Char('C'));
}

bool FolderCommands::tvTreeView_AfterLabelEdit(const QModelIndex &node, const QString &newText)
{
    return TrapErrors(
        QStringLiteral("DwProjectFileManUItvTreeView_AfterLabelEdit"),
        [&] {
            if (!node.isValid())
                return false;
            if (!RequireSession()->Locations().RenameLocation(IdOfKey(m_tree.model()->key(node)), newText))
                return false;
            m_tree.model()->setText(node, newText);
            return true;
        },
        false);
}

FolderNameDelegate::FolderNameDelegate(FolderCommands &commands, QObject *parent)
    : QStyledItemDelegate(parent), m_commands(commands)
{
}

QWidget *FolderNameDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                          const QModelIndex &index) const
{
    if (!m_commands.tvTreeView_BeforeLabelEdit(index))
        return nullptr;
    return QStyledItemDelegate::createEditor(parent, option, index);
}

void FolderNameDelegate::setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &index) const
{
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        m_commands.tvTreeView_AfterLabelEdit(index, line->text());
}

} // namespace dwfm
