#include "ControlView.h"

#include "view/PopupMenu.h"
#include "view/PopupMenuController.h"
#include "view/ViewMenu.h"

namespace dwfm {

ControlView::ControlView(const ViewWidgets &widgets, const ViewFields &fields, const PopupContext &popup,
                         QObject *parent)
    : QObject(parent)
{
    m_layout = new ViewLayout(widgets, fields, this);
    m_viewMenu = new ViewMenu(fields, [this] { m_layout->UserControl_Resize(); }, widgets.control);
    m_popupMenu = new PopupMenu(m_viewMenu->menu(), widgets.control);
    m_popup = new PopupMenuController(*m_popupMenu, popup, fields, this);
}

ControlView::~ControlView() = default;

} // namespace dwfm
