#pragma once

#include "FileList.h"

#include <QList>
#include <QPointer>
#include <QTimer>

#include <functional>

class QAbstractItemView;

namespace dwfm {

class SessionChanges;

// Keeps the file list up to date while others change the store: when the store says
// that the files of the shown location changed (or, in user mode, any files), the list is
// refilled, keeping the selected file. While a dialog is open or the list is being edited
// or dragged from, the refill waits, so no command loses the row it works on.
class LiveListRefresh : public QObject {
    Q_OBJECT
public:
    LiveListRefresh(FileList &list, QAbstractItemView *view, std::function<SelectedLocation()> selectedLocation,
                    QObject *parent = nullptr);

    // Follows the changes of a newly connected session (null: a store that does not tell).
    void follow(SessionChanges *changes);

private:
    void locationsChanged(const QList<qint32> &locationIDs);
    void searchTextChanged();
    void refreshWhenIdle();

    FileList &m_list;
    QAbstractItemView *m_view;
    std::function<SelectedLocation()> m_selectedLocation;
    QPointer<SessionChanges> m_changes;
    QTimer m_waitForDialog;
};

} // namespace dwfm
