#include "services/LocationListing.h"

#include "RowShape.h"
#include "services/ProjectCatalog.h"

#include <sqlite3.h>

namespace dwfm::store {

namespace {
// The table is read front to back when the location's files take up at least a quarter
// of the stretch of the table they lie in: stepping over a row of another location costs
// far less than looking a row up, which is what reading in name order does for each row.
constexpr qint64 MostRowsPerFile = 4;

// The location's files in table order, between the lowest and highest file ID it has.
constexpr const char *InTableOrderSql =
    "SELECT " DW_FILE_ROW_COLUMNS " FROM projects p WHERE p.rowid BETWEEN ?1 AND ?2 AND +p.location_id = ?3";
} // namespace

LocationListing::LocationListing(SqliteDbPtr db, qint32 locationId, qint64 count, qint64 firstId, qint64 lastId)
    : SqliteRecordset(RowShapes::file().fields, RowShapes::file().kinds), m_db(std::move(db)), m_location(locationId),
      m_count(count), m_firstId(firstId), m_lastId(lastId)
{
}

RecordsetPtr LocationListing::open(const SqliteDbPtr &session, qint32 locationId)
{
    const char *path = sqlite3_db_filename(session->handle(), "main");
    SqliteDbPtr own = SqliteDb::open(QString::fromUtf8(path ? path : ""), false);
    // One snapshot from the count to the last row: the places read from the index and the
    // rows read from the table are of the same files.
    own->exec("BEGIN");
    Statement span(own, "SELECT count(*), min(rowid), max(rowid) FROM projects WHERE location_id = ?");
    span.bind(1, qint64(locationId)).step();
    const qint64 count = span.int64(0);
    if (count == 0)
        return nullptr;
    const qint64 first = span.int64(1), last = span.int64(2);
    span.reset();
    return RecordsetPtr(new LocationListing(std::move(own), locationId, count, first, last));
}

bool LocationListing::allowStoreOrder()
{
    if (started() || isClosed())
        return false;
    const qint64 stretch = m_lastId - m_firstId + 1;
    if (stretch > MostRowsPerFile * m_count)
        return false;
    m_places.assign(std::size_t(stretch), -1);
    Statement order(m_db, "SELECT rowid FROM projects WHERE location_id = ? ORDER BY name_key");
    order.bind(1, qint64(m_location));
    qint32 place = 0;
    while (order.step())
        m_places[std::size_t(order.int64(0) - m_firstId)] = place++;
    m_storeOrder = true;
    return true;
}

std::unique_ptr<Statement> LocationListing::start() const
{
    std::unique_ptr<Statement> st;
    if (m_storeOrder) {
        st = std::make_unique<Statement>(m_db, InTableOrderSql);
        st->bind(1, m_firstId).bind(2, m_lastId).bind(3, qint64(m_location));
    } else {
        st = std::make_unique<Statement>(m_db, ProjectCatalog::inLocationSql());
        st->bind(1, qint64(m_location));
    }
    m_db.reset();
    if (!st->step())
        return nullptr;
    return st;
}

qint64 LocationListing::placeAt() const
{
    if (!m_storeOrder)
        return -1;
    // The first column is the file ID, which is the row's place in the table.
    const qint64 id = integerAt(0);
    return id < m_firstId || id > m_lastId ? -1 : m_places[std::size_t(id - m_firstId)];
}

} // namespace dwfm::store
