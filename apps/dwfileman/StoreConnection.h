#pragma once

#include <QString>

// What dwfileman connects the control with. The password lives only in memory: it is
// never written to the settings, a log or any other file.
struct StoreConnection {
    QString server;  // a store folder (empty: the default one) or a server address
    QString catalog; // the store in that folder, or the server's database
    QString user;
    QString password;
    bool sqlSecurity = true; // false: the operating-system account logs on

    // Logging on as the store's own user with no password given yet. Without a user the
    // server store logs on the way libpq does by itself (PGUSER, ~/.pgpass), so nothing
    // is asked then.
    bool needsPassword() const { return sqlSecurity && !user.trimmed().isEmpty() && password.isEmpty(); }
};
