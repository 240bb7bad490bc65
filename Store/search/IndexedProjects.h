#pragma once

#include "ProjectSearch.h"
#include "search/StoreSearch.h"
#include "services/StoreProjects.h"

namespace dwfm::store {

// The embedded store's files service: the one of both backends, plus finding files anywhere
// below the user's roots by name, remark, holder and document text (ProjectSearch).
class IndexedProjects final : public StoreProjects, public ProjectSearch {
public:
    IndexedProjects(StoreContextPtr &context, CatalogEngine &catalog, DeskEngine &desk, VersionsEngine &versions)
        : StoreProjects(context, catalog, desk, versions), m_context(context), m_search(context)
    {
    }

    bool SearchProjects(RecordsetPtr &rsFound, const QString &strText) override;
    // Indexes on this session's connection what no other process is reading, then waits
    // for the others (this session's own background indexer among them).
    bool FinishIndexing(qint32 lTimeoutMs) override;

private:
    StoreContextPtr &m_context;
    StoreSearch m_search;
};

} // namespace dwfm::store
