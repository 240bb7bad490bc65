// Times searching the server store, each figure beside the raw query of its index through
// libpq in the same run (every cell read on both sides):
//
//   name search    100,000 files (in 1,000 locations) by a part of their names that 10,000 of
//                  them hold, through SearchProjects with every field read
//   text search    10,000 documents of 200 words each by two words, the same way; the
//                  documents' text is read into the index by the client, as every client does
//
// Usage: bench_search_server [--names] [RUNS]   (median of RUNS runs, 7 by default; starts
// its own throwaway PostgreSQL cluster; --names times the name search alone, without the
// documents and their reading)
#include "BenchTiming.h"
#include "SearchVocabulary.h"
#include "DwFileStoreSession.h"
#include "BenchCluster.h"
#include "ProjectSearch.h"
#include "Recordset.h"
#include "pg/PgAdmin.h"
#include "pg/PgConnection.h"
#include "pg/PgSession.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <libpq-fe.h>

#include <cstdio>

using namespace dwfm;
using namespace dwfm::store;
using namespace dwfm::bench;

namespace {

const char *const kCatalogue = "bench_search";

// The store: 1,000 locations below "Projecten", 100,000 file rows without content named as
// in the embedded benchmark, and 10,000 text documents whose content lies in the database
// (written straight into its tables; the versions queue them for their text), unless
// `namesOnly`.
void fill(pg::PgConnection &db, qint32 top, bool namesOnly)
{
    pg::PgTransaction tx(db);
    db.exec("INSERT INTO dw.locations (parent_id, name, name_key) "
            "SELECT ?, 'Project ' || lpad(i::text, 4, '0'), 'project ' || lpad(i::text, 4, '0') "
            "FROM generate_series(0, ? - 1) i",
            {top, kLocations});
    db.exec("INSERT INTO dw.projects (location_id, file_name, name_key) "
            "SELECT l.location_id, n, lower(n) FROM generate_series(0, ? - 1) i "
            "JOIN dw.locations l ON l.parent_id = ? AND l.name = 'Project ' || lpad((i % ?)::text, 4, '0'), "
            "LATERAL (SELECT (ARRAY['offerte','tekening','rapport','notulen','begroting','contract','planning',"
            "'factuur','brief','verslag'])[i % 10 + 1] || ' ' || lpad(((i::bigint * 48271) % ?)::text, 6, '0') || ' ' "
            "|| CASE WHEN i % 7 = 0 THEN 'Brug Noord' ELSE 'kantoor' END || '.docx' AS n) m",
            {kNamedFiles, top, kLocations, kNamedFiles});
    QRandomGenerator random(20261206);
    for (int i = 0; i < (namesOnly ? 0 : kDocuments); ++i) {
        QStringList words;
        for (int w = 0; w < 200; ++w)
            words << word(random.bounded(4000u));
        const QByteArray text = words.join(QLatin1Char(' ')).toUtf8();
        // The file row names its version at once: the statement's parts do not see each
        // other's rows, so it could not be set afterwards in the same statement.
        db.exec("WITH f AS (INSERT INTO dw.projects (location_id, file_name, name_key, version) "
                "  SELECT location_id, ?, lower(?), 1 FROM dw.locations WHERE parent_id = ? AND name = ? RETURNING project_id), "
                "c AS (INSERT INTO dw.contents (sha256, size, chunk_count, uploading, uploader) "
                "  VALUES (sha256(?::bytea), ?, 1, false, session_user) RETURNING content_id), "
                "k AS (INSERT INTO dw.chunks (content_id, seq, data) SELECT content_id, 0, ?::bytea FROM c) "
                "INSERT INTO dw.versions (project_id, version, content_id, sha256, size, made_at) "
                "SELECT project_id, 1, content_id, sha256(?::bytea), ?, 0 FROM f, c",
                {QStringLiteral("tekst %1.txt").arg(i, 5, 10, QLatin1Char('0')),
                 QStringLiteral("tekst %1.txt").arg(i, 5, 10, QLatin1Char('0')), top,
                 QStringLiteral("Project %1").arg(i % kLocations, 4, 10, QLatin1Char('0')), text, text.size(), text, text,
                 text.size()});
    }
    tx.commit();
    db.exec("ANALYZE");
}

// Runs a query through raw libpq, reading every cell; answers the rows.
int rawRows(PGconn *conn, const QByteArray &sql)
{
    PGresult *r = PQexec(conn, sql.constData());
    if (PQresultStatus(r) != PGRES_TUPLES_OK)
        die(QString::fromUtf8(PQresultErrorMessage(r)));
    const int rows = PQntuples(r);
    qint64 sum = 0;
    for (int i = 0; i < rows; ++i) {
        for (int c = 0; c < PQnfields(r); ++c)
            sum += PQgetlength(r, i, c);
    }
    PQclear(r);
    return sum > 0 ? rows : -1;
}

// The session's search, every field of every row read; answers the rows.
int searched(ProjectSearch &search, const QString &text)
{
    RecordsetPtr rs;
    search.SearchProjects(rs, text);
    int rows = 0;
    for (; rs && !rs->isEof(); rs->moveNext(), ++rows) {
        for (int c = 0; c < rs->fieldCount(); ++c)
            rs->value(c);
    }
    return rows;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    runs = 7;
    const bool namesOnly = takeOption(argc, argv, "--names");
    readRuns(argc, argv);
    const QString server = startCluster();
    QTemporaryDir dir;
    pg::PgAdmin admin(server, kCatalogue);
    admin.createStore();
    UserChange user;
    user.password = QStringLiteral("bench");
    user.admin = true; // makes the top location; sees every location, as a user without roots does
    user.workingRoot = dir.filePath(QStringLiteral("werk"));
    admin.addUser(QStringLiteral("bench"), user);
    DwFileStoreSession session;
    if (!session.Connect(server, QStringLiteral("bench"), QStringLiteral("bench"), kCatalogue, true))
        die(session.Database().LastError());
    qint32 top = 0;
    if (!session.Locations().CreateLocation(QStringLiteral("Projecten"), QString(), 0, top))
        die(session.Database().LastError());
    pg::PgConnection db(pg::PgSession::conninfo(server, kCatalogue, QString(), QString()));
    fill(db, top, namesOnly);
    auto *search = dynamic_cast<ProjectSearch *>(&session.Projects());
    QElapsedTimer indexing;
    indexing.start();
    if (!search || !search->FinishIndexing(1800000))
        die(QStringLiteral("the documents were not indexed: ") + session.Database().LastError());
    db.exec("ANALYZE");
    std::printf("server store, %d files in %d locations, %d documents (read into the index by the client in %.1f s), "
                "median of %d runs\n\n",
                kNamedFiles + (namesOnly ? 0 : kDocuments), kLocations, namesOnly ? 0 : kDocuments, double(indexing.elapsed()) / 1000, runs);

    PGconn *raw = PQconnectdb(pg::PgSession::conninfo(server, kCatalogue, QString(), QString()).toUtf8().constData());
    if (PQstatus(raw) != CONNECTION_OK)
        die(QString::fromUtf8(PQerrorMessage(raw)));
    // Name search: 10,000 of the files are reports.
    const QByteArray rawName = "SELECT project_id FROM dw.projects WHERE name_folded LIKE '%rapport%'";
    const int named = searched(*search, QStringLiteral("Rapport")), rawNamed = rawRows(raw, rawName);
    if (named != kNamedFiles / 10 || rawNamed != named)
        die(QStringLiteral("the name search found %1 files, the index %2, expected %3").arg(named).arg(rawNamed).arg(kNamedFiles / 10));
    const double nameBase = medianMs([&] { rawRows(raw, rawName); });
    const double name = medianMs([&] { searched(*search, QStringLiteral("Rapport")); });
    report("name search of 100,000 files, record set read", name, nameBase, 0);
    if (namesOnly) {
        PQfinish(raw);
        return 0;
    }

    // Text search: two words of the vocabulary, each in some of the documents.
    const QString words = word(17) + QLatin1Char(' ') + word(230);
    const QByteArray rawText = QStringLiteral("SELECT content_id FROM dw.search_text WHERE body @@ "
                                              "((to_tsquery('dutch', '%1:*') || to_tsquery('simple', '%1:*')) && "
                                              "(to_tsquery('dutch', '%2:*') || to_tsquery('simple', '%2:*')))")
                                   .arg(word(17), word(230))
                                   .toUtf8();
    const int found = searched(*search, words), rawFound = rawRows(raw, rawText);
    const double textBase = medianMs([&] { rawRows(raw, rawText); });
    const double text = medianMs([&] { searched(*search, words); });
    std::printf("%-50s %8.1f ms  baseline %8.1f ms  ratio %5.2f  (%d found, the index %d)  (at most 100 ms: %s)\n",
                "text search of 10,000 documents, record set read", text, textBase, text / textBase, found, rawFound,
                text <= 100 ? "ok" : "OVER");
    PQfinish(raw);
    return 0;
}
