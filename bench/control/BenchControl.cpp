// Times the control's file list and location tree against raw SQLite over the same rows,
// all measured in one run, and prints each figure with its ratio to the baseline.
//
//   fill + paint   clicking a folder of 100,000 files until the list has painted, against
//                  stepping the same SELECT with the C API and reading every column
//   sort           sorting those rows by a column, against std::sort of the same texts
//   memory         what the 100,000 listed rows add to the process
//   expand         expanding a folder with 10,000 sub-folders until the tree has painted,
//                  against stepping the store's query for those rows
#include "SqliteBenchStore.h"

#include "core/FileManUI.h"
#include "core/session/SessionRegistry.h"
#include "list/FileList.h"
#include "list/FileListModel.h"
#include "tree/LocationTree.h"
#include "tree/LocationTreeModel.h"

#include <QApplication>
#include <QElapsedTimer>
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
#include <vector>

namespace {

constexpr int kFiles = 100000;
constexpr int kSubFolders = 10000;
constexpr int kRuns = 7;
// Locations: 1 the top, 2 a folder of 100,000 files, 3 a folder of 10,000 sub-folders,
// 4 an empty folder.
constexpr int kTop = 1, kBigFolder = 2, kWideFolder = 3, kEmptyFolder = 4;

void exec(sqlite3 *db, const char *sql)
{
    char *error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "%s\n", error);
        std::exit(2);
    }
}

void fillDatabase(sqlite3 *db)
{
    exec(db, "PRAGMA journal_mode=WAL; BEGIN;"
             "CREATE TABLE locations(id INTEGER PRIMARY KEY, parent INTEGER, name TEXT);"
             "CREATE INDEX locations_parent ON locations(parent);"
             "CREATE TABLE projects(projectid INTEGER PRIMARY KEY, locationid INTEGER, filename TEXT,"
             " checkedout INTEGER, userid TEXT, checkoutdate TEXT, computername TEXT, checkoutlocation TEXT,"
             " checkoutdescription TEXT, locked INTEGER, defaultproject INTEGER);"
             "CREATE INDEX projects_location ON projects(locationid);"
             "INSERT INTO locations VALUES (1, 0, 'Bench'), (2, 1, 'Groot'), (3, 1, 'Breed'), (4, 1, 'Leeg');");
    sqlite3_stmt *location = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO locations VALUES (?, ?, ?)", -1, &location, nullptr);
    for (int i = 0; i < kSubFolders; ++i) {
        sqlite3_bind_int(location, 1, 100 + i);
        sqlite3_bind_int(location, 2, kWideFolder);
        const QByteArray name = QStringLiteral("Map %1").arg((i * 7919) % kSubFolders, 5, 10, QLatin1Char('0')).toUtf8();
        sqlite3_bind_text(location, 3, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_step(location);
        sqlite3_reset(location);
    }
    sqlite3_finalize(location);
    sqlite3_stmt *file = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO projects VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)", -1, &file, nullptr);
    for (int i = 0; i < kFiles; ++i) {
        // One file in ten is checked out, half of those by the bench's own user.
        const bool out = i % 10 == 0;
        const QByteArray name = QStringLiteral("Document %1 rapport.odt").arg((qint64(i) * 48271) % kFiles).toUtf8();
        sqlite3_bind_int(file, 1, i + 1);
        sqlite3_bind_int(file, 2, kBigFolder);
        sqlite3_bind_text(file, 3, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(file, 4, out ? 1 : 0);
        if (out) {
            sqlite3_bind_text(file, 5, i % 20 == 0 ? "JAN" : "PIET", -1, SQLITE_STATIC);
            sqlite3_bind_text(file, 6, "2024-03-07T09:05:00", -1, SQLITE_STATIC);
            sqlite3_bind_text(file, 7, "WERKPLEK-12", -1, SQLITE_STATIC);
            sqlite3_bind_text(file, 8, "/home/jan/werk/projecten", -1, SQLITE_STATIC);
            sqlite3_bind_text(file, 9, "bezig met hoofdstuk 3", -1, SQLITE_STATIC);
        } else {
            for (int c = 5; c <= 9; ++c)
                sqlite3_bind_null(file, c);
        }
        sqlite3_bind_int(file, 10, 0);
        sqlite3_bind_int(file, 11, 0);
        sqlite3_step(file);
        sqlite3_reset(file);
    }
    sqlite3_finalize(file);
    exec(db, "COMMIT; ANALYZE;");
}

// Steps a query raw, reading every column of every row as its type; answers the rows.
int stepRaw(sqlite3 *db, const char *sql, int parameter)
{
    sqlite3_stmt *statement = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
    sqlite3_bind_int(statement, 1, parameter);
    int rows = 0;
    std::size_t bytes = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        const int columns = sqlite3_column_count(statement);
        for (int c = 0; c < columns; ++c) {
            if (sqlite3_column_type(statement, c) == SQLITE_INTEGER)
                bytes += std::size_t(sqlite3_column_int(statement, c) & 1);
            else
                bytes += std::size_t(sqlite3_column_bytes(statement, c)) + (sqlite3_column_text(statement, c) ? 1 : 0);
        }
        ++rows;
    }
    sqlite3_finalize(statement);
    return bytes > 0 ? rows : -1;
}

