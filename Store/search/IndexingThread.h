#pragma once

#include <QThread>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace dwfm::store {

// What both stores' background readers of document text share: a thread that looks now and
// then whether there is work, stops when asked, and is woken at once for that.
class IndexingThread : public QThread {
    Q_OBJECT
public:
    static constexpr int TickMs = 200;

protected:
    using QThread::QThread;
    // The reader's work, on the thread; it ends when stopping() says so.
    virtual void readLoop() = 0;
    // Every subclass calls this first in its destructor, so that run() ends before the
    // subclass's members go.
    void stopAndWait();
    bool stopping() const { return m_stop.load(); }
    // Waits one tick, or less when the thread is asked to stop.
    void waitTick();

private:
    void run() final;

    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::condition_variable m_wake;
};

// FinishIndexing of both stores: `indexOne` reads one waiting document on the session's own
// connection (true when it did; it stops when told to by its argument), `waiting` counts what
// still waits. Reads until nothing waits for this session, then waits for the other readers
// (its own background one among them); false when that took longer than `timeoutMs`.
bool finishIndexing(qint32 timeoutMs, const std::function<bool(const std::function<bool()> &goOn)> &indexOne,
                    const std::function<qint64()> &waiting);

} // namespace dwfm::store
