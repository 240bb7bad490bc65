#include "search/IndexingThread.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <chrono>

namespace dwfm::store {

void IndexingThread::stopAndWait()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop.store(true);
    }
    m_wake.notify_all();
    wait();
}

void IndexingThread::waitTick()
{
    std::unique_lock lock(m_mutex);
    m_wake.wait_for(lock, std::chrono::milliseconds(TickMs), [this] { return stopping(); });
}

bool finishIndexing(qint32 timeoutMs, const std::function<bool(const std::function<bool()> &goOn)> &indexOne,
                    const std::function<qint64()> &waiting)
{
    const QDeadlineTimer deadline(std::max(timeoutMs, 0));
    const std::function<bool()> goOn = [&] { return !deadline.hasExpired(); };
    for (;;) {
        if (indexOne(goOn))
            continue;
        if (waiting() == 0)
            return true;
        if (deadline.hasExpired())
            return false;
        // The rest is being read by another process, or by this session's own background
        // reader: look again in a moment.
        QThread::msleep(10);
    }
}

} // namespace dwfm::store
