#include "search/ContentIndexer.h"

#include "DwError.h"
#include "StoreFolders.h"
#include "db/Schema.h"
#include "db/SqliteDb.h"
#include "search/ContentIndex.h"
#include "services/PendingWork.h"
#include "services/StoreContext.h"

#include <QElapsedTimer>

namespace dwfm::store {

namespace {
std::atomic<bool> g_enabled{true};

qint64 dataVersion(const SqliteDbPtr &db)
{
    Statement q(db, "PRAGMA data_version");
    return q.step() ? q.int64(0) : 0;
}
} // namespace

bool ContentIndexer::enabled() { return g_enabled.load(); }
void ContentIndexer::setEnabled(bool on) { g_enabled.store(on); }

ContentIndexer::ContentIndexer(QString folder, QString catalogue, QObject *parent)
    : IndexingThread(parent), m_folder(std::move(folder)), m_catalogue(std::move(catalogue))
{
    setObjectName(QStringLiteral("DwContentIndexer"));
}

ContentIndexer::~ContentIndexer()
{
    stopAndWait();
}

void ContentIndexer::readLoop()
{
    SqliteDbPtr db;
    try {
        db = SqliteDb::open(StoreFolders::databasePath(m_folder, m_catalogue), false);
        Schema::attachSearch(db, StoreFolders::searchDatabasePath(m_folder, m_catalogue));
    } catch (const DwError &) {
        return; // the session itself reports a store it cannot open
    }
    const StoreContext context(db, m_folder, m_catalogue, UserInfo{});
    const QString owner = PendingWork::ownerTag();
    const auto goOn = [this] { return !stopping(); };
    qint64 version = -1;
    bool look = true; // the queue may hold work: at the start, and after every commit
    QElapsedTimer quiet, waited;
    quiet.start();
    while (!stopping()) {
        try {
            if (const qint64 now = dataVersion(db); now != version) {
                version = now;
                look = true;
                quiet.restart();
            }
            if (look && ContentIndex::waiting(db) == 0) {
                look = false;
                waited.invalidate();
            }
            if (look && !waited.isValid())
                waited.start();
            if (look && (quiet.elapsed() >= QuietMs || waited.elapsed() >= MaxDelayMs)) {
                // One file at a time, as long as the store stays quiet (or files waited long).
                ContentIndex::Outcome outcome = ContentIndex::Outcome::Indexed;
                while (!stopping() && outcome == ContentIndex::Outcome::Indexed) {
                    outcome = ContentIndex::indexNext(context, owner, goOn);
                    if (dataVersion(db) != version && waited.elapsed() < MaxDelayMs)
                        break;
                }
                // What is left is another process's, or waits for its content to be put in
                // place: it is looked at again when the store changes. Work broken off for
                // a change of the store keeps its waiting time.
                if (outcome == ContentIndex::Outcome::Waiting) {
                    look = false;
                    waited.invalidate();
                }
            }
        } catch (const std::exception &) {
            // A busy or read-only store: looked at again after the next change.
            look = false;
            waited.invalidate();
        }
        waitTick();
    }
}

} // namespace dwfm::store
