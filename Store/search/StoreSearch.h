#pragma once

#include "Recordset.h"
#include "services/StoreContext.h"

#include <QString>

namespace dwfm::store {

// Finding files in the embedded store: names and remarks through the full-text tables of
// their parts, holders through the users, document text through the word index that the
// content indexer fills. Only files below the user's roots are answered, each with the path
// of its location as the user's tree shows it.
class StoreSearch {
public:
    explicit StoreSearch(StoreContextPtr &context) : m_context(context) {}

    // The rows of ProjectSearch::SearchProjects; null when nothing matches.
    RecordsetPtr find(const QString &text);
    // The rows of ProjectSearch::GetHeldProjects; null when no file is held so.
    RecordsetPtr held(const QString &userId, qint32 olderThanDays);

    // The user's roots as the tree shows them: rows of location ID and name. Its parameter
    // ?1 is the user's key; with ?2 = 1 every top location counts (an administrator's view).
    static const char *const RootsSql;

private:
    StoreContextPtr &m_context;
};

} // namespace dwfm::store
