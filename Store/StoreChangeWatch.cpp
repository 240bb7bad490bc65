#include "StoreChangeWatch.h"

#include <exception>

namespace dwfm::store {

StoreChangeWatch::StoreChangeWatch(SqliteDbPtr db, QObject *parent) : SessionChanges(parent), m_db(std::move(db))
{
    m_version = dataVersion();
    Statement q(m_db, "SELECT COALESCE(MAX(change_serial), 0) FROM location_changes");
    q.step();
    m_serial = q.int64(0);
    m_timer.setInterval(IntervalMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
    m_timer.start();
}

qint64 StoreChangeWatch::dataVersion() const
{
    Statement q(m_db, "PRAGMA data_version");
    return q.step() ? q.int64(0) : 0;
}

QList<qint32> StoreChangeWatch::poll()
{
    QList<qint32> changed;
    try {
        const qint64 version = dataVersion();
        if (version == m_version)
            return changed;
        m_version = version;
        Statement q(m_db, "SELECT location_id, change_serial FROM location_changes WHERE change_serial > ? "
                          "ORDER BY change_serial");
        q.bind(1, m_serial);
        while (q.step()) {
            changed << qint32(q.int64(0));
            m_serial = q.int64(1);
        }
    } catch (const std::exception &) {
        // A busy or vanished database is looked at again at the next tick.
        return changed;
    }
    if (!changed.isEmpty())
        emit LocationsChanged(changed);
    return changed;
}

} // namespace dwfm::store
