#include "pg/PgSearch.h"

#include "DocumentContent.h"
#include "DocumentText.h"
#include "DwError.h"
#include "RowShape.h"
#include "pg/PgAdmin.h"
#include "pg/PgRecordset.h"
#include "pg/PgSearchSql.h"
#include "pg/PgServices.h"
#include "search/IndexingThread.h"
#include "search/SearchText.h"
#include "search/ShownFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <limits>
#include <optional>

namespace dwfm::store::pg {

namespace PgSearch {

void install(PgAdmin &admin, PgConnection &c)
{
    if (c.exec("SELECT 1 FROM pg_available_extensions WHERE name = 'pg_trgm'").rows() == 0) {
        throw DwError(DwError::DatabaseError,
                      QStringLiteral("De PostgreSQL-server mist de uitbreiding pg_trgm, die het zoeken nodig heeft: "
                                     "installeer op de server het Debian-pakket postgresql-contrib (bij PostgreSQL 15: "
                                     "postgresql-15)."));
    }
    c.script(admin.withRoles(PgSearchExtensionSql));
    const PgResult where = c.exec("SELECT n.nspname, EXISTS (SELECT 1 FROM pg_collation WHERE collname = 'und-x-icu') "
                                  "FROM pg_extension e JOIN pg_namespace n ON n.oid = e.extnamespace "
                                  "WHERE e.extname = 'pg_trgm'");
    // lower() of the database's own locale may know only ASCII letters (the C locale); ICU's
    // root locale knows them all.
    c.script(admin.withRoles(PgSearchSql)
                 .replace(QStringLiteral("{trgm}"), PgConnection::identifier(where.text(0, 0)))
                 .replace(QStringLiteral("{collate}"),
                          where.boolean(0, 1) ? QStringLiteral("COLLATE \"und-x-icu\"") : QString())
                 .replace(QStringLiteral("{shown}"), ShownFiles::belowRootsSql(QLatin1Char('$'), QStringLiteral("%s"),
                                                                               QString(), QStringLiteral("p.name_key, s.path"))));
}

bool installed(PgConnection &c)
{
    return c.exec("SELECT to_regprocedure('dw.search_projects(text)') IS NOT NULL").boolean(0, 0);
}

RecordsetPtr find(PgConnection &c, const QString &text)
{
    if (SearchText::words(text).isEmpty())
        return nullptr;
    try {
        // The rows in the function's own order: a scan of a function's result keeps it.
        return PgRecordset::open(c.exec("SELECT * FROM search_projects(?)", {text}),
                                 RowShapes::foundFile().fields, RowShapes::foundFile().kinds);
    } catch (const DwError &) {
        // Asked only now: a search costs one round trip.
        if (!installed(c)) {
            throw DwError(DwError::DatabaseError,
                          QStringLiteral("Deze store kan nog niet zoeken: een beheerder werkt hem bij met "
                                         "dwstore --server ... check."));
        }
        throw;
    }
}

bool upToDate(PgConnection &c)
{
    return c.exec("SELECT to_regprocedure('dw.search_projects(text)') IS NOT NULL "
                  "AND to_regprocedure('dw.queue_texts()') IS NOT NULL AND EXISTS "
                  "(SELECT 1 FROM pg_attribute WHERE attrelid = 'dw.projects'::regclass AND attname = 'name_folded' "
                  "AND NOT attisdropped)")
        .boolean(0, 0);
}

namespace {
// How much of a content its text needs: nothing more of one that has none (known from its
// first chunk), the first characters of a text file, all of a PDF or an office document.
qint64 bytesNeeded(const QString &fileName, QByteArrayView firstChunk)
{
    switch (DocumentContent::kindOf(fileName, firstChunk.first(std::min(firstChunk.size(), DocumentContent::HeadBytes)))) {
    case DocumentContent::Kind::None:
        return 0;
    case DocumentContent::Kind::Text:
        return qint64(SearchText::MaxDocumentText) * 4;
    default:
        return std::numeric_limits<qint64>::max();
    }
}

struct Claim {
    qint64 contentId = 0;
    QString fileName;
};

void giveBack(PgConnection &c, qint64 contentId)
{
    try {
        c.exec("SELECT release_text(?)", {contentId});
    } catch (const DwError &) {
        // The claim ends with this connection.
    }
}

// Claims the next content and writes as much of it as its text needs into `file`, in one
// short transaction (the claim outlives it); nothing when nothing waits for this connection.
std::optional<Claim> claimInto(PgConnection &c, QFile &file)
{
    std::optional<Claim> claim;
    try {
        PgTransaction tx(c);
        const PgResult r = c.exec("SELECT content_id, file_name, content FROM claim_text()");
        if (r.rows() == 0 || r.isNull(0, 0)) {
            tx.commit();
            return std::nullopt;
        }
        claim = Claim{r.int64(0, 0), r.text(0, 1)};
        const QByteArray fetch = "FETCH 1 FROM " + PgConnection::identifier(r.text(0, 2)).toUtf8();
        qint64 written = 0, needed = -1;
        for (bool more = true; more && (needed < 0 || written < needed);) {
            more = false;
            c.stream(fetch.constData(), {}, [&](const PgResult &row) {
                more = true;
                const qint64 n = row.length(0, 0);
                if (file.write(row.raw(0, 0), n) != n)
                    throw DwError(DwError::DiskFull, QStringLiteral("De tekst van een document kan niet worden gelezen: "
                                                                    "de tijdelijke map is vol."));
                if (needed < 0)
                    needed = bytesNeeded(claim->fileName, QByteArrayView(row.raw(0, 0), n));
                written += n;
            });
        }
        file.close();
        tx.commit();
    } catch (...) {
        file.close();
        if (claim)
            giveBack(c, claim->contentId);
        throw;
    }
    return claim;
}
} // namespace

Outcome indexNext(PgConnection &c, const std::function<bool()> &goOn)
{
    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/dwindex-XXXXXX"));
    if (!folder.isValid())
        throw DwError(DwError::PathNotFound, QStringLiteral("Er kan geen tijdelijke map worden gemaakt voor het lezen van "
                                                            "documenten."));
    const QString path = folder.filePath(QStringLiteral("document"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw DwError(DwError::PermissionDenied, QStringLiteral("De tijdelijke map '%1' is niet beschrijfbaar.").arg(folder.path()));
    const std::optional<Claim> claim = claimInto(c, file);
    if (!claim)
        return Outcome::Waiting;
    try {
        const std::optional<QString> text = DocumentText::extract(path, claim->fileName, SearchText::MaxDocumentText, goOn);
        if (goOn && !goOn()) {
            giveBack(c, claim->contentId);
            return Outcome::Stopped;
        }
        c.exec("SELECT store_text(?, ?)", {claim->contentId, text.value_or(QString())});
    } catch (...) {
        giveBack(c, claim->contentId);
        throw;
    }
    return Outcome::Indexed;
}

qint64 waiting(PgConnection &c)
{
    return c.exec("SELECT text_waiting()").int64(0, 0);
}

} // namespace PgSearch

bool PgIndexedProjects::SearchProjects(RecordsetPtr &rsFound, const QString &strText)
{
    rsFound.reset();
    return run([&] { return bool(rsFound = PgSearch::find(m_context->db(), strText)); }, false);
}

bool PgIndexedProjects::FinishIndexing(qint32 lTimeoutMs)
{
    return run(
        [&] {
            PgConnection &db = m_context->db();
            // A store without search has no text to wait for.
            return !PgSearch::installed(db)
                || finishIndexing(
                       lTimeoutMs,
                       [&](const std::function<bool()> &goOn) {
                           return PgSearch::indexNext(db, goOn) == PgSearch::Outcome::Indexed;
                       },
                       [&] { return PgSearch::waiting(db); });
        },
        false);
}

} // namespace dwfm::store::pg
