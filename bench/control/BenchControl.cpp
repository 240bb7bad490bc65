// Times the control over the embedded store against raw SQLite stepping the store's own
// statements over the same rows, all measured in one run, and prints each figure with its
// ratio to the baseline.
//
//   fill + paint   clicking a folder of FILES files until the list has all its rows and has
//                  painted (a large folder loads over several turns of the event loop),
//                  against the naive raw step: the file query in name order through the
//                  location's index, stepped with the C API reading every column, on a
//                  connection of its own with SQLite's default settings; also against the
//                  same raw step on the store's connection
//   sort           sorting those rows by a column, against std::sort of the same texts
//   memory         what the listed rows add to the process
//   waits          the longest the window is busy (does not answer: one turn of the event
//                  loop) while a user opens the folder, sorts it by a header click, and
//                  scrolls it by keys, by the scroll bar and by a click on a row; each at most
//                  a second, whatever the size
//   expand         expanding a folder with 10,000 sub-folders until the tree has painted,
//                  against stepping the store's query for those rows
//
// Usage: bench_control [RUNS] [FILES] [--queued]   (RUNS: how many runs each median is taken
// over, 7 by default; FILES: the files in the big folder, 100,000 by default; the goals of
// fill, sort and memory are set for 100,000 and the memory goal grows in step with FILES;
// --queued: every file waits for the search indexer, as in a store just upgraded to search,
// and the session's indexer works through them while the figures are taken)
#include "DwFileStore.h"
#include "DwFileStoreSession.h"
#include "StoreFolders.h"
#include "admin/StoreAdmin.h"
#include "BenchTiming.h"
#include "db/SqliteDb.h"
#include "services/ProjectCatalog.h"
#include "services/LocationFolders.h"

#include "core/FileManUI.h"
#include "core/FileManUIInternals.h"
#include "SessionRegistry.h"
#include "StoredFields.h"
#include "list/FileList.h"
#include "list/FileListModel.h"
#include "tree/LocationTree.h"
#include "tree/LocationTreeModel.h"

#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <malloc.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace dwfm;
using namespace dwfm::store;
using namespace dwfm::bench;

namespace {

int kFiles = 100000;
bool kQueued = false;
constexpr int kSubFolders = 10000;
// Memory allowed per 100,000 listed rows.
constexpr double kMiBPer100000 = 32;
// The longest the window may be busy with one thing a user does.
constexpr double kLongestWaitMs = 1000;

// The store of the benchmark: a top folder with a folder of 100,000 files, a folder of
// 10,000 sub-folders (one in ten with a sub-folder of its own) and an empty folder. The
// rows are written straight into the database in one transaction each: the control never
// looks at the folders on disk, and creating them one by one would only make the set-up
// slow.
struct BenchStore {
    QTemporaryDir dir;
    QString folder;
    std::shared_ptr<DwFileStoreSession> admin;
    qint32 top = 0, big = 0, wide = 0, empty = 0;

