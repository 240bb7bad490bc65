// Times the server store against baselines measured in the same run:
//
//   listing      GetProjectsInLocation over 100,000 files with every field read, against
//                the same SELECT through raw libpq with every cell read
//   8 clients    1,000 check-outs and check-ins by 8 clients at once (each its own
//                session and user, 125 files each), against the same on the embedded store
//
// Usage: bench_server [RUNS]   (median of RUNS runs, 5 by default)
#include "BenchTiming.h"
#include "DwFileStoreSession.h"
#include "BenchCluster.h"
#include "StoreFolders.h"
#include "admin/StoreAdmin.h"
#include "db/SqliteDb.h"
#include "pg/PgAdmin.h"
#include "pg/PgConnection.h"
#include "pg/PgServices.h"
#include "pg/PgSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <libpq-fe.h>

#include <cstdio>
#include <vector>

using namespace dwfm;
using namespace dwfm::store;
using namespace dwfm::bench;

namespace {

constexpr int kRows = 100000;
constexpr int kFiles = 1000;
constexpr int kClients = 8;

QString clientName(int i)
{
    return QStringLiteral("klant%1").arg(i);
}

// Reads every field of every row through the session contract.
int readAll(const RecordsetPtr &rs)
{
    if (!rs)
        die(QStringLiteral("no rows"));
    int rows = 0;
    const int fields = rs->fieldCount();
    for (; !rs->isEof(); rs->moveNext(), ++rows) {
        for (int c = 0; c < fields; ++c)
            rs->value(c);
    }
    return rows;
}

// 8 clients at once, each checking its own 125 files out and in again.
double eightClients(const QString &server, const QString &catalogue, const std::vector<qint32> &files)
{
    std::vector<std::unique_ptr<DwFileStoreSession>> sessions;
    for (int c = 0; c < kClients; ++c) {
        sessions.push_back(std::make_unique<DwFileStoreSession>());
        if (!sessions.back()->Connect(server, clientName(c), clientName(c), catalogue, true))
            die(sessions.back()->Database().LastError());
    }
    QElapsedTimer timer;
    timer.start();
    std::vector<QThread *> threads;
    for (int c = 0; c < kClients; ++c) {
        threads.push_back(QThread::create([&, c] {
            ProjectsService &projects = sessions[std::size_t(c)]->Projects();
            for (std::size_t i = std::size_t(c); i < files.size(); i += kClients) {
                if (!projects.CheckOutProject(files[i], QString()) || !projects.CheckInProject(files[i], QString(), true))
                    die(sessions[std::size_t(c)]->Database().LastError());
            }
        }));
        threads.back()->start();
    }
    for (QThread *t : threads) {
        t->wait();
        delete t;
    }
    return double(timer.nsecsElapsed()) / 1e6;
}

void writeFiles(const QString &folder, int count)
{
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i) {
        QFile f(folder + QStringLiteral("/bestand %1.txt").arg(i));
        if (!f.open(QIODevice::WriteOnly))
            die(f.fileName());
        f.write(QByteArray(2000, char('a' + i % 26)));
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    readRuns(argc, argv);
    // Durable commits on both sides: the embedded store flushes every commit, so the
    // server must too.
    qputenv("DW_PG_OPTIONS", "-c fsync=on -c synchronous_commit=on");
    const QString server = startCluster();
    QTemporaryDir dir;

    // The server store: a location of 100,000 rows and one of 1,000 real files.
    const QString catalogue = QStringLiteral("bench_server");
    pg::PgAdmin admin(server, catalogue);
    admin.createStore();
    for (int c = 0; c < kClients; ++c) {
        UserChange user;
        user.password = clientName(c);
        user.admin = c == 0;
        user.workingRoot = dir.filePath(QStringLiteral("werk/") + clientName(c));
        admin.addUser(clientName(c), user);
    }
    DwFileStoreSession first;
    if (!first.Connect(server, clientName(0), clientName(0), catalogue, true))
        die(first.Database().LastError());
    qint32 big = 0, small = 0;
    first.Locations().CreateLocation(QStringLiteral("Groot"), QString(), 0, big);
    first.Locations().CreateLocation(QStringLiteral("Klein"), QString(), 0, small);
    {
        pg::PgConnection db(pg::PgSession::conninfo(server, catalogue, QString(), QString()));
        db.exec("INSERT INTO dw.projects (location_id, file_name, name_key) "
                "SELECT ?, 'bestand ' || i || '.txt', 'bestand ' || i || '.txt' FROM generate_series(0, ? - 1) i",
                {small, kFiles});
        db.script(QString::fromUtf8(PgCluster::contentFromNamesSql(2000)));
        // Rows only: listing reads no content.
        db.exec("INSERT INTO dw.projects (location_id, file_name, name_key, checked_out, user_id, checkout_at, "
                "computer_name, checkout_folder, checkout_remark) "
                "SELECT ?, 'Document ' || (i::bigint * 48271 % 100000) || ' rapport.odt', "
                "'document ' || (i::bigint * 48271 % 100000) || ' rapport.odt', i % 10 = 0, "
                "CASE WHEN i % 10 = 0 THEN 'piet' END, CASE WHEN i % 10 = 0 THEN 1709798700000 + i END, "
                "CASE WHEN i % 10 = 0 THEN 'WERKPLEK-12' END, CASE WHEN i % 10 = 0 THEN '/home/piet/werk' END, "
                "CASE WHEN i % 10 = 0 THEN 'bezig met hoofdstuk 3' END FROM generate_series(0, ? - 1) i",
                {big, kRows});
        db.exec("ANALYZE");
    }

    // The raw baseline: the same SELECT through libpq, every cell read.
    PGconn *raw = PQconnectdb(pg::PgSession::conninfo(server, catalogue, clientName(0), clientName(0)).toUtf8().constData());
    const QByteArray sql = QByteArray(pg::PgProjects::inLocationSql()).replace("?", "$1").replace("FROM projects", "FROM dw.projects");
    const QByteArray param = QByteArray::number(big);
    const double rawMs = medianMs([&] {
        const char *values[] = {param.constData()};
        PGresult *r = PQexecParams(raw, sql.constData(), 1, nullptr, values, nullptr, nullptr, 0);
        std::size_t bytes = 0;
        for (int row = 0; row < PQntuples(r); ++row) {
            for (int c = 0; c < PQnfields(r); ++c)
                bytes += std::size_t(PQgetlength(r, row, c)) + (PQgetisnull(r, row, c) ? 0 : 1);
        }
        if (PQntuples(r) != kRows || bytes == 0)
            die(QStringLiteral("the raw query answered %1 rows").arg(PQntuples(r)));
        PQclear(r);
    });
    PQfinish(raw);
    const double listMs = medianMs([&] {
        RecordsetPtr rs;
        first.Projects().GetProjectsInLocation(rs, big);
        if (readAll(rs) != kRows)
            die(QStringLiteral("the session listed too few rows"));
    });
    std::printf("server store on a local cluster, median of %d runs\n\n", runs);
    report("list 100,000 files, every field read", listMs, rawMs, 1.5);

    // The embedded store with the same users and files.
    const QString folder = dir.filePath(QStringLiteral("ingebouwd"));
    StoreAdmin::createStore(folder, QStringLiteral("Bench"));
    {
        StoreAdmin embedded(DwFileStoreSession::openAsAdministrator(folder, QStringLiteral("Bench"), QStringLiteral("beheer")));
        for (int c = 0; c < kClients; ++c) {
            UserChange user;
            user.password = clientName(c);
            user.workingRoot = dir.filePath(QStringLiteral("werk-ingebouwd/") + clientName(c));
            embedded.addUser(clientName(c), user, 1000);
        }
    }
    DwFileStoreSession embeddedFirst;
    if (!embeddedFirst.Connect(folder, clientName(0), clientName(0), QStringLiteral("Bench"), true))
        die(embeddedFirst.Database().LastError());
    qint32 embeddedSmall = 0;
    {
        auto owner = DwFileStoreSession::openAsAdministrator(folder, QStringLiteral("Bench"), QStringLiteral("beheer"));
        owner->Locations().CreateLocation(QStringLiteral("Klein"), QString(), 0, embeddedSmall);
        const SqliteDbPtr db = owner->context()->db();
        WriteTransaction tx(db);
        for (int i = 0; i < kFiles; ++i) {
            Statement ins(db, "INSERT INTO projects (location_id, file_name, name_key) VALUES (?, ?, ?)");
            const QString name = QStringLiteral("bestand %1.txt").arg(i);
            ins.bind(1, qint64(embeddedSmall)).bind(2, name).bind(3, name).exec();
        }
        tx.commit();
    }
    writeFiles(StoreFolders::rootFolder(folder, QStringLiteral("Bench")) + QStringLiteral("/Klein"), kFiles);

    const auto idsOf = [](FileStoreSession &s, qint32 location) {
        std::vector<qint32> ids;
        RecordsetPtr rs;
        s.Projects().GetProjectsInLocation(rs, location);
        for (; rs && !rs->isEof(); rs->moveNext())
            ids.push_back(rs->value(QStringLiteral("Projectid")).toInt());
        return ids;
    };
    const std::vector<qint32> serverFiles = idsOf(first, small), embeddedFiles = idsOf(embeddedFirst, embeddedSmall);
    const double serverMs = medianMs([&] { eightClients(server, catalogue, serverFiles); });
    const double embeddedMs = medianMs([&] { eightClients(folder, QStringLiteral("Bench"), embeddedFiles); });
    report("1,000 check-outs + check-ins, 8 clients, server", serverMs, embeddedMs, 0);
    std::printf("  (baseline: the same on the embedded store)\n");
    return 0;
}
