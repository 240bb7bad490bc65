#pragma once

#include <QString>
#include <QStringList>

namespace dwfm::store {
class StoreAdministration;
}

// The demo's users with known passwords (their names).
QStringList demoUsers();

// Fills a new, empty store with the demo: three users (demo and collega with passwords,
// and the operating-system account for integrated security, unless that name is taken:
// the demo never touches a user or role that exists), nested locations, text files,
// pictures, an archive, and one file checked out by collega. The files are added as demo,
// who connects to `server` (the store's folder or the server's address) like any client.
// Throws DwError.
void fillDemoStore(dwfm::store::StoreAdministration &admin, const QString &server, const QString &catalogue);
