#include "pg/PgIndexer.h"

#include "pg/PgConnection.h"
#include "pg/PgSearch.h"

#include <QElapsedTimer>

#include <memory>

namespace dwfm::store::pg {

namespace {
constexpr const char *Channel = "dw_text";
}

PgIndexer::PgIndexer(QString conninfo, QObject *parent) : IndexingThread(parent), m_conninfo(std::move(conninfo))
{
    setObjectName(QStringLiteral("DwPgIndexer"));
}

PgIndexer::~PgIndexer()
{
    stopAndWait();
}

void PgIndexer::readLoop()
{
    std::unique_ptr<PgConnection> db;
    try {
        db = std::make_unique<PgConnection>(m_conninfo);
        if (!PgSearch::installed(*db))
            return; // a store made before it could search
        db->listen(Channel);
    } catch (const std::exception &) {
        return; // the session itself reports a server it cannot reach
    }
    const auto goOn = [this] { return !stopping(); };
    bool look = true; // the queue may hold work: at the start, and after a notice
    QElapsedTimer quiet, waited, looked, failed;
    quiet.start();
    looked.start();
    while (!stopping()) {
        try {
            if (!db->takeNotifications(Channel).isEmpty()) {
                look = true;
                quiet.restart();
            }
            if (!look && looked.elapsed() >= LookAgainMs)
                look = true;
            if (look && !waited.isValid())
                waited.start();
            const bool due = quiet.elapsed() >= QuietMs || waited.elapsed() >= MaxDelayMs;
            if (look && due && (!failed.isValid() || failed.elapsed() >= AfterFailureMs)) {
                failed.invalidate();
                looked.restart();
                // One content at a time, as long as the store stays quiet (or contents waited long).
                PgSearch::Outcome outcome = PgSearch::Outcome::Indexed;
                while (!stopping() && outcome == PgSearch::Outcome::Indexed) {
                    outcome = PgSearch::indexNext(*db, goOn);
                    if (!db->takeNotifications(Channel).isEmpty()) {
                        quiet.restart();
                        if (waited.elapsed() < MaxDelayMs)
                            break;
                    }
                }
                // What is left is another client's, or not this user's to read.
                if (outcome == PgSearch::Outcome::Waiting) {
                    look = false;
                    waited.invalidate();
                }
            }
        } catch (const std::exception &) {
            // The server went or refused: tried again a little later (the connection is made
            // again by its next statement).
            failed.start();
        }
        waitTick();
    }
}

} // namespace dwfm::store::pg
