#pragma once

#include "Recordset.h"

#include <QHash>
#include <QObject>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QString>

#include <functional>

class QTreeView;

namespace dwfm {

struct ControlState;
class LocationTreeModel;

// What the location tree works with: the shared state, its view, and the parts of the
// control it drives (busy pointer, overlay, the file list).
struct LocationTreeContext {
    ControlState &state;
    QTreeView *view = nullptr;
    std::function<void()> showBusy;
    std::function<void()> showIdle;
    // Cover the control (a specific location that does not exist) and uncover it again.
    std::function<void()> showOverlay;
    std::function<void()> hideOverlay;
    // Empties the file list.
    std::function<void()> clearList;
    // Refills the file list for the selected node.
    std::function<void()> refreshListView;
};

// The tree of locations on the left of the control. It builds the top nodes for the
// control's mode, loads sub-folders when a node is first expanded, remembers the node
// the user clicked (showing it as an open folder) and raises LocationChanged with the
// node's full path and ID.
class LocationTree : public QObject {
    Q_OBJECT
public:
    LocationTree(LocationTreeContext context, QObject *parent = nullptr);
    ~LocationTree() override;

    LocationTreeModel *model() const { return m_model; }

    // Rebuilds the whole tree for the mode and selects again the node that was selected,
    // when its key is still in the tree. False after a failure (reported).
    bool RefreshLists();
    // Builds the top nodes for the control's mode and selects the mode's top node.
    void FillTreeViewLocations();
    // Adds a child under `parent` for every row (`ChildID`, `childpath`) not in the tree
    // yet; each new child that has sub-folders gets the placeholder.
    void LoadChildLocations(const QModelIndex &parent, RecordsetPtr rs);
    // Loads the sub-folders of a node from the store.
    void ExpandLocation(const QModelIndex &node);
    // Reads the sub-folders of a node whose children the tree holds again: new ones are
    // added, renamed ones get their new text, gone ones are removed (a selected node that
    // went selects its parent).
    void ReloadChildLocations(const QModelIndex &node);
    // Follows the changes of a newly connected session (null: a store that does not tell):
    // a location whose sub-folders others changed has them read again, and in root mode the
    // user's roots when a top location was made, renamed or deleted.
    void follow(class SessionChanges *changes);
    // Reads the user's roots again (root mode): new ones are added, renamed ones get their
    // new text, gone ones are removed (a selection below one selects the root node).
    void ReloadRoots();

    // The node of search results ("Zoekresultaten: ..."): a top node after the mode's
    // nodes, with the key searchNodeKey(). Selects it (adding it first when there is none,
    // giving it `text` otherwise) and handles it as if clicked.
    void showSearchNode(const QString &text);
    // Removes the search results node, if any. When it was selected, the node with
    // `returnKey` is selected and handled instead (the first top node when that is gone).
    void removeSearchNode(const QString &returnKey);
    static QString searchNodeKey();
    // Selects the node with this key, makes it visible and handles it as if clicked.
    void ReselectNode(const QString &key);
    // The node with this key; invalid when there is none.
    QModelIndex FindNode(const QString &key) const;
    // What a click on a node does: the clicked node becomes the current location, shows
    // the open-folder picture, LocationChanged is raised and the file list refilled.
    void nodeClick(const QModelIndex &node);
    // The expand handling: a node that still holds the placeholder loads its children.
    void nodeExpanded(const QModelIndex &node);

    // The node at a path of node texts separated by "/" or the tree's separator
    // ("Projecten/Brug Noord"), opening every node on the way as a user expanding it
    // would, so sub-folders load as they do then. A path whose first text is not a top
    // node's starts below the first top node (the "Applicaties" node of root mode).
    // Texts are compared without regard to case. Invalid when a text is not found.
    QModelIndex openPath(const QString &path);
    // Opens the path and handles its node as if clicked. False when it is not found.
    bool selectPath(const QString &path);
    // Selects the node of a location and handles it as if clicked, opening the nodes above
    // it as a user would (found by the location's path in the store). False when the tree
    // does not reach it.
    bool selectLocation(qint32 locationID);

    // The selected node; invalid when none.
    QModelIndex selectedNode() const;
    // Selects a node without handling it as a click.
    void selectNode(const QModelIndex &node);
    // Selects a found node, scrolls to it and handles it as a click; false when none was found.
    bool showNode(const QModelIndex &node);
    qint32 GetCurrentLocationID();
    QString GetCurrentLocationDescription();

signals:
    void LocationChanged(const QString &strLocationPath, qint32 lLocationID);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildRootMode(class FileStoreSession &session);
    void buildUserMode();
    void buildSpecificMode(class FileStoreSession &session);
    bool hasChildLocations(class FileStoreSession &session, qint32 locationID);
    // Removes the children of `parent` whose key `texts` lacks and gives the others the
    // text `texts` has for them (key: the child's key).
    void matchChildren(const QModelIndex &parent, const QHash<QString, QString> &texts);
    void onSelectionChanged();
    void onClicked(const QModelIndex &index);
    QModelIndex childWithText(const QModelIndex &parent, const QString &text) const;
    void locationsChanged(const QList<qint32> &locationIDs);
    // The node of a location the tree holds: "12C", or "12P" for a root of root mode.
    QModelIndex locationNode(qint32 id) const;

    LocationTreeContext m_ctx;
    LocationTreeModel *m_model;
    // The node clicked last and the picture it had before.
    QPersistentModelIndex m_clickedNode;
    int m_clickedImage = 0;
    bool m_selectingQuietly = false;
    // The overlay covers the control because the last build found its location unknown.
    bool m_coveredUnknownLocation = false;
    // The node a mouse press just handled, so that the click that follows is not handled
    // a second time.
    QPersistentModelIndex m_pressHandled;
    QPointer<class SessionChanges> m_changes;
};

} // namespace dwfm
