// Times the control over the embedded store against raw SQLite stepping the store's own
// statements over the same rows, all measured in one run, and prints each figure with its
// ratio to the baseline.
//
//   fill + paint   clicking a folder of 100,000 files until the list has painted, against
//                  stepping the store's file query with the C API and reading every column,
//                  on a connection of its own with SQLite's default settings (the store's
//                  own connection is set up for listing); also against the same raw step on
//                  the store's connection
//   sort           sorting those rows by a column, against std::sort of the same texts
//   memory         what the 100,000 listed rows add to the process
//   expand         expanding a folder with 10,000 sub-folders until the tree has painted,
//                  against stepping the store's query for those rows
//
// Usage: bench_control [RUNS]   (RUNS: how many runs each median is taken over, 7 by default)
#include "DwFileStore.h"
#include "DwFileStoreSession.h"
#include "StoreFolders.h"
#include "admin/StoreAdmin.h"
#include "BenchTiming.h"
#include "db/SqliteDb.h"
#include "services/ProjectCatalog.h"
#include "services/StoreLocations.h"

#include "core/FileManUI.h"
#include "core/FileManUIInternals.h"
#include "SessionRegistry.h"
#include "list/FileList.h"
#include "list/FileListModel.h"
#include "tree/LocationTree.h"
#include "tree/LocationTreeModel.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <malloc.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <vector>

using namespace dwfm;
using namespace dwfm::store;
using namespace dwfm::bench;

namespace {

constexpr int kFiles = 100000;
constexpr int kSubFolders = 10000;

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

double residentMiB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double heapMiB()
{
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
}


void detail(const char *what, double ms)
{
    std::printf("%-46s %8.1f ms\n", what, ms);
}

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
    FileStoreSession &session = *SessionRegistry::current();

    std::printf("embedded store, %d files, %d sub-folders, median of %d runs\n\n", kFiles, kSubFolders, runs);

    // Memory first, while the process has never listed the big folder.
    click(store.empty);
    const double rssBefore = residentMiB(), heapBefore = heapMiB();
    click(store.big);
    const double rssAfter = residentMiB(), heapAfter = heapMiB();
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
    const double fill = medianMs([&] { click(store.big); }, [&] { click(store.empty); });
    report("fill + first paint of the list", fill, raw, 0.7);
    detail("  raw step on the store's own connection", tuned);
    detail("  the store's record set, every field read", recordset);

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
    report("sort by file name (the model's own sort)", modelSort, plainSort, 2);
    listModelOf(control)->sort(0, Qt::AscendingOrder);
    const double clickSort = medianMs(
        [&] {
            fileListOf(control)->headerClicked(0);
            control.lvListView->viewport()->repaint();
        });
    detail("  header click (order turned) with repaint", clickSort);

    std::printf("%-46s %8.1f MiB resident, %.1f MiB heap  (at most 40 MiB: %s)\n", "memory of 100,000 listed rows",
                rssAfter - rssBefore, heapAfter - heapBefore, rssAfter - rssBefore <= 40 ? "ok" : "OVER");

    const auto expand = [&] {
        control.tvTreeView->expand(nodeOf(store.wide));
        control.tvTreeView->viewport()->repaint();
    };
    const auto rebuild = [&] {
        click(store.empty);
        control.RefreshTreeView();
    };
    const double query = medianMs([&] { stepRaw(store.raw(), StoreLocations::childRowsSql(), store.wide); });
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