    void create();
    sqlite3 *raw() const { return admin->context()->db()->handle(); }
    // A connection of its own to the same database with SQLite's default settings.
    sqlite3 *plain();
    sqlite3 *m_plain = nullptr;
    ~BenchStore() { sqlite3_close(m_plain); }
};

sqlite3 *BenchStore::plain()
{
    if (!m_plain) {
        const QByteArray path = StoreFolders::databasePath(folder, QStringLiteral("Bench")).toUtf8();
        if (sqlite3_open_v2(path.constData(), &m_plain, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "%s\n", sqlite3_errmsg(m_plain));
            std::exit(2);
        }
    }
    return m_plain;
}

void BenchStore::create()
{
    folder = dir.filePath(QStringLiteral("store"));
    StoreAdmin::createStore(folder, QStringLiteral("Bench"));
    admin = DwFileStoreSession::openAsAdministrator(folder, QStringLiteral("Bench"), QStringLiteral("beheer"));
    StoreAdmin administration(admin);
    UserChange user;
    user.password = QStringLiteral("bench");
    user.workingRoot = dir.filePath(QStringLiteral("werk"));
    administration.addUser(QStringLiteral("bench"), user, 1000);
    LocationsService &locations = admin->Locations();
    if (!locations.CreateLocation(QStringLiteral("Bench"), QString(), 0, top) ||
        !locations.CreateLocation(QStringLiteral("Groot"), QString(), top, big) ||
        !locations.CreateLocation(QStringLiteral("Breed"), QString(), top, wide) ||
        !locations.CreateLocation(QStringLiteral("Leeg"), QString(), top, empty)) {
        std::fprintf(stderr, "%s\n", qPrintable(admin->Database().LastError()));
        std::exit(2);
    }

    const SqliteDbPtr db = admin->context()->db();
    WriteTransaction tx(db);
    {
        Statement folderRow(db, "INSERT INTO locations (parent_id, name, name_key, kind) VALUES (?, ?, ?, 9) "
                                "RETURNING location_id");
        Statement inner(db, "INSERT INTO locations (parent_id, name, name_key, kind) VALUES (?, 'Binnen', 'binnen', 9)");
        for (int i = 0; i < kSubFolders; ++i) {
            // Names in mixed case, added out of order, as users make them.
            const QString name = QStringLiteral("%1 %2").arg(i % 3 == 0 ? QStringLiteral("map") : QStringLiteral("Map"))
                                     .arg((i * 7919) % kSubFolders, 5, 10, QLatin1Char('0'));
            folderRow.bind(1, qint64(wide)).bind(2, name).bind(3, name.toCaseFolded());
            folderRow.step();
            const qint64 id = folderRow.int64(0);
            folderRow.reset();
            if (i % 10 == 0) {
                inner.bind(1, id).exec();
                inner.reset();
            }
        }
    }
    {
        Statement fileRow(db, "INSERT INTO projects (location_id, file_name, name_key, checked_out, user_id, "
                              "checkout_at, computer_name, checkout_folder, checkout_remark) "
                              "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
        for (int i = 0; i < kFiles; ++i) {
            // One file in ten is checked out, half of those by the bench's own user.
            const bool out = i % 10 == 0;
            const QString name = QStringLiteral("Document %1 rapport.odt").arg((qint64(i) * 48271) % kFiles);
            fileRow.bind(1, qint64(big)).bind(2, name).bind(3, name.toCaseFolded()).bind(4, qint64(out));
            if (out) {
                fileRow.bind(5, i % 20 == 0 ? QStringLiteral("bench") : QStringLiteral("piet"))
                    .bind(6, qint64(1709798700000) + i)
                    .bind(7, QStringLiteral("WERKPLEK-12"))
                    .bind(8, QStringLiteral("/home/bench/werk/projecten"))
                    .bind(9, QStringLiteral("bezig met hoofdstuk 3"));
            } else {
                fileRow.bindNull(5).bindNull(6).bindNull(7).bindNull(8).bindNull(9);
            }
            fileRow.exec();
            fileRow.reset();
        }
    }
    // The rows came without content on disk: no text waits to be read, as in a store whose
    // background indexing has caught up, so the figures are of listing alone.
    if (!kQueued)
        Statement(db, "DELETE FROM search_queue").exec();
    tx.commit();
}

// Prepares and steps `sql` with the C API, reading every column of every row as its type;
// answers the rows.
int stepRaw(sqlite3 *db, const char *sql, int parameter)
{
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "%s\n", sqlite3_errmsg(db));
        std::exit(2);
    }
    sqlite3_bind_int(statement, 1, parameter);
    int rows = 0;
    std::size_t bytes = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        const int columns = sqlite3_column_count(statement);
        for (int c = 0; c < columns; ++c) {
            if (sqlite3_column_type(statement, c) == SQLITE_INTEGER)
                bytes += std::size_t(sqlite3_column_int64(statement, c) & 1);
            else
                bytes += std::size_t(sqlite3_column_bytes(statement, c)) + (sqlite3_column_text(statement, c) ? 1 : 0);
        }
        ++rows;
    }
    sqlite3_finalize(statement);
    return bytes > 0 ? rows : -1;
}

