#pragma once

#include "db/SqliteDb.h"

namespace dwfm::store {

// The store's tables. The statements that read and change them are written in the SQL
// that SQLite and PostgreSQL share ("?" parameters, RETURNING, WITH RECURSIVE); only the
// table definitions below are SQLite's own and get a sibling for the server backend.
namespace Schema {

// The version this code writes and understands.
constexpr int CurrentVersion = 5;

// Creates the tables of a new, empty store and switches the database to WAL.
void create(const SqliteDbPtr &db);

// Checks that the database is a store this code can use and brings an older one up to
// this version; throws DwError with a readable sentence when it is not a store or has a
// newer schema.
void verify(const SqliteDbPtr &db, const QString &path);

} // namespace Schema
} // namespace dwfm::store
