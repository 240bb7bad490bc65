#include "search/IndexingThread.h"

#include <QDeadlineTimer>

#include <openssl/crypto.h>

#include <algorithm>
#include <chrono>

namespace dwfm::store {

void IndexingThread::run()
{
    readLoop();
    // OpenSSL keeps state per thread (the random source of a server login, among others)
    // and frees it only once the thread has ended, which may be after wait() returned: a
    // program that ends right then would leave it behind. It is freed before the thread
    // counts as finished.
    OPENSSL_thread_stop();
}

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
