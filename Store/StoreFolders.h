#pragma once

#include <QString>
#include <QStringList>

namespace dwfm::store {

// Where an embedded store keeps its things. A store folder holds, per catalogue, the
// database "<catalogue>.dwstore" and the folder "<catalogue>" with the files.
namespace StoreFolders {

// The catalogue used when none is given.
QString defaultCatalogue();
// $DW_STORE_DIR when set, otherwise "DwFileStore" in the user's generic data folder
// (~/.local/share/DwFileStore): the same for every program of the user, so that dwstore
// and a host agree on it without being told.
QString defaultStoreFolder();
QString databasePath(const QString &folder, const QString &catalogue);
// The store's search index, a database of its own beside the store's: "<catalogue>.dwsearch".
// It holds nothing the store does not; a missing one is made again.
QString searchDatabasePath(const QString &folder, const QString &catalogue);
// The catalogues whose database lies in `folder`, sorted; empty when there are none or
// the folder cannot be read.
QStringList catalogues(const QString &folder);
QString rootFolder(const QString &folder, const QString &catalogue);
// The hidden folder beside the root folder where new content is written and flushed
// before it is renamed into place (same file system, so the rename is one step).
QString stagingFolder(const QString &folder, const QString &catalogue);
// The hidden folder beside the root folder that keeps every content that is no longer a
// file's current content, once, under its SHA-256: "<hash's first two digits>/<hash>".
QString contentFolder(const QString &folder, const QString &catalogue);
// A server store keeps nothing on disk. What it answers as its root folder is a folder on
// this computer where a host puts a new file (under the location's path) to register it
// (AddProject without copying): DwFileStore/<server>/<catalogue> in the user's cache folder.
// The file is handed to the database and removed from there.
QString serverDropFolder(const QString &server, const QString &catalogue);
// A user's working copies lie by default in ~/DwWerkmap/<catalogue>/<user>.
QString defaultWorkingRoot(const QString &catalogue, const QString &userId);
// The operating-system account of this process (for integrated security).
QString osAccount();

} // namespace StoreFolders
} // namespace dwfm::store
