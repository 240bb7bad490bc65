#pragma once

#include "pg/PgSearch.h"
#include "pg/PgServices.h"
#include "services/StoreLocations.h"
#include "services/StoreProjects.h"
#include "services/StoreSession.h"

#include <memory>

namespace dwfm::store::pg {

class PgChanges;
class PgIndexer;

// The session of the server store: PostgreSQL holds the records and the files' content; a
// client needs nothing but its connection.
class PgSession final : public StoreSession<PgContext> {
public:
    PgSession();
    ~PgSession() override;

    // strServer: "host", "host:port" or ":port" (this computer's socket), or libpq's own
    // forms: a connection URI ("postgresql://host:port/?sslmode=verify-full"), a service of
    // pg_service.conf ("service=team") or "key=value ..." settings. libpq's environment
    // (PGSSLMODE, PGSSLROOTCERT, PGCHANNELBINDING, ~/.pgpass, ...) fills in what the text
    // leaves open. strCatalog: the database. bSQLSecurity True logs in as strUser with
    // strPassWord, False as the operating-system account (peer or GSS, as the server allows).
    bool Connect(const QString &strServer, const QString &strUser, const QString &strPassWord,
                 const QString &strCatalog, bool bSQLSecurity) override;
    LocationsService &Locations() override { return m_locations; }
    ProjectsService &Projects() override { return m_projects; }
    SessionChanges *Changes() override;

    // The libpq connection string for a server (any of Connect's forms), database and login
    // (empty user: libpq's own). The database, user and password given here win over the
    // server text's; its other settings (TLS, channel binding, ...) are kept as they are.
    static QString conninfo(const QString &server, const QString &database, const QString &user,
                            const QString &password);
    // Whether `server` is one of libpq's own forms (a URI or key=value settings).
    static bool isConnectionText(const QString &server);
    // The server as it may be shown: the text without a password it may hold.
    static QString shownServer(const QString &server);
    // Refuses a store whose tables and functions are older or newer than this program's.
    static void requireSchema(int version, const QString &catalogue);

private:
    // The engine: server functions over the connection.
    PgLocations m_locationEngine{m_context};
    PgProjects m_projectEngine{m_context};
    StoreLocations m_locations{m_context, m_locationEngine};
    PgIndexedProjects m_projects{m_context, m_projectEngine, m_projectEngine, m_projectEngine};
    std::unique_ptr<PgChanges> m_changes;
    // Reads the text of stored documents for the store's search, in the background.
    std::unique_ptr<PgIndexer> m_indexer;
};

} // namespace dwfm::store::pg
