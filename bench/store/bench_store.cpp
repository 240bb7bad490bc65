// Measures the embedded store against baselines in the same run:
//  1. GetProjectsInLocation over 100,000 files, every field read, vs. the same SELECT
//     stepped with the raw SQLite C API;
//  2. check-out of 1,000 small files as the check-out dialog does it (one batch, one durable
//     commit) vs. `svn lock`, and their check-ins one by one vs. `svn commit`;
//  3. check-out of a 1 GiB file vs. `cp`, its durable check-in (a new version, the one it
//     replaces kept) vs. `cp` + `sync`.
// The file benchmarks run ours and the baseline several times in alternating order, each
// run starting from the same state: everything written before is on disk (sync), the
// source is in the page cache, and the target is new (check-out, cp) or replaces a file of
// the same size (check-in, cp + sync). The median of each side is compared.
// Usage: bench_store WORKDIR [--quick] [--only list|small|large]
//   --quick: 10,000 rows, 200 files, 64 MiB; --only: that benchmark alone (full size).
#include "DwFileStoreSession.h"
#include "ProjectBatch.h"
#include "StoreFolders.h"
#include "admin/StoreAdmin.h"
#include "db/SqliteDb.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <vector>

using namespace dwfm;
using namespace dwfm::store;

namespace {

double timeMs(const std::function<void()> &work)
{
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e6;
}

double bestOf(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i)
        times.push_back(timeMs(work));
    return *std::min_element(times.begin(), times.end());
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void run(const QString &program, const QStringList &args, const QString &cwd = QString())
{
    QProcess p;
    p.setWorkingDirectory(cwd);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(-1) || p.exitCode() != 0) {
        std::fprintf(stderr, "%s %s failed:\n%s\n", qPrintable(program), qPrintable(args.join(' ')),
                     p.readAll().constData());
        std::exit(1);
    }
}

void writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
        std::exit(1);
}

// Puts the file system in the same state before each measured run: nothing of earlier
// runs left to write back (or to discard, for deleted files), and `source` in the page cache.
void settle(const QString &source = QString())
{
    run("sync", {});
    if (source.isEmpty())
        return;
    QFile f(source);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        std::exit(1);
    static char buffer[1 << 20];
    while (f.read(buffer, sizeof buffer) > 0) {
    }
}

// Runs `ours` and `base` `runs` times, alternating which goes first, and answers the
// medians (ours, base). `prepare` readies the state before each run of either.
std::pair<double, double> alternate(int runs, const std::function<void()> &prepareOurs, const std::function<void()> &ours,
                                    const std::function<void()> &prepareBase, const std::function<void()> &base)
{
    std::vector<double> a, b;
    for (int i = 0; i < runs; ++i) {
        for (int side : i % 2 ? std::array{1, 0} : std::array{0, 1}) {
            if (side == 0) {
                prepareOurs();
                a.push_back(timeMs(ours));
            } else {
                prepareBase();
                b.push_back(timeMs(base));
            }
        }
    }
    return {median(a), median(b)};
}

void report(const char *what, double ours, double base, const char *baseName, double goal)
{
    std::printf("%-44s %9.1f ms   %-24s %9.1f ms   ratio %.2f (goal <= %.2f)\n", what, ours, baseName, base,
                ours / base, goal);
}

void benchListing(DwFileStoreSession &s, qint32 location, int rows)
{
    auto db = s.context()->db();
    {
        WriteTransaction tx(db);
        Statement ins(db, "INSERT INTO projects (location_id, file_name, name_key, checked_out, user_id, checkout_at, "
                          "computer_name, checkout_folder, checkout_remark) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
        for (int i = 0; i < rows; ++i) {
            const QString name = QStringLiteral("Tekening %1.dwg").arg(i, 6, 10, QLatin1Char('0'));
            const bool out = i % 10 == 0;
            ins.bind(1, qint64(location)).bind(2, name).bind(3, name.toCaseFolded()).bind(4, qint64(out));
            if (out)
                ins.bind(5, QStringLiteral("bert")).bind(6, qint64(1700000000000) + i).bind(7, QStringLiteral("werkstation"))
                    .bind(8, QStringLiteral("/home/bert/DwWerkmap/Projecten")).bind(9, QStringLiteral("aanpassen"));
            else
                ins.bindNull(5).bindNull(6).bindNull(7).bindNull(8).bindNull(9);
            ins.exec();
            ins.reset();
        }
        tx.commit();
    }
    qint64 sink = 0;
    const double raw = bestOf(5, [&] {
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db->handle(),
                           "SELECT p.project_id, p.file_name, p.checked_out, p.user_id, p.checkout_at, p.computer_name, "
                           "p.checkout_folder, p.checkout_remark, p.locked, p.default_project, p.location_id "
                           "FROM projects p WHERE p.location_id = ? ORDER BY p.name_key",
                           -1, &st, nullptr);
        sqlite3_bind_int(st, 1, location);
        while (sqlite3_step(st) == SQLITE_ROW) {
            for (int c = 0; c < 11; ++c) {
                if (sqlite3_column_type(st, c) == SQLITE_TEXT)
                    sink += sqlite3_column_bytes(st, c) + (sqlite3_column_text(st, c) != nullptr);
                else
                    sink += sqlite3_column_int64(st, c);
            }
        }
        sqlite3_finalize(st);
    });
    const double ours = bestOf(5, [&] {
        RecordsetPtr rs;
        if (!s.Projects().GetProjectsInLocation(rs, location))
            std::exit(1);
        const int fields = rs->fieldCount();
        for (; !rs->isEof(); rs->moveNext()) {
            for (int c = 0; c < fields; ++c)
                sink += rs->value(c).isNull() ? 0 : 1;
        }
        rs->close();
    });
    char what[64];
    std::snprintf(what, sizeof what, "GetProjectsInLocation, %d rows", rows);
    report(what, ours, raw, "raw SQLite stepping", 2.0);
    if (sink == 42)
        std::puts("");
}

