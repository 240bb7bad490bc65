#pragma once

#include "StoreChangeWatch.h"
#include "pg/PgSession.h"
#include "FileStoreSession.h"
#include "search/ContentIndexer.h"
#include "search/IndexedProjects.h"
#include "services/CheckOutDesk.h"
#include "services/ContentVersions.h"
#include "services/LocationFolders.h"
#include "services/ProjectCatalog.h"
#include "services/StoreContext.h"
#include "services/StoreLocations.h"
#include "services/StoreSession.h"

namespace dwfm::store {

// The session of the embedded store: SQLite plus a folder tree on one machine. Several
// processes and users may share one store on that machine. A server address instead of a
// folder connects to the server store (PostgreSQL alone, for many machines)
// and the session hands out that store's services.
class DwFileStoreSession final : public StoreSession<StoreContext> {
public:
    DwFileStoreSession();
    ~DwFileStoreSession() override;

    // strServer: empty for the default store folder, or the store's folder; a server's
    // address in any of the forms PgSession::Connect takes connects to the server store.
    // strCatalog:
    // the store in that folder (empty: the default catalogue). bSQLSecurity True checks
    // strUser and strPassWord against the store's users; False logs on as the
    // operating-system account, which must be a user of the store.
    bool Connect(const QString &strServer, const QString &strUser, const QString &strPassWord,
                 const QString &strCatalog, bool bSQLSecurity) override;
    bool IsReadOnlySession() override;
    SessionDatabase &Database() override { return m_server ? m_server->Database() : StoreSession::Database(); }
    CurrentUserService &CurrentUser() override { return m_server ? m_server->CurrentUser() : StoreSession::CurrentUser(); }
    LocationsService &Locations() override { return m_server ? m_server->Locations() : m_locations; }
    ProjectsService &Projects() override { return m_server ? m_server->Projects() : m_projects; }
    // Tells of changes that other connections commit, while connected.
    SessionChanges *Changes() override { return m_server ? m_server->Changes() : m_changes.get(); }

    // True for a server address ("host", "host:port", a postgresql:// URI, "service=NAME" or
    // other key=value settings), false for a folder or empty.
    static bool isServerAddress(const QString &server);

    // Opens a store as its administrator without a password, acting as `actingUser`
    // (the name written in the history). For the administration program, which runs with
    // direct access to the store's folder. Throws DwError.
    static std::shared_ptr<DwFileStoreSession> openAsAdministrator(const QString &folder, const QString &catalogue,
                                                                   const QString &actingUser);

    // The shared state, for the administration code of the store.
    const StoreContextPtr &context() const { return m_context; }

    // Resolves the store folder and catalogue the way Connect does, and opens and checks
    // the database. Throws DwError with a readable sentence.
    static SqliteDbPtr openStore(const QString &server, const QString &catalogue, QString &folder, QString &catalogueOut);

private:
    // The engine: SQLite transactions and the folder tree.
    LocationFolders m_locationFolders{m_context};
    ProjectCatalog m_catalog{m_context};
    CheckOutDesk m_desk{m_context};
    ContentVersions m_versions{m_context};
    StoreLocations m_locations{m_context, m_locationFolders};
    IndexedProjects m_projects{m_context, m_catalog, m_desk, m_versions};
    std::unique_ptr<StoreChangeWatch> m_changes;
    // Reads the text of stored documents into the search index, in the background.
    std::unique_ptr<ContentIndexer> m_indexer;
    std::unique_ptr<pg::PgSession> m_server;
};

} // namespace dwfm::store
