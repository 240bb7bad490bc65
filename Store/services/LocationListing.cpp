#include "services/LocationListing.h"

#include "DwError.h"
#include "RowShape.h"
#include "db/SqliteRecordset.h"
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

QString noRow()
{
    return QStringLiteral("Er is geen huidige rij: het einde van de rijen is bereikt.");
}
} // namespace

LocationListing::LocationListing(SqliteDbPtr db, qint32 locationId, qint64 count, qint64 firstId, qint64 lastId)
    : m_db(std::move(db)), m_location(locationId), m_count(count), m_firstId(firstId), m_lastId(lastId)
{
}

LocationListing::~LocationListing() = default;

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
    if (m_started || m_closed)
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

SqliteRecordset *LocationListing::rows() const
{
    if (!m_started) {
        m_started = true;
        std::unique_ptr<Statement> st;
        if (m_storeOrder) {
            st = std::make_unique<Statement>(m_db, InTableOrderSql);
            st->bind(1, m_firstId).bind(2, m_lastId).bind(3, qint64(m_location));
        } else {
            st = std::make_unique<Statement>(m_db, ProjectCatalog::inLocationSql());
            st->bind(1, qint64(m_location));
        }
        if (st->step())
            m_rows = std::make_unique<SqliteRecordset>(std::move(st), RowShapes::file().fields, RowShapes::file().kinds);
        else
            release();
    }
    return m_rows.get();
}

void LocationListing::release() const
{
    m_rows.reset();
    m_places = {};
    m_db.reset();
}

int LocationListing::fieldCount() const
{
    return int(RowShapes::file().fields.size());
}

QString LocationListing::fieldName(int index) const
{
    return RowShapes::file().fields.value(index);
}

int LocationListing::fieldIndex(const QString &name) const
{
    const QStringList &fields = RowShapes::file().fields;
    for (int i = 0; i < fields.size(); ++i) {
        if (fields[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariant LocationListing::value(int index) const
{
    if (m_closed)
        throw DwError(DwError::ItemNotFound, noRow());
    if (SqliteRecordset *now = rows())
        return now->value(index);
    throw DwError(DwError::ItemNotFound, noRow());
}

bool LocationListing::isNullAt(int index) const
{
    SqliteRecordset *now = m_closed ? nullptr : rows();
    if (!now)
        throw DwError(DwError::ItemNotFound, noRow());
    return now->isNullAt(index);
}

qint64 LocationListing::integerAt(int index) const
{
    SqliteRecordset *now = m_closed ? nullptr : rows();
    if (!now)
        throw DwError(DwError::ItemNotFound, noRow());
    return now->integerAt(index);
}

QString LocationListing::textAt(int index) const
{
    SqliteRecordset *now = m_closed ? nullptr : rows();
    if (!now)
        throw DwError(DwError::ItemNotFound, noRow());
    return now->textAt(index);
}

qint64 LocationListing::placeAt() const
{
    if (!m_storeOrder)
        return -1;
    // The first column is the file ID, which is the row's place in the table.
    const qint64 id = integerAt(0);
    return id < m_firstId || id > m_lastId ? -1 : m_places[std::size_t(id - m_firstId)];
}

bool LocationListing::isEof() const
{
    return m_closed || !rows();
}

void LocationListing::moveNext()
{
    SqliteRecordset *now = m_closed ? nullptr : rows();
    if (!now)
        throw DwError(DwError::ItemNotFound,
                      QStringLiteral("Er is geen volgende rij: het einde van de rijen is bereikt."));
    now->moveNext();
    if (now->isEof())
        release();
}

void LocationListing::close()
{
    m_closed = true;
    release();
}

bool LocationListing::isClosed() const
{
    return m_closed;
}

} // namespace dwfm::store
