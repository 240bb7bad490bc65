#pragma once

#include <QObject>
#include <QString>
#include <QStyledItemDelegate>

#include <functional>

class QTreeView;

namespace dwfm {

class LocationTree;

// The folder entries of the popup menu: a new sub-folder under the selected node, renaming
// the selected folder in place, and deleting it. The store decides (names, rights, an
// empty folder); the tree only follows what it answered.
class FolderCommands : public QObject {
    Q_OBJECT
public:
    // The tree and its view must outlive the commands; `refreshListView` refills the list.
    FolderCommands(LocationTree &tree, QTreeView *view, std::function<void()> refreshListView,
                   QObject *parent = nullptr);

    // "Nieuwe map": asks "Naam folder:" and creates the folder under the selected node.
    void mnuPopUpMappenNieuweMap_Click();
    // "Naam wijzigen": opens the selected node's text for editing, when it may be renamed.
    void mnuPopupMappenNaamWijzigen_Click();
    // "Verwijderen map": deletes the selected folder without asking; a refusal changes
    // nothing and shows nothing.
    void mnuPopupMappenVerwijderMap_Click();

    // Whether the node may be edited: a folder ("C") that is not a top node.
    bool tvTreeView_BeforeLabelEdit(const QModelIndex &node) const;
    // The edit ended with `newText`: the store renames the folder; True when it did and
    // the node now shows the new text.
    bool tvTreeView_AfterLabelEdit(const QModelIndex &node, const QString &newText);

private:
    LocationTree &m_tree;
    QTreeView *m_view;
    std::function<void()> m_refreshListView;
};

// The tree's editor: opens only for nodes the folder commands allow and hands the edited
// text to them instead of writing it into the model.
class FolderNameDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    FolderNameDelegate(FolderCommands &commands, QObject *parent);
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

private:
    FolderCommands &m_commands;
};

} // namespace dwfm
