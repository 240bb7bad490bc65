#pragma once

#include "db/SqliteRecordset.h"

#include <vector>

namespace dwfm::store {

// The files of one location, by name, read on a connection of the listing's own. A list
// of many files is read over many turns of the caller's event loop; on the session's
// connection that read would hold a snapshot that makes the session's own changes fail
// once another process has written. Its own connection keeps one snapshot for the whole
// listing without being in anyone's way, and lets go of it (and of its mapping of the
// database) at the end of the rows.
//
// A caller that puts the rows in order itself may take them in the order of the table
// (allowStoreOrder): when the location's files lie close together there, as files added
// in one go do, the table is read front to back instead of looking every row up in name
// order, which takes a fraction of the time. Each row then tells its place in name order,
// read from the location's index in the same snapshot.
class LocationListing final : public SqliteRecordset {
public:
    // Null when the location has no files. `session` is the session's connection: the
    // listing opens its own to the same database.
    static RecordsetPtr open(const SqliteDbPtr &session, qint32 locationId);

    qint64 rowsHint() const override { return m_count; }
    bool allowStoreOrder() override;
    qint64 placeAt() const override;

private:
    LocationListing(SqliteDbPtr db, qint32 locationId, qint64 count, qint64 firstId, qint64 lastId);
    std::unique_ptr<Statement> start() const override;

    // Until the rows start; then their statement holds the connection, and closes it with
    // the last row.
    mutable SqliteDbPtr m_db;
    qint32 m_location;
    qint64 m_count, m_firstId, m_lastId;
    bool m_storeOrder = false;
    // The place in name order of the file with ID m_firstId + i; -1 for IDs of other
    // locations.
    std::vector<qint32> m_places;
};

} // namespace dwfm::store
