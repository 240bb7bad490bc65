// Times the server store where its calls, not its bytes, decide, against baselines measured in
// the same run:
//
//   slow link    100 small check-outs in one dialog (ProjectBatch::CheckOutProjects) through
//                a proxy that delays each direction by 10 ms, against a raw libpq program
//                through the same proxy that moves the same content in the fewest round
//                trips a check-out can take (a statement that reads it all, then COMMIT)
//   paste        1,000 files pasted into an empty location (the batch copy the control's
//                paste calls: the copies share their content, nothing is written), against
//                `cp` of the same 1,000 files into an empty folder
//
// Usage: bench_server_link [RUNS]   (median of RUNS runs, 5 by default)
#include "BenchTiming.h"
#include "DwFileStoreSession.h"
#include "LinkProxy.h"
#include "BenchCluster.h"
#include "ProjectBatch.h"
#include "ProjectSearch.h"
#include "pg/PgAdmin.h"
#include "pg/PgConnection.h"
#include "pg/PgSession.h"
#include "search/ContentIndexer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <libpq-fe.h>

#include <cstdio>

using namespace dwfm;
using namespace dwfm::store;
using namespace dwfm::bench;

namespace {

constexpr int kDialogFiles = 100;
constexpr int kPasteFiles = 1000;
constexpr int kFileBytes = 2000;
constexpr std::chrono::milliseconds kDelay{10};

QList<qint32> idsIn(FileStoreSession &s, qint32 location)
{
    QList<qint32> ids;
    RecordsetPtr rs;
    s.Projects().GetProjectsInLocation(rs, location);
    for (; rs && !rs->isEof(); rs->moveNext())
        ids << rs->value(QStringLiteral("Projectid")).toInt();
    return ids;
}

qint32 newLocation(FileStoreSession &s, const QString &name)
{
    qint32 id = 0;
    if (!s.Locations().CreateLocation(name, QString(), 0, id))
        die(s.Database().LastError());
    return id;
}

// The raw baseline of a dialog's check-out: BEGIN and one statement that answers every
// file's content in one message, then COMMIT; the bytes are read.
void rawCheckOut(PGconn *raw, const QByteArray &ids)
{
    const char *values[] = {ids.constData()};
    if (PQenterPipelineMode(raw) != 1 || PQsendQueryParams(raw, "BEGIN", 0, nullptr, nullptr, nullptr, nullptr, 0) != 1
        || PQsendQueryParams(raw,
                             "SELECT k.data FROM dw.projects p JOIN dw.versions v ON v.project_id = p.project_id "
                             "AND v.version = p.version JOIN dw.chunks k ON k.content_id = v.content_id "
                             "WHERE p.project_id = ANY($1::integer[]) ORDER BY p.project_id, k.seq",
                             1, nullptr, values, nullptr, nullptr, 1) != 1
        || PQpipelineSync(raw) != 1)
        die(QString::fromUtf8(PQerrorMessage(raw)));
    qint64 bytes = 0;
    // A null ends each statement's answers; the sync ends the whole.
    for (;;) {
        PGresult *r = PQgetResult(raw);
        if (!r)
            continue;
        if (PQresultStatus(r) == PGRES_FATAL_ERROR)
            die(QString::fromUtf8(PQresultErrorMessage(r)));
        for (int row = 0; row < PQntuples(r); ++row)
            bytes += PQgetlength(r, row, 0);
        const bool sync = PQresultStatus(r) == PGRES_PIPELINE_SYNC;
        PQclear(r);
        if (sync)
            break;
    }
    PQexitPipelineMode(raw);
    PGresult *commit = PQexec(raw, "COMMIT");
    PQclear(commit);
    if (bytes != qint64(kDialogFiles) * kFileBytes)
        die(QStringLiteral("the raw check-out read %1 bytes").arg(bytes));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    readRuns(argc, argv);
    const QString server = startCluster();
    QTemporaryDir dir;
    const QString catalogue = QStringLiteral("bench_link");
    pg::PgAdmin admin(server, catalogue);
    admin.createStore();
    UserChange user;
    user.password = QStringLiteral("klant");
    user.admin = true;
    user.workingRoot = dir.filePath(QStringLiteral("werk"));
    admin.addUser(QStringLiteral("klant"), user);
    DwFileStoreSession near;
    if (!near.Connect(server, QStringLiteral("klant"), QStringLiteral("klant"), catalogue, true))
        die(near.Database().LastError());
    const qint32 dialog = newLocation(near, QStringLiteral("Dialoog")), source = newLocation(near, QStringLiteral("Bron"));
    {
        pg::PgConnection db(pg::PgSession::conninfo(server, catalogue, QString(), QString()));
        db.exec("INSERT INTO dw.projects (location_id, file_name, name_key) "
                "SELECT l, 'bestand ' || i || '.txt', 'bestand ' || i || '.txt' "
                "FROM (VALUES (?::integer, ?::integer), (?, ?)) AS s(l, n), generate_series(0, s.n - 1) i",
                {dialog, kDialogFiles, source, kPasteFiles});
        db.script(QString::fromUtf8(PgCluster::contentFromNamesSql(kFileBytes)));
        db.exec("ANALYZE");
    }
    // The text of the new contents is read first, so that no background reader competes
    // with what is timed (a paste adds versions of contents whose text is known by then).
    if (auto *search = dynamic_cast<ProjectSearch *>(&near.Projects()); !search || !search->FinishIndexing(600000))
        die(QStringLiteral("the contents' text was not read"));
    std::printf("server store on a local cluster, median of %d runs\n\n", runs);

    // A dialog's check-outs over a slow link; between runs the files are given back and their
    // working copies removed, so every run makes all of them.
    test::LinkProxy proxy(server.section(QLatin1Char(':'), -1).toInt(), kDelay);
    if (!proxy.listening())
        die(QStringLiteral("the proxy cannot listen"));
    // Without background indexing: only the session's own statements pass the proxy.
    DwFileStoreSession far;
    ContentIndexer::setEnabled(false);
    if (!far.Connect(proxy.server(), QStringLiteral("klant"), QStringLiteral("klant"), catalogue, true))
        die(far.Database().LastError());
    ContentIndexer::setEnabled(true);
    const QList<qint32> files = idsIn(near, dialog);
    auto &batch = dynamic_cast<ProjectBatch &>(far.Projects());
    // The working copies are moved aside, not deleted: a file system without a journal
    // (ext4 so mounted) passes over inodes freed in the last 30 seconds when it makes a
    // file, so deleting them here would slow the next run's files down, a cost of the
    // benchmark's own clean-up. QTemporaryDir removes them at the end.
    int givenBack = 0;
    const auto giveBack = [&] {
        for (qint32 id : files)
            near.Projects().CancelCheckOut(id, QString(), false);
        if (QFileInfo::exists(user.workingRoot.value())
            && !QDir().rename(user.workingRoot.value(), dir.filePath(QStringLiteral("terug %1").arg(++givenBack))))
            die(QStringLiteral("the working copies cannot be moved aside"));
    };
    int turns = 0;
    const double dialogMs = medianMs(
        [&] {
            proxy.takeTurns();
            if (batch.CheckOutProjects(files, QString()) != QList<bool>(kDialogFiles, true))
                die(far.Database().LastError());
            turns = proxy.takeTurns();
        },
        giveBack);
    auto &nearBatch = dynamic_cast<ProjectBatch &>(near.Projects());
    const double directMs = medianMs(
        [&] {
            if (nearBatch.CheckOutProjects(files, QString()) != QList<bool>(kDialogFiles, true))
                die(near.Database().LastError());
        },
        giveBack);
    PGconn *raw = PQconnectdb(pg::PgSession::conninfo(proxy.server(), catalogue, QString(), QString()).toUtf8().constData());
    if (PQstatus(raw) != CONNECTION_OK)
        die(QString::fromUtf8(PQerrorMessage(raw)));
    const QByteArray ids = pg::PgConnection::intArray(files).toUtf8();
    const double rawMs = medianMs([&] { rawCheckOut(raw, ids); });
    PQfinish(raw);
    report("100 small check-outs in one dialog, 10 ms link", dialogMs, rawMs, 1.5);
    std::printf("  (baseline: raw libpq, the same content in 2 round trips; the dialog took %d, and %.1f ms "
                "without the link's delay)\n",
                turns, directMs);

    // A paste: the store's batch copy into a new, empty location each run, against cp.
    const QList<qint32> originals = idsIn(near, source);
    const QString copies = dir.filePath(QStringLiteral("bron"));
    QDir().mkpath(copies);
    QStringList sourcePaths;
    for (int i = 0; i < kPasteFiles; ++i) {
        QFile f(copies + QStringLiteral("/bestand %1.txt").arg(i));
        if (!f.open(QIODevice::WriteOnly))
            die(f.fileName());
        f.write(QByteArray(kFileBytes, char('a' + i % 26)));
        sourcePaths << f.fileName();
    }
    int run = 0;
    qint32 target = 0;
    const double pasteMs = medianMs(
        [&] {
            const QList<qint32> made = nearBatch.CopyProjects(originals, target, QString());
            if (made.size() != kPasteFiles || made.contains(-1))
                die(near.Database().LastError());
        },
        [&] { target = newLocation(near, QStringLiteral("Plak %1").arg(++run)); });
    QString cpTarget;
    const double cpMs = medianMs(
        [&] {
            if (QProcess::execute(QStringLiteral("cp"), QStringList(sourcePaths) << cpTarget) != 0)
                die(QStringLiteral("cp failed"));
        },
        [&] {
            cpTarget = dir.filePath(QStringLiteral("cp%1").arg(++run));
            QDir().mkpath(cpTarget);
        });
    report("paste of 1,000 files", pasteMs, cpMs, 1.0);
    std::printf("  (baseline: cp of the same files into an empty folder)\n");
    return 0;
}
