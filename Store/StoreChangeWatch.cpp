#include "StoreChangeWatch.h"

#include <sqlite3.h>

#include <exception>

namespace dwfm::store {

namespace {
// Each database's counter moves when another connection committed a change to it.
constexpr const char *StoreVersionSql = "PRAGMA main.data_version";
constexpr const char *SearchVersionSql = "PRAGMA search.data_version";
} // namespace

StoreChangeWatch::StoreChangeWatch(SqliteDbPtr db, QObject *parent) : SessionChanges(parent), m_db(std::move(db))
{
    m_version = dataVersion(StoreVersionSql);
    m_searchVersion = dataVersion(SearchVersionSql);
    m_ownChanges = sqlite3_total_changes64(m_db->handle());
    m_serial = highestSerial();
    m_timer.setInterval(IntervalMs);
    connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
    m_timer.start();
}

qint64 StoreChangeWatch::dataVersion(const char *sql) const
{
    try {
        Statement q(m_db, sql);
        return q.step() ? q.int64(0) : 0;
    } catch (const std::exception &) {
        return 0; // a connection without a search index
    }
}

qint64 StoreChangeWatch::highestSerial() const
{
    Statement q(m_db, "SELECT COALESCE(MAX(change_serial), 0) FROM location_changes");
    return q.step() ? q.int64(0) : 0;
}

QList<qint32> StoreChangeWatch::poll()
{
    QList<qint32> changed;
    bool searchChanged = false;
    try {
        const qint64 search = dataVersion(SearchVersionSql);
        searchChanged = search != m_searchVersion;
        m_searchVersion = search;
        const qint64 version = dataVersion(StoreVersionSql);
        const qint64 own = sqlite3_total_changes64(m_db->handle());
        if (version == m_version) {
            // Only this connection wrote since the last look: its own changes are not told.
            if (own != m_ownChanges) {
                m_ownChanges = own;
                m_serial = highestSerial();
            }
        } else {
            m_version = version;
            m_ownChanges = own;
            Statement q(m_db, "SELECT location_id, change_serial FROM location_changes WHERE change_serial > ? "
                              "ORDER BY change_serial");
            q.bind(1, m_serial);
            while (q.step()) {
                changed << qint32(q.int64(0));
                m_serial = q.int64(1);
            }
        }
    } catch (const std::exception &) {
        // A busy or vanished database is looked at again at the next tick.
        return changed;
    }
    // A change of files moves their names in the index too; what changed only the index is
    // the text an indexer read.
    if (!changed.isEmpty())
        emit LocationsChanged(changed);
    else if (searchChanged)
        emit SearchTextChanged();
    return changed;
}

void StoreChangeWatch::tellLocationChanges(const SqliteDbPtr &db)
{
    db->exec(R"SQL(
CREATE TEMP TRIGGER IF NOT EXISTS dw_location_added AFTER INSERT ON main.locations BEGIN
    INSERT OR REPLACE INTO location_changes (location_id, change_serial)
    VALUES (NEW.parent_id, (SELECT COALESCE(MAX(change_serial), 0) + 1 FROM location_changes));
END;
CREATE TEMP TRIGGER IF NOT EXISTS dw_location_changed AFTER UPDATE ON main.locations BEGIN
    INSERT OR REPLACE INTO location_changes (location_id, change_serial)
    VALUES (OLD.parent_id, (SELECT COALESCE(MAX(change_serial), 0) + 1 FROM location_changes));
    INSERT OR REPLACE INTO location_changes (location_id, change_serial)
    VALUES (NEW.location_id, (SELECT COALESCE(MAX(change_serial), 0) + 1 FROM location_changes));
END;
CREATE TEMP TRIGGER IF NOT EXISTS dw_location_removed AFTER DELETE ON main.locations BEGIN
    INSERT OR REPLACE INTO location_changes (location_id, change_serial)
    VALUES (OLD.parent_id, (SELECT COALESCE(MAX(change_serial), 0) + 1 FROM location_changes));
END;
)SQL");
}

} // namespace dwfm::store
