#pragma once

#include "StoreConnection.h"

#include <optional>

// What dwfileman remembers for its next start, in the library's per-user settings (group
// "Settings", keys starting with "dwfileman"): the last connection made through the
// connection dialog, without its password; the location last opened in that store; and
// whether the developer view is on.
namespace HostSettings {

// The remembered connection (its password empty); nothing before the first.
std::optional<StoreConnection> connection();
// Remembers everything of `connection` but the password.
void rememberConnection(const StoreConnection &connection);

// The location path last opened with this store and user; empty when another store was
// the last one or none was opened.
QString lastLocation(const StoreConnection &connection);
void rememberLocation(const StoreConnection &connection, const QString &path);

// The event log and the "Modus" menu; off until the user turns them on.
bool developerView();
void setDeveloperView(bool on);

} // namespace HostSettings
