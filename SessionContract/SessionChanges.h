#pragma once

#include "DwSessionExport.h"

#include <QList>
#include <QObject>

namespace dwfm {

// How a store tells its users that others changed it: another user or process checked a
// file out or in, added, renamed, moved or deleted one. A store that can tell hands one
// of these out through FileStoreSession::Changes(); the control then refreshes the list
// it shows. The signal comes in the thread that created the session, from its event loop.
class DWSESSION_EXPORT SessionChanges : public QObject {
    Q_OBJECT
public:
    explicit SessionChanges(QObject *parent = nullptr);
    ~SessionChanges() override;

signals:
    // The files of these locations changed. An empty list: something changed, the store
    // does not know where.
    void LocationsChanged(const QList<qint32> &lLocationIDs);
    // The text of documents that a search finds changed (another process read a new
    // document into the store's search index); no file or location changed. A list of
    // search results looks again.
    void SearchTextChanged();
};

} // namespace dwfm
