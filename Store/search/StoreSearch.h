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
    // The rows of HeldProjects::GetHeldProjects; null when no file is held so.
    RecordsetPtr held(const QString &userId, qint32 olderThanDays);

private:
    StoreContextPtr &m_context;
};

} // namespace dwfm::store
