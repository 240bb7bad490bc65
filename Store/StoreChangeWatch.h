#pragma once

#include "SessionChanges.h"
#include "db/SqliteDb.h"

#include <QTimer>

namespace dwfm::store {

// Live updates of the embedded store. A timer asks SQLite's change counter of the
// session's connection (PRAGMA data_version), which moves only when another connection
// committed: when nothing changed a tick costs one look at the shared memory index and
// nothing else. When it moved, the locations whose change serial passed the highest one
// seen so far are the ones whose files changed. Changes of the session's own connection
// are not told: when only it wrote, the highest serial seen is moved past them. The search
// index, a database of its own, has its own counter: text that an indexer read is told as
// SearchTextChanged, never as a change of a location.
class StoreChangeWatch final : public SessionChanges {
    Q_OBJECT
public:
    static constexpr int IntervalMs = 400;

    explicit StoreChangeWatch(SqliteDbPtr db, QObject *parent = nullptr);

    // Looks once, as a tick does; answers the changed locations (also signalled).
    QList<qint32> poll();

    // Makes the connection's own changes of locations move the change serials too: a new,
    // renamed or deleted location tells its parent (whose sub-locations a tree shows) and a
    // renamed one tells itself. Temporary triggers of this connection, so the store's
    // schema stays as it is; stores opened by older programs simply do not tell.
    static void tellLocationChanges(const SqliteDbPtr &db);

private:
    qint64 dataVersion(const char *sql) const;
    qint64 highestSerial() const;

    SqliteDbPtr m_db;
    QTimer m_timer;
    qint64 m_version = 0;
    qint64 m_searchVersion = 0;
    qint64 m_serial = 0;
    qint64 m_ownChanges = 0; // rows this connection changed, as last seen
};

} // namespace dwfm::store