void benchSmallFiles(DwFileStoreSession &s, qint32 location, const QString &work, int count, int runs)
{
    const QString src = work + "/klein";
    QDir().mkpath(src);
    std::vector<qint32> ids;
    for (int i = 0; i < count; ++i) {
        const QString path = QStringLiteral("%1/f%2.txt").arg(src).arg(i);
        // Each file its own content, so that each check-in keeps a content of its own.
        writeFile(path, QByteArray("regel\n").repeated(20) + QByteArray::number(i));
        ids.push_back(s.Projects().AddProject(path, location, QVariant(), true, true));
    }
    const QString local = s.Projects().GetProjectLocalFolder(ids.front());
    auto *batch = dynamic_cast<ProjectBatch *>(&s.Projects());
    if (!batch)
        std::exit(1);
    const QList<qint32> idList(ids.begin(), ids.end());

    // The peer: a local repository with the same files.
    const QString repo = work + "/svnrepo", wc = work + "/svnwc";
    run("svnadmin", {"create", repo});
    run("svn", {"checkout", "-q", "file://" + repo, wc});
    QStringList files;
    for (int i = 0; i < count; ++i) {
        files << QStringLiteral("f%1.txt").arg(i);
        writeFile(wc + "/" + files.last(), QByteArray("regel\n").repeated(20) + QByteArray::number(i));
    }
    run("svn", QStringList{"add", "-q"} + files, wc);
    run("svn", {"commit", "-q", "-m", "begin"}, wc);

    // Each run starts with nothing checked out or locked and no working copies. The last
    // run's copies are moved out of the way rather than deleted: ext4 without a journal
    // passes over inodes freed in the last half minute when it makes a file, so deleting
    // them just before the run would make each new working copy scan past all of them, a
    // cost of the benchmark's own clean-up that the peer, which makes no files, never pays.
    bool outDone = false, lockDone = false;
    int moved = 0;
    const auto [out, lock] = alternate(
        runs,
        [&] {
            if (outDone) {
                for (qint32 id : ids)
                    if (!s.Projects().CancelCheckOut(id, QString(), false))
                        std::exit(1);
                if (!QDir().rename(local, QStringLiteral("%1/weg%2").arg(work).arg(++moved)))
                    std::exit(1);
            }
            settle();
        },
        [&] {
            if (batch->CheckOutProjects(idList, QString()).contains(false))
                std::exit(1);
            outDone = true;
        },
        [&] {
            if (lockDone)
                run("svn", QStringList{"unlock", "-q"} + files, wc);
            settle();
        },
        [&] {
            run("svn", QStringList{"lock", "-q"} + files, wc);
            lockDone = true;
        });

    for (int i = 0; i < count; ++i)
        writeFile(QStringLiteral("%1/f%2.txt").arg(local).arg(i), QByteArray("gewijzigd\n").repeated(20));
    for (const QString &f : files)
        writeFile(wc + "/" + f, QByteArray("gewijzigd\n").repeated(20));
    settle();
    const double in = timeMs([&] {
        for (qint32 id : ids)
            if (!s.Projects().CheckInProject(id, QString(), false))
                std::exit(1);
    });
    settle();
    const double commit = timeMs([&] { run("svn", {"commit", "-q", "-m", "klaar"}, wc); });
    char what[64];
    std::snprintf(what, sizeof what, "check-out of %d small files", count);
    report(what, out, lock, "svn lock", 1.0);
    std::snprintf(what, sizeof what, "check-in of %d small files", count);
    report(what, in, commit, "svn commit", 1.0);
}

