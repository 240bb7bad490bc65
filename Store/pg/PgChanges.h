#pragma once

#include "SessionChanges.h"
#include "pg/PgConnection.h"

#include <QSocketNotifier>

namespace dwfm::store::pg {

// Live updates of the server store: the session's connection LISTENs on the channel the
// server functions NOTIFY with the changed location's ID; the socket wakes the event loop
// only when something arrives, so nothing runs while nothing changes.
class PgChanges final : public SessionChanges {
    Q_OBJECT
public:
    static constexpr const char *Channel = "dw_changes";
    explicit PgChanges(PgConnectionPtr connection, QObject *parent = nullptr);
    ~PgChanges() override;

    // Reads what arrived; answers the changed locations (also signalled).
    QList<qint32> take();

private:
    PgConnectionPtr m_connection;
    QSocketNotifier m_notifier;
};

} // namespace dwfm::store::pg