// The process's resident memory: all of it, and the part that is files mapped into it
// (the store maps its database to read it).
struct Resident {
    double all = 0, files = 0;
};
Resident residentMiB()
{
    std::ifstream status("/proc/self/status");
    Resident r;
    std::string field;
    double kib = 0;
    while (status >> field) {
        if (field == "VmRSS:" && status >> kib)
            r.all = kib / 1024.0;
        else if (field == "RssFile:" && status >> kib)
            r.files = kib / 1024.0;
    }
    return r;
}

double heapMiB()
{
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
}


void detail(const char *what, double ms)
{
    std::printf("%-50s %8.1f ms\n", what, ms);
}

// The longest each kind of user action kept the window busy: the action with its events
// handled and the list painted.
class Waits {
public:
    void add(const char *what, const std::function<void()> &action)
    {
        const Stopwatch watch;
        action();
        QApplication::processEvents();
        note(what, watch.elapsedMs());
    }
    // The action and then every turn of the event loop until `busy` answers false, each
    // its own wait.
    void addTurns(const char *what, const std::function<void()> &action, const std::function<bool()> &busy)
    {
        add(what, action);
        while (busy()) {
            const Stopwatch watch;
            QApplication::processEvents();
            note(what, watch.elapsedMs());
        }
    }
    void note(const char *what, double ms)
    {
        auto found = std::find_if(m_longest.begin(), m_longest.end(),
                                  [&](const auto &w) { return w.first == QLatin1String(what); });
        if (found == m_longest.end())
            m_longest.emplace_back(QLatin1String(what), ms);
        else
            found->second = std::max(found->second, ms);
    }
    void print() const
    {
        for (const auto &[what, ms] : m_longest) {
            std::printf("%-50s %8.1f ms  (at most %.0f ms: %s)\n", qPrintable(QStringLiteral("longest wait: ") + what), ms,
                        kLongestWaitMs, ms <= kLongestWaitMs ? "ok" : "OVER");
        }
    }

private:
    std::vector<std::pair<QString, double>> m_longest;
};

