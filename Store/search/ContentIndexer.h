#pragma once

#include "search/IndexingThread.h"

#include <QString>

namespace dwfm::store {

// Indexes the text of stored documents in the background, on a thread and a database
// connection of its own (ContentIndex does each file). It looks at the queue when it starts
// (catching up with what waited when the store was last closed) and whenever any connection
// committed a change; it then waits until the store has been quiet for a moment, so that a
// run of check-ins is not slowed down by reading documents between them, but not longer
// than MaxDelayMs for a file that waits. Stops when it is destroyed.
class ContentIndexer final : public IndexingThread {
    Q_OBJECT
public:
    static constexpr int QuietMs = 400;
    static constexpr int MaxDelayMs = 3000;

    // The embedded store `catalogue` in `folder`.
    ContentIndexer(QString folder, QString catalogue, QObject *parent = nullptr);
    ~ContentIndexer() override;

    // Whether new sessions index in the background (they do unless switched off, for a
    // measurement of what the indexing costs).
    static bool enabled();
    static void setEnabled(bool on);

protected:
    void readLoop() override;

private:
    QString m_folder;
    QString m_catalogue;
};

} // namespace dwfm::store
