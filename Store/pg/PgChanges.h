#pragma once

#include "SessionChanges.h"
#include "pg/PgConnection.h"

#include <QSocketNotifier>
#include <QTimer>

namespace dwfm::store::pg {

// Live updates of the server store: the session's connection LISTENs on the channel the
// server functions NOTIFY with the changed location's ID; the socket wakes the event loop
// only when something arrives, so nothing runs while nothing changes. When the link breaks
// (the server restarted), a timer makes it again without waiting on the event loop, first
// after half a second, then less often while the server stays away (at most every 30 s), so
// an idle window hears of changes again without a call of its own.
class PgChanges final : public SessionChanges {
    Q_OBJECT
public:
    static constexpr const char *Channel = "dw_changes";
    // Told when document text was stored for the search (SearchTextChanged): no location's
    // files changed, so no list is read again for it.
    static constexpr const char *TextChannel = "dw_text_stored";
    explicit PgChanges(PgConnectionPtr connection, QObject *parent = nullptr);
    ~PgChanges() override;

    // Reads what arrived; answers the changed locations (also signalled).
    QList<qint32> take();

private:
    void retry();

    PgConnectionPtr m_connection;
    QSocketNotifier m_notifier;
    QTimer m_retry;
    int m_pauseMs = 0;
};

} // namespace dwfm::store::pg