void benchLargeFile(DwFileStoreSession &s, qint32 location, const QString &work, qint64 bytes, int runs)
{
    const QString server = s.Locations().GetServerRootFolder() + "/" + s.Locations().GetLocationPath(location) + "/groot.bin";
    {
        QFile f(server);
        if (!f.open(QIODevice::WriteOnly))
            std::exit(1);
        // Random bytes, like the compressed formats large documents usually come in.
        QRandomGenerator random(13);
        QByteArray block(1 << 20, Qt::Uninitialized);
        for (qint64 done = 0; done < bytes; done += block.size()) {
            random.fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
            f.write(block);
        }
    }
    const qint32 id = s.Projects().AddProject(server, location, server, false, false);
    const QString local = s.Projects().GetProjectLocalFolder(id) + "/groot.bin";

    // Check-out and cp both make a new file from the cached server file.
    const QString cpCopy = work + "/cp-kopie.bin";
    bool checkedOut = false;
    const auto [out, cp] = alternate(
        runs,
        [&] {
            if (checkedOut && !s.Projects().CancelCheckOut(id, QString(), false))
                std::exit(1);
            QFile::remove(local);
            settle(server);
        },
        [&] {
            if (!s.Projects().CheckOutProject(id, QString()))
                std::exit(1);
            checkedOut = true;
        },
        [&] {
            QFile::remove(cpCopy);
            settle(server);
        },
        [&] { run("cp", {server, cpCopy}); });

    // Check-in and cp + sync both durably replace a file of the same size with the cached
    // working copy. The working copy differs from the server's content each time, as a
    // user's edit would, so every check-in keeps the content it replaces as a version.
    const QString cpSyncCopy = work + "/cp-sync-kopie.bin";
    run("cp", {local, cpSyncCopy});
    int edits = 0;
    const auto [in, cpSync] = alternate(
        runs,
        [&] {
            if (!checkedOut) {
                QFile::remove(local);
                if (!s.Projects().CheckOutProject(id, QString()))
                    std::exit(1);
                checkedOut = true;
            }
            QFile f(local);
            const QByteArray edit = QByteArray::number(++edits).rightJustified(16, '0');
            if (!f.open(QIODevice::ReadWrite) || f.write(edit) != edit.size())
                std::exit(1);
            f.close();
            settle(local);
        },
        [&] {
            if (!s.Projects().CheckInProject(id, QString(), false))
                std::exit(1);
            checkedOut = false;
        },
        [&] { settle(local); },
        [&] {
            run("cp", {local, cpSyncCopy});
            run("sync", {});
        });
    char what[64];
    std::snprintf(what, sizeof what, "check-out of a %lld MiB file", bytes >> 20);
    report(what, out, cp, "cp", 1.2);
    std::snprintf(what, sizeof what, "durable check-in of a %lld MiB file", bytes >> 20);
    report(what, in, cpSync, "cp + sync", 1.2);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "Usage: bench_store WORKDIR [--quick]\n");
        return 2;
    }
    const bool quick = args.contains("--quick");
    const qsizetype at = args.indexOf("--only");
    const QString only = at > 0 ? args.value(at + 1) : QString();
    const QString work = QDir(args[1]).absolutePath();
    const QString folder = work + "/store";
    StoreAdmin::createStore(folder, "Bench");
    StoreAdmin admin(DwFileStoreSession::openAsAdministrator(folder, "Bench", "bench"));
    UserChange bench;
    bench.password = "bench";
    bench.workingRoot = work + "/werk";
    admin.addUser("bench", bench, 1000);
    DwFileStoreSession s;
    if (!s.Connect(folder, "bench", "bench", "Bench", true))
        return 1;
    qint32 lijst = 0, klein = 0, groot = 0;
    admin.session().Locations().CreateLocation("Lijst", "", 0, lijst);
    admin.session().Locations().CreateLocation("Klein", "", 0, klein);
    admin.session().Locations().CreateLocation("Groot", "", 0, groot);

    const int runs = quick ? 3 : 5;
    if (only.isEmpty() || only == "list")
        benchListing(s, lijst, quick ? 10000 : 100000);
    if (only.isEmpty() || only == "small")
        benchSmallFiles(s, klein, work, quick ? 200 : 1000, runs);
    if (only.isEmpty() || only == "large")
        benchLargeFile(s, groot, work, quick ? (qint64(64) << 20) : (qint64(1) << 30), runs);
    return 0;
}
