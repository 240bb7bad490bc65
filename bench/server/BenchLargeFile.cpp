// Times one 1 GiB check-in and check-out on the server store against baselines measured in
// the same run, and reports the client's peak memory:
//
//   check-in     the working copy into the database (upload, hash, new version, commit),
//                against a raw libpq program that sends the same file the same way (1 MiB
//                bytea rows in one transaction, binary parameters), and against cp + sync
//   check-out    the working copy out of the database (fetch, hash check, file), against
//                the raw program reading the same rows back into a file, and against cp
//   storage      the raw program with bytea rows against the same with one large object
//                (lo_write / lo_read of 1 MiB at a time), the other way to keep content
//                (measured once)
//
// Every measured client is a process of its own (this program run with --client), so its
// peak resident memory is its own; a check-in and a check-out each start it once. The
// cluster commits durably (fsync on).
//
// Usage: bench_server_large [RUNS] [MIB]   (median of RUNS runs, 3 by default; 1024 MiB)
#include "BenchTiming.h"
#include "DwFileStoreSession.h"
#include "BenchCluster.h"
#include "pg/PgAdmin.h"
#include "pg/PgSession.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <libpq-fe.h>
#include <libpq/libpq-fs.h>

#include <cstdio>
#include <memory>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace dwfm;
using namespace dwfm::store;
using namespace dwfm::bench;

namespace {

constexpr int kChunk = 1 << 20;

// The client side of one measurement; answers the exit code.
int client(const QStringList &args)
{
    const QString op = args.value(0), server = args.value(1), catalogue = args.value(2);
    if (op == QLatin1String("checkin") || op == QLatin1String("checkout")) {
        DwFileStoreSession s;
        if (!s.Connect(server, QStringLiteral("anna"), QStringLiteral("anna"), catalogue, true))
            die(s.Database().LastError());
        const qint32 id = args.value(3).toInt();
        const bool ok = op == QLatin1String("checkin") ? s.Projects().CheckInProject(id, QString(), false)
                                                       : s.Projects().CheckOutProject(id, QString());
        if (!ok)
            die(s.Database().LastError());
        return 0;
    }
    // The raw program: the same bytes the same way, through libpq alone.
    PGconn *conn = PQconnectdb(pg::PgSession::conninfo(server, catalogue, QString(), QString()).toUtf8().constData());
    if (PQstatus(conn) != CONNECTION_OK)
        die(QString::fromUtf8(PQerrorMessage(conn)));
    const auto run = [&](const char *sql) {
        PGresult *r = PQexec(conn, sql);
        if (PQresultStatus(r) != PGRES_COMMAND_OK && PQresultStatus(r) != PGRES_TUPLES_OK)
            die(QString::fromUtf8(PQerrorMessage(conn)));
        PQclear(r);
    };
    QFile file(args.value(3));
    std::unique_ptr<char[]> buffer(new char[kChunk]);
    if (op == QLatin1String("lo-in") || op == QLatin1String("lo-out")) {
        const bool in = op == QLatin1String("lo-in");
        if (!file.open(in ? QIODevice::ReadOnly | QIODevice::Unbuffered : QIODevice::WriteOnly | QIODevice::NewOnly))
            die(file.fileName());
        run("BEGIN");
        const Oid object = 4242;
        if (in) {
            run("SELECT lo_unlink(oid) FROM pg_largeobject_metadata WHERE oid = 4242");
            lo_create(conn, object);
        }
        const int fd = lo_open(conn, object, in ? INV_WRITE : INV_READ);
        for (qint64 n; (n = in ? file.read(buffer.get(), kChunk) : lo_read(conn, fd, buffer.get(), kChunk)) > 0;) {
            if ((in ? lo_write(conn, fd, buffer.get(), size_t(n)) : int(file.write(buffer.get(), n))) != n)
                die(QStringLiteral("large object"));
        }
        lo_close(conn, fd);
        run("COMMIT");
    } else if (op == QLatin1String("raw-in")) {
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            die(file.fileName());
        run("BEGIN");
        run("TRUNCATE dw.bench_raw");
        for (int seq = 0;; ++seq) {
            const qint64 n = file.read(buffer.get(), kChunk);
            if (n <= 0)
                break;
            const QByteArray number = QByteArray::number(seq);
            const char *values[] = {number.constData(), buffer.get()};
            const int lengths[] = {0, int(n)}, formats[] = {0, 1};
            PGresult *r = PQexecParams(conn, "INSERT INTO dw.bench_raw (seq, data) VALUES ($1, $2)", 2, nullptr, values, lengths,
                                       formats, 0);
            if (PQresultStatus(r) != PGRES_COMMAND_OK)
                die(QString::fromUtf8(PQerrorMessage(conn)));
            PQclear(r);
        }
        run("COMMIT");
    } else {
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
            die(file.fileName());
        PQsendQueryParams(conn, "SELECT data FROM dw.bench_raw ORDER BY seq", 0, nullptr, nullptr, nullptr, nullptr, 1);
        PQsetSingleRowMode(conn);
        while (PGresult *r = PQgetResult(conn)) {
            if (PQresultStatus(r) == PGRES_SINGLE_TUPLE)
                file.write(PQgetvalue(r, 0, 0), PQgetlength(r, 0, 0));
            PQclear(r);
        }
    }
    PQfinish(conn);
    return 0;
}

struct Measured {
    double ms = 0;
    long peakKiB = 0;
};

// Runs this program as a client and answers its time and peak resident memory.
Measured runClient(const QStringList &args)
{
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = ::fork();
    if (pid == 0) {
        QList<QByteArray> words{QCoreApplication::applicationFilePath().toLocal8Bit(), "--client"};
        for (const QString &a : args)
            words << a.toLocal8Bit();
        std::vector<char *> argv;
        for (QByteArray &w : words)
            argv.push_back(w.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        die(QStringLiteral("client %1 failed").arg(args.join(QLatin1Char(' '))));
    return Measured{double(timer.nsecsElapsed()) / 1e6, usage.ru_maxrss};
}

double shell(const QString &command)
{
    QElapsedTimer timer;
    timer.start();
    if (QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), command}) != 0)
        die(command);
    return double(timer.nsecsElapsed()) / 1e6;
}

