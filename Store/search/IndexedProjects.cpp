#include "search/IndexedProjects.h"

#include "search/ContentIndex.h"
#include "services/PendingWork.h"

#include <QDeadlineTimer>
#include <QThread>

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
            const QDeadlineTimer deadline(std::max(lTimeoutMs, 0));
            const QString owner = PendingWork::ownerTag();
            const auto goOn = [&] { return !deadline.hasExpired(); };
            for (;;) {
                if (ContentIndex::indexNext(*m_context, owner, goOn) == ContentIndex::Outcome::Indexed)
                    continue;
                if (ContentIndex::waiting(m_context->db()) == 0)
                    return true;
                if (deadline.hasExpired())
                    return false;
                // The rest is being read by another process, or by this session's own
                // indexer: look again in a moment.
                QThread::msleep(10);
            }
        },
        false);
}

} // namespace dwfm::store
