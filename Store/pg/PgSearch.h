#pragma once

#include "ProjectSearch.h"
#include "Recordset.h"
#include "pg/PgConnection.h"
#include "pg/PgContext.h"
#include "services/StoreProjects.h"

#include <QString>

#include <functional>

namespace dwfm::store::pg {

class PgAdmin;

// The client's side of searching the server store (the server's side: PgSearchSql.h).
namespace PgSearch {

// Makes or brings up to date the store's search: pg_trgm, the fold, the indexes, the text
// tables and the functions. In the running transaction of the administrator's connection.
void install(PgAdmin &admin, PgConnection &c);
// Whether the store has its search (a store made before it has not, until an administrator
// works on it).
bool installed(PgConnection &c);
// Whether the store's search is as install() makes it now (a search made by an older
// program lacks the folded names).
bool upToDate(PgConnection &c);

// The rows of ProjectSearch::SearchProjects for the connection's user; null when nothing
// matches. Throws DwError.
RecordsetPtr find(PgConnection &c, const QString &text);

enum class Outcome {
    Indexed, // one content's text is now in the store
    Waiting, // nothing this connection may take now
    Stopped, // `goOn` said stop; the claim is given back
};
// Claims the next content that waits for its text, reads its text on this computer and hands
// it to the store. Outside a transaction; throws DwError when the server refuses (the claim
// is given back).
Outcome indexNext(PgConnection &c, const std::function<bool()> &goOn);
// How many contents the connection's user may read still wait for their text.
qint64 waiting(PgConnection &c);

} // namespace PgSearch

// The server store's files service: the one of both backends, plus finding files below the
// user's roots through the store's own search function (ProjectSearch).
class PgIndexedProjects final : public StoreProjects, public ProjectSearch {
public:
    PgIndexedProjects(const PgContextPtr &context, CatalogEngine &catalog, DeskEngine &desk, VersionsEngine &versions)
        : StoreProjects(context, catalog, desk, versions), m_context(context)
    {
    }

    bool SearchProjects(RecordsetPtr &rsFound, const QString &strText) override;
    // Reads on this session's connection what no other client is reading, then waits for
    // the others.
    bool FinishIndexing(qint32 lTimeoutMs) override;

private:
    const PgContextPtr &m_context;
};

} // namespace dwfm::store::pg