// Reads every field of every row through the session contract.
void readAll(const RecordsetPtr &rs)
{
    if (!rs)
        std::exit(1);
    const int fields = rs->fieldCount();
    for (; !rs->isEof(); rs->moveNext()) {
        for (int c = 0; c < fields; ++c)
            rs->value(c);
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    runs = 7;
    bench::readRuns(argc, argv);
    kQueued = QCoreApplication::arguments().contains(QStringLiteral("--queued"));
    if (argc > 2 && std::atoi(argv[2]) > 0)
        kFiles = std::max(1, std::atoi(argv[2]));
    BenchStore store;
    store.create();

    registerDwFileStore();
    FileManUI control;
    control.resize(1200, 800);
    control.show();
    if (!QTest::qWaitForWindowExposed(&control))
        std::fprintf(stderr, "the window was not exposed; paint times may be low\n");
    if (!control.SetupConnection(store.folder, QStringLiteral("bench"), QStringLiteral("bench"), QStringLiteral("Bench"),
                                 true)) {
        std::fprintf(stderr, "the control could not connect to the store\n");
        return 1;
    }
    control.ControlInSpecificLocationMode(store.top, QString(), true);
    QApplication::processEvents();

    LocationTreeModel *tree = treeModelOf(control);
    const auto nodeOf = [&](qint32 location) { return tree->findNode(QString::number(location) + QLatin1Char('C')); };
    const auto click = [&](qint32 location) {
        control.tvTreeView->setCurrentIndex(nodeOf(location));
        control.lvListView->viewport()->repaint();
    };
    Waits waits;
    // A click on a folder, and the turns of the event loop until its rows are all listed
    // and painted.
    FileList *fileList = fileListOf(control);
    const auto open = [&](qint32 location) {
        waits.addTurns("open the folder", [&] { click(location); }, [&] { return fileList->isLoading(); });
        control.lvListView->viewport()->repaint();
    };
    FileStoreSession &session = *SessionRegistry::current();

    std::printf("embedded store, %d files, %d sub-folders, median of %d runs, %s%s\n\n", kFiles, kSubFolders, runs,
                Stopwatch::cpuTime() ? "CPU time of the thread" : "wall-clock time",
                kQueued ? ", every file waiting for the search indexer" : "");

    // Memory first, while the process has never listed the big folder.
    click(store.empty);
    const Resident rssBefore = residentMiB();
    const double heapBefore = heapMiB();
    open(store.big);
    const Resident rssAfter = residentMiB();
    const double heapAfter = heapMiB();
    if (listModelOf(control)->rowCount() != kFiles) {
        std::fprintf(stderr, "listed %d rows, expected %d\n", listModelOf(control)->rowCount(), kFiles);
        return 1;
    }

    const double raw = medianMs([&] { stepRaw(store.plain(), ProjectCatalog::inLocationSql(), store.big); });
    const double tuned = medianMs([&] { stepRaw(store.raw(), ProjectCatalog::inLocationSql(), store.big); });
    const double recordset = medianMs([&] {
        RecordsetPtr rs;
        session.Projects().GetProjectsInLocation(rs, store.big);
        readAll(rs);
    });
    const double fill = medianMs([&] { open(store.big); }, [&] { click(store.empty); });
    // The way the list reads it: in the order of the table, each row with its place.
    const double storeOrder = medianMs([&] {
        RecordsetPtr rs;
        session.Projects().GetProjectsInLocation(rs, store.big);
        auto *stored = dynamic_cast<StoredFields *>(rs.get());
        if (!stored || !stored->allowStoreOrder())
            std::exit(1);
        for (const int fields = rs->fieldCount(); !rs->isEof(); rs->moveNext()) {
            stored->placeAt();
            for (int c = 0; c < fields; ++c)
                rs->value(c);
        }
    });
    report("fill + first paint of the list", fill, raw, 0.6);
    detail("  raw step on the store's own connection", tuned);
    detail("  the store's record set, every field read", recordset);
    detail("  the same in the order of the table, with places", storeOrder);

    // Both sorts start from the same shuffled order of the same 100,000 rows: the model's
    // own sort by file name against std::sort of the file names.
    std::vector<FileListRow> shuffled = listModelOf(control)->rows();
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(20240307));
    std::vector<QString> texts;
    for (const FileListRow &row : shuffled)
        texts.push_back(row.text);
    std::vector<QString> copy;
    const double plainSort = medianMs([&] { std::sort(copy.begin(), copy.end()); }, [&] { copy = texts; });
    std::unique_ptr<FileListModel> unsorted;
    const double modelSort = medianMs([&] { unsorted->sort(0, Qt::AscendingOrder); },
                                      [&] {
                                          unsorted = std::make_unique<FileListModel>();
                                          unsorted->setRows(shuffled);
                                      });
    report("sort by file name (the model's own sort)", modelSort, plainSort, 1.5);
    listModelOf(control)->sort(0, Qt::AscendingOrder);
    // A click on a header of the shown list, the way a user sorts: by name, which turns
    // the order each time, and by holder.
    QHeaderView *header = control.lvListView->header();
    const auto clickHeader = [&](int column) {
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
        control.lvListView->viewport()->repaint();
    };
    const double clickSort = medianMs([&] { waits.add("sort by a header click", [&] { clickHeader(0); }); });
    detail("  header click on the name (order turned)", clickSort);
    const double clickSortUser = medianMs([&] { waits.add("sort by a header click", [&] { clickHeader(1); }); });
    detail("  header click on the holder", clickSortUser);

    const double allowed = kMiBPer100000 * kFiles / 100000.0;
    const double grown = rssAfter.all - rssBefore.all;
    char memoryOf[64];
    std::snprintf(memoryOf, sizeof memoryOf, "memory of %d listed rows", kFiles);
    std::printf("%-50s %8.1f MiB resident (%.1f of it the store's mapped database), %.1f MiB heap  (at most %.1f MiB: "
                "%s)\n",
                memoryOf, grown,
                rssAfter.files - rssBefore.files, heapAfter - heapBefore, allowed, grown <= allowed ? "ok" : "OVER");

    // Scrolling as a user does: keys (each moves the selected row, which the control then
    // treats as a click on it), the scroll bar, and a click on a row.
    QTreeView *list = control.lvListView;
    list->setFocus();
    const auto key = [&](Qt::Key pressed) {
        QTest::keyClick(list, pressed);
        list->viewport()->repaint();
    };
    const auto scrollBarTo = [&](double part) {
        QScrollBar *bar = list->verticalScrollBar();
        bar->setValue(int(bar->maximum() * part));
        list->viewport()->repaint();
    };
    const auto clickRow = [&](int shown) {
        const QRect top = list->visualRect(list->indexAt(QPoint(5, 2)));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, top.center() + QPoint(0, top.height() * shown));
        list->viewport()->repaint();
    };
    const double scroll = medianMs([&] {
        waits.add("scroll", [&] { key(Qt::Key_End); });
        waits.add("scroll", [&] { key(Qt::Key_PageUp); });
        waits.add("scroll", [&] { key(Qt::Key_Home); });
        waits.add("scroll", [&] { key(Qt::Key_PageDown); });
        waits.add("scroll", [&] { scrollBarTo(0.5); });
        waits.add("scroll", [&] { clickRow(3); });
        waits.add("scroll", [&] { scrollBarTo(0.9); });
        waits.add("scroll", [&] { key(Qt::Key_Down); });
    });
    detail("  scrolling: End, PageUp, Home, PageDown, bar, click, bar, Down", scroll);
    waits.print();

    const auto expand = [&] {
        control.tvTreeView->expand(nodeOf(store.wide));
        control.tvTreeView->viewport()->repaint();
    };
    const auto rebuild = [&] {
        click(store.empty);
        control.RefreshTreeView();
    };
    const double query = medianMs([&] { stepRaw(store.raw(), LocationFolders::childRowsSql(), store.wide); });
    const double expanded = medianMs(expand, rebuild);
    if (tree->rowCount(nodeOf(store.wide)) != kSubFolders) {
        std::fprintf(stderr, "expanding did not load %d sub-folders\n", kSubFolders);
        return 1;
    }
    int withPlaceholder = 0;
    for (int row = 0; row < kSubFolders; ++row)
        withPlaceholder += tree->holdsPlaceholder(tree->index(row, 0, nodeOf(store.wide))) ? 1 : 0;
    if (withPlaceholder != kSubFolders / 10) {
        std::fprintf(stderr, "%d sub-folders show they have sub-folders, expected %d\n", withPlaceholder,
                     kSubFolders / 10);
        return 1;
    }
    report("expand 10,000 sub-folders until painted", expanded, query, 3);
    const double children = medianMs([&] {
        RecordsetPtr rs;
        session.Locations().GetChildLocations(rs, store.wide);
        readAll(rs);
    });
    detail("  of which the store's record set", children);
    const double loading = medianMs(
        [&] {
            RecordsetPtr rs;
            session.Locations().GetChildLocations(rs, store.wide);
            locationTreeOf(control)->LoadChildLocations(nodeOf(store.wide), rs);
        },
        [&] {
            rebuild();
            tree->removeNode(tree->index(0, 0, nodeOf(store.wide)));
        });
    detail("  of which the record set and loading the nodes", loading);
    control.close();
    return 0;
}
