#pragma once

#include "view/ViewLayout.h"

#include <QObject>

#include <memory>

class QMenu;
class QTreeView;

namespace dwfm {

class PopupMenu;
class PopupMenuController;
class ViewMenu;
struct PopupContext;

// The control's layout and view subsystem: the pane layout with its splitters, the view
// menu, the layout settings and the popup menu with its state.
class ControlView : public QObject {
    Q_OBJECT
public:
    ControlView(const ViewWidgets &widgets, const ViewFields &fields, const PopupContext &popup,
                QObject *parent = nullptr);
    ~ControlView() override;

    ViewLayout &layout() { return *m_layout; }
    ViewMenu &viewMenu() { return *m_viewMenu; }
    PopupMenu &popupMenu() { return *m_popupMenu; }
    PopupMenuController &popup() { return *m_popup; }

private:
    ViewLayout *m_layout = nullptr;
    ViewMenu *m_viewMenu = nullptr;
    PopupMenu *m_popupMenu = nullptr;
    PopupMenuController *m_popup = nullptr;
};

} // namespace dwfm