// The median of `runs` measurements, with the largest peak memory among them.
Measured median(const std::function<Measured()> &one, const std::function<void()> &prepare)
{
    std::vector<Measured> all;
    for (int i = 0; i < runs; ++i) {
        prepare();
        all.push_back(one());
    }
    std::sort(all.begin(), all.end(), [](const Measured &a, const Measured &b) { return a.ms < b.ms; });
    Measured m = all[all.size() / 2];
    for (const Measured &x : all)
        m.peakKiB = std::max(m.peakKiB, x.peakKiB);
    return m;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--client") == 0)
        return client(QCoreApplication::arguments().mid(2));
    runs = 3;
    readRuns(argc, argv);
    const qint64 mib = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1024;
    qputenv("DW_PG_OPTIONS", "-c fsync=on -c synchronous_commit=on");
    const QString server = startCluster(), catalogue = QStringLiteral("bench_large");
    QTemporaryDir dir(QStringLiteral("/var/tmp/dwbench-XXXXXX"));
    pg::PgAdmin admin(server, catalogue);
    admin.createStore();
    UserChange anna;
    anna.password = QStringLiteral("anna");
    anna.admin = true;
    anna.workingRoot = dir.filePath(QStringLiteral("werk"));
    admin.addUser(QStringLiteral("anna"), anna);
    admin.db().exec("CREATE TABLE dw.bench_raw (seq integer PRIMARY KEY, data bytea NOT NULL)");
    admin.db().exec("ALTER TABLE dw.bench_raw ALTER COLUMN data SET STORAGE EXTERNAL");

    DwFileStoreSession s;
    if (!s.Connect(server, QStringLiteral("anna"), QStringLiteral("anna"), catalogue, true))
        die(s.Database().LastError());
    qint32 location = 0;
    s.Locations().CreateLocation(QStringLiteral("Groot"), QString(), 0, location);
    const QString source = dir.filePath(QStringLiteral("bron.bin"));
    {
        QFile f(source);
        f.open(QIODevice::WriteOnly);
        f.write("klein");
    }
    const qint32 id = s.Projects().AddProject(source, location, QStringLiteral("Groot.bin"), true, false);
    if (id < 0 || !s.Projects().CheckOutProject(id, QString()))
        die(s.Database().LastError());
    const QString local = dir.filePath(QStringLiteral("werk/Groot/Groot.bin"));
    {
        // Bytes that do not repeat, so that nothing on the way can shorten them.
        QFile f(local);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        std::vector<quint64> block(kChunk / 8);
        quint64 x = 0x9E3779B97F4A7C15ull;
        for (qint64 i = 0; i < mib; ++i) {
            for (quint64 &v : block)
                v = (x ^= x << 13, x ^= x >> 7, x ^= x << 17);
            f.write(reinterpret_cast<const char *>(block.data()), kChunk);
        }
    }
    std::printf("1 file of %lld MiB, server store on a local cluster (durable commits), median of %d runs\n\n", mib, runs);

    // Each check-in sends content the store does not have yet (its first bytes differ).
    int round = 0;
    const Measured in = median([&] { return runClient({QStringLiteral("checkin"), server, catalogue, QString::number(id)}); },
                               [&] {
                                   if (!s.Projects().CheckOutProject(id, QString()))
                                       die(s.Database().LastError());
                                   QFile f(local);
                                   f.open(QIODevice::ReadWrite);
                                   const qint64 mark = ++round;
                                   f.write(reinterpret_cast<const char *>(&mark), sizeof mark);
                                   f.close();
                                   admin.prune(PruneRules{0, std::nullopt});
                               });
    const Measured rawIn = median([&] { return runClient({QStringLiteral("raw-in"), server, catalogue, local}); }, [] {});
    const double cpSync = median([&] { return Measured{shell("cp '" + local + "' '" + dir.filePath("kopie") + "' && sync")}; },
                                 [&] { QFile::remove(dir.filePath(QStringLiteral("kopie"))); }).ms;
    const QString readBack = dir.filePath(QStringLiteral("terug.bin"));
    const Measured out = median([&] { return runClient({QStringLiteral("checkout"), server, catalogue, QString::number(id)}); },
                                [&] {
                                    s.Projects().CancelCheckOut(id, QString(), false); // refused while the file is free
                                    QFile::remove(local);
                                });
    const Measured rawOut = median([&] { return runClient({QStringLiteral("raw-out"), server, catalogue, readBack}); },
                                   [&] { QFile::remove(readBack); });
    // Once: a large object is several times slower, and the figure only says by how much.
    const Measured loIn = runClient({QStringLiteral("lo-in"), server, catalogue, local});
    QFile::remove(readBack);
    const Measured loOut = runClient({QStringLiteral("lo-out"), server, catalogue, readBack});
    const double cp = median([&] { return Measured{shell("cp '" + local + "' '" + dir.filePath("kopie") + "'")}; },
                             [&] { QFile::remove(dir.filePath(QStringLiteral("kopie"))); }).ms;

    report("check-in against raw libpq", in.ms, rawIn.ms, 1.2);
    report("check-in against cp + sync", in.ms, cpSync, 0);
    report("check-out against raw libpq", out.ms, rawOut.ms, 1.2);
    report("check-out against cp", out.ms, cp, 0);
    report("raw: bytea rows written against a large object", rawIn.ms, loIn.ms, 0);
    report("raw: bytea rows read against a large object", rawOut.ms, loOut.ms, 0);
    std::printf("client peak memory: check-in %.1f MiB, check-out %.1f MiB (raw program %.1f / %.1f MiB)\n",
                in.peakKiB / 1024.0, out.peakKiB / 1024.0, rawIn.peakKiB / 1024.0, rawOut.peakKiB / 1024.0);
    return 0;
}
