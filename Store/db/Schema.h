#pragma once

#include "db/SqliteDb.h"

namespace dwfm::store {

// The store's tables. The statements that read and change them are written in the SQL
// that SQLite and PostgreSQL share ("?" parameters, RETURNING, WITH RECURSIVE); only the
// table definitions below are SQLite's own and get a sibling for the server backend.
namespace Schema {

// The version this code writes and understands.
constexpr int CurrentVersion = 6;

// Creates the tables of a new, empty store and its search index (the database file
// `searchPath`) and switches both to WAL.
void create(const SqliteDbPtr &db, const QString &searchPath);

// Checks that the database is a store this code can use and brings an older one up to
// this version; throws DwError with a readable sentence when it is not a store or has a
// newer schema. Attaches the search index `searchPath` (made again from the store when it
// is missing) and makes this connection's changes keep it.
void verify(const SqliteDbPtr &db, const QString &path, const QString &searchPath);

// Attaches the search index's database `searchPath` as `search` (made when missing) without
// looking at its tables: for a connection that only reads and indexes text.
void attachSearch(const SqliteDbPtr &db, const QString &searchPath);

} // namespace Schema
} // namespace dwfm::store
