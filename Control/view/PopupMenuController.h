#pragma once

#include "view/PopupMenuState.h"
#include "view/ViewLayout.h"

#include <QObject>
#include <QPoint>

#include <functional>

class QTreeView;

namespace dwfm {

class PopupMenu;
struct ControlState;

// What the popup menu's state reads from the control besides the view fields.
struct PopupContext {
    QTreeView *tvTreeView = nullptr;
    QTreeView *lvListView = nullptr;
    const bool *AllowPopupMenu = nullptr;
    const bool *ReadOnly = nullptr;
    const ControlState *state = nullptr;
    // Whether the store tells of others' changes, so that a file coming free is noticed;
    // and whether the user waits to hear when this file is free. Both may be empty.
    std::function<bool()> freeNotices;
    std::function<bool(qint32 projectID)> awaitingFree;
};

// Opens the popup menu on a right-button release in the tree or the list, after setting
// every entry from the selection, the mode, the session and the clipboard.
class PopupMenuController : public QObject {
    Q_OBJECT
public:
    // The role of the tree model that holds a node's key ("12C").
    static constexpr int TreeKeyRole = Qt::UserRole + 1;

    PopupMenuController(PopupMenu &menu, const PopupContext &context, const ViewFields &fields,
                        QObject *parent = nullptr);

    // The right-button releases of the two panes.
    void tvTreeView_MouseUp(Qt::MouseButton button, const QPoint &globalPos);
    void lvListView_MouseUp(Qt::MouseButton button, const QPoint &globalPos);

    // Shows the menu at `globalPos`, only when the host allows popup menus.
    void ShowPopupMenu(const QPoint &globalPos);
    // Sets every entry for a click in the tree (`bTreeContext`) or the list.
    void SetPopupMenuState(bool bTreeContext, bool bItemSelected, bool bLocationNode);
    // Enables "Bestand Plakken" only when the clipboard holds a cut or copy list and the
    // session may change the store.
    void UpdatePasteEntry();

    // Exactly one row of the list is selected.
    bool IsOneRowSelected() const;
    // All selected rows carry the same tag.
    bool IsSameStatusSelection() const;

    // The summary the menu's state is computed from.
    PopupSelection selection(bool bTreeContext, bool bItemSelected, bool bLocationNode) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool clipboardHoldsList() const;

    PopupMenu &m_menu;
    PopupContext m_context;
    ViewFields m_fields;
};

} // namespace dwfm
