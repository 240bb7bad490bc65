#pragma once

#include "search/IndexingThread.h"

#include <QString>

namespace dwfm::store::pg {

// Reads the text of the server store's documents in the background of a session, on a thread
// and a connection of its own (PgSearch::indexNext does each content). It looks at the queue
// when it starts (catching up with what waited while no client ran), when the store tells of
// new content (NOTIFY dw_text, sent at the commit that stored it) and now and then (a claim of
// a client that went is free again); after a notice it waits until the store has been quiet
// for a moment, so that a run of check-ins does not share its time with reading documents,
// but not longer than MaxDelayMs. Stops when it is destroyed.
class PgIndexer final : public IndexingThread {
    Q_OBJECT
public:
    static constexpr int QuietMs = 400;
    static constexpr int MaxDelayMs = 3000;
    static constexpr int LookAgainMs = 60000;
    static constexpr int AfterFailureMs = 5000;

    // `conninfo`: the session's own login (it stays in memory only).
    explicit PgIndexer(QString conninfo, QObject *parent = nullptr);
    ~PgIndexer() override;

protected:
    void readLoop() override;

private:
    QString m_conninfo;
};

} // namespace dwfm::store::pg
