#pragma once

#include "admin/StoreAdministration.h"
#include "services/StoreContext.h"

namespace dwfm::store {

// Removing earlier versions of an embedded store's files, and the kept contents that no
// version uses any more, in one commit; the kept files go in the steps that follow it.
// A file's current version and the version its holder's check-out started from always
// stay. Version numbers are not used again.
class VersionPruning {
public:
    explicit VersionPruning(StoreContextPtr context) : m_context(std::move(context)) {}

    PruneResult prune(const PruneRules &rules);
    ContentTotals totals();

private:
    StoreContextPtr m_context;
};

} // namespace dwfm::store
