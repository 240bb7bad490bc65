#include "search/IndexedProjects.h"

#include "search/ContentIndex.h"
#include "search/IndexingThread.h"
#include "services/PendingWork.h"

namespace dwfm::store {

bool IndexedProjects::SearchProjects(RecordsetPtr &rsFound, const QString &strText)
{
    rsFound.reset();
    return run(
        [&] {
            rsFound = m_search.find(strText);
            return bool(rsFound);
        },
        false);
}

bool IndexedProjects::FinishIndexing(qint32 lTimeoutMs)
{
    return run(
        [&] {
            const QString owner = PendingWork::ownerTag();
            return finishIndexing(
                lTimeoutMs,
                [&](const std::function<bool()> &goOn) {
                    return ContentIndex::indexNext(*m_context, owner, goOn) == ContentIndex::Outcome::Indexed;
                },
                [&] { return ContentIndex::waiting(m_context->db()); });
        },
        false);
}

} // namespace dwfm::store
