#include "LiveListRefresh.h"

#include "core/Keys.h"
#include "SessionChanges.h"

#include <QAbstractItemView>
#include <QApplication>

namespace dwfm {

namespace {
constexpr int DialogRetryMs = 500;
}

LiveListRefresh::LiveListRefresh(FileList &list, QAbstractItemView *view,
                                 std::function<SelectedLocation()> selectedLocation, QObject *parent)
    : QObject(parent), m_list(list), m_view(view), m_selectedLocation(std::move(selectedLocation))
{
    m_waitForDialog.setSingleShot(true);
    m_waitForDialog.setInterval(DialogRetryMs);
    connect(&m_waitForDialog, &QTimer::timeout, this, &LiveListRefresh::refreshWhenIdle);
}

void LiveListRefresh::follow(SessionChanges *changes)
{
    if (m_changes)
        disconnect(m_changes, nullptr, this, nullptr);
    m_changes = changes;
    m_waitForDialog.stop();
    if (changes) {
        connect(changes, &SessionChanges::LocationsChanged, this, &LiveListRefresh::locationsChanged);
        connect(changes, &SessionChanges::SearchTextChanged, this, &LiveListRefresh::searchTextChanged);
    }
}

void LiveListRefresh::locationsChanged(const QList<qint32> &locationIDs)
{
    const SelectedLocation node = m_selectedLocation();
    if (!node.selected)
        return;
    // "12C" lists location 12; "JANU" lists a user's files and "0S" search results, which
    // may lie anywhere.
    bool shown = false;
    if (node.key.endsWith(QLatin1Char('C')))
        shown = locationIDs.isEmpty() || locationIDs.contains(IdOfKey(node.key));
    else if (node.key.endsWith(QLatin1Char('U')) || node.key.endsWith(QLatin1Char('S')))
        shown = true;
    if (shown)
        refreshWhenIdle();
}

void LiveListRefresh::searchTextChanged()
{
    // Only search results depend on the text inside documents.
    const SelectedLocation node = m_selectedLocation();
    if (node.selected && node.key.endsWith(QLatin1Char('S')))
        refreshWhenIdle();
}

void LiveListRefresh::refreshWhenIdle()
{
    // An editor inside the list (a name being changed) has the focus; a pressed button
    // may be a drag from the list.
    const QWidget *focus = QApplication::focusWidget();
    const bool editing = focus && focus != m_view && m_view->isAncestorOf(focus);
    // A list still loading finishes first: a refill would start its reading over, and a
    // store that changes often would never let a large list appear.
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget() || editing ||
        QApplication::mouseButtons() != Qt::NoButton || m_list.isLoading()) {
        m_waitForDialog.start();
        return;
    }
    m_list.RefreshListView();
}

} // namespace dwfm