// The median time in ms of `runs` runs of `body`; `prepare` runs untimed before each.
double medianMs(const std::function<void()> &body, const std::function<void()> &prepare = {})
{
    std::vector<double> times;
    for (int i = 0; i < kRuns; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer timer;
        timer.start();
        body();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
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

void report(const char *what, double ms, double baselineMs, double limit)
{
    const double ratio = ms / baselineMs;
    std::printf("%-44s %9.1f ms  baseline %8.1f ms  ratio %5.2f  (at most %.0fx: %s)\n", what, ms, baselineMs, ratio,
                limit, ratio <= limit ? "ok" : "OVER");
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    sqlite3 *db = nullptr;
    sqlite3_open(qPrintable(folder.filePath(QStringLiteral("bench.db"))), &db);
    fillDatabase(db);

    auto store = std::make_shared<SqliteBenchStore>(db);
    dwfm::SessionRegistry::registerFactory([store] { return store; });
    dwfm::FileManUI control;
    control.resize(1200, 800);
    control.show();
    if (!QTest::qWaitForWindowExposed(&control))
        std::fprintf(stderr, "the window was not exposed; paint times may be low\n");
    control.SetupConnection(QString(), QString(), QString(), QString(), false);
    control.ControlInSpecificLocationMode(kTop, QString(), true);
    QApplication::processEvents();

    dwfm::LocationTreeModel *tree = control.treeModel();
    const auto click = [&](int location) {
        control.tvTreeView->setCurrentIndex(tree->findNode(QString::number(location) + QLatin1Char('C')));
        control.lvListView->viewport()->repaint();
    };

    std::printf("%d files, %d sub-folders, median of %d runs\n\n", kFiles, kSubFolders, kRuns);

    // Memory first, while the process has never listed the big folder.
    click(kEmptyFolder);
    const double rssBefore = residentMiB(), heapBefore = heapMiB();
    click(kBigFolder);
    const double rssAfter = residentMiB(), heapAfter = heapMiB();
    if (control.listModel()->rowCount() != kFiles) {
        std::fprintf(stderr, "listed %d rows, expected %d\n", control.listModel()->rowCount(), kFiles);
        return 1;
    }

    const double raw = medianMs([&] { stepRaw(db, SqliteBenchStore::filesQuery(), kBigFolder); });
    const double recordset = medianMs([&] {
        dwfm::RecordsetPtr rs;
        store->GetProjectsInLocation(rs, kBigFolder);
        for (; !rs->isEof(); rs->moveNext()) {
            for (int c = 0; c < rs->fieldCount(); ++c)
                rs->value(c);
        }
    });
    const double fill = medianMs([&] { click(kBigFolder); }, [&] { click(kEmptyFolder); });
    report("fill + first paint of the list", fill, raw, 3);
    std::printf("%-44s %9.1f ms\n", "  of which the record set alone", recordset);

    std::vector<QString> texts;
    for (const dwfm::FileListRow &row : control.listModel()->rows())
        texts.push_back(row.text);
    std::vector<QString> copy;
    const double plainSort = medianMs([&] { std::sort(copy.begin(), copy.end()); }, [&] { copy = texts; });
    const double modelSort = medianMs([&] { control.listModel()->sort(0, Qt::DescendingOrder); },
                                      [&] { control.listModel()->sort(3, Qt::AscendingOrder); });
    report("sort by file name (the model's own sort)", modelSort, plainSort, 2);
    const double clickSort = medianMs(
        [&] {
            control.fileList()->headerClicked(0);
            control.lvListView->viewport()->repaint();
        },
        [&] { control.listModel()->sort(3, Qt::AscendingOrder); });
    std::printf("%-44s %9.1f ms\n", "  header click with repaint", clickSort);

    std::printf("%-44s %9.1f MiB resident, %.1f MiB heap  (at most 40 MiB: %s)\n", "memory of 100,000 listed rows",
                rssAfter - rssBefore, heapAfter - heapBefore, rssAfter - rssBefore <= 40 ? "ok" : "OVER");

    const auto expand = [&] {
        control.tvTreeView->expand(tree->findNode(QString::number(kWideFolder) + QLatin1Char('C')));
        control.tvTreeView->viewport()->repaint();
    };
    const auto rebuild = [&] {
        click(kEmptyFolder);
        control.RefreshTreeView();
    };
    for (bool flag : {true, false}) {
        store->childRowsTellHasChildren = flag;
        const char *sql = flag ? SqliteBenchStore::childrenWithFlagQuery() : SqliteBenchStore::childrenQuery();
        const double baseline = medianMs([&] { stepRaw(db, sql, kWideFolder); });
        const double ms = medianMs(expand, rebuild);
        if (tree->rowCount(tree->findNode(QString::number(kWideFolder) + QLatin1Char('C'))) != kSubFolders) {
            std::fprintf(stderr, "expanding did not load %d sub-folders\n", kSubFolders);
            return 1;
        }
        report(flag ? "expand 10,000 sub-folders (rows tell HasChildren)"
                    : "expand 10,000 sub-folders (one query per child)",
               ms, baseline, 3);
        const double modelOnly = medianMs(
            [&] {
                dwfm::RecordsetPtr rs;
                store->GetChildLocations(rs, kWideFolder);
                control.locationTree()->LoadChildLocations(
                    tree->findNode(QString::number(kWideFolder) + QLatin1Char('C')), rs);
            },
            [&] {
                rebuild();
                tree->removeNode(tree->index(0, 0, tree->findNode(QString::number(kWideFolder) + QLatin1Char('C'))));
            });
        std::printf("%-44s %9.1f ms\n", "  of which loading the nodes (collapsed)", modelOnly);
    }
    control.close();
    sqlite3_close(db);
    return 0;
}
