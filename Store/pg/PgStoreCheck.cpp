#include "pg/PgStoreCheck.h"

#include "fs/ContentHash.h"
#include "pg/PgConnection.h"

#include <QHash>
#include <QSet>
#include <QtEndian>

#include <memory>

namespace dwfm::store::pg {

namespace {
// The files and versions that use each content, for the report: "'path/name' versie n".
QString usersOf(PgConnection &db, qint64 content)
{
    const PgResult r = db.exec("SELECT string_agg(format('''%s/%s'' versie %s', dw.location_path(p.location_id), p.file_name, "
                               "v.version), ', ' ORDER BY p.project_id, v.version) FROM dw.versions v "
                               "JOIN dw.projects p USING (project_id) WHERE v.content_id = ?",
                               {content});
    return r.isNull(0, 0) ? QStringLiteral("door niets gebruikt") : r.text(0, 0);
}

} // namespace

QList<qint64> PgStoreCheck::damagedContents(bool deep, QStringList &out)
{
    QList<qint64> damaged;
    // Counting and sizing chunks reads no content: a chunk stored out of line knows its size.
    const PgResult r = m_db.exec(R"SQL(
        SELECT c.content_id FROM dw.contents c LEFT JOIN dw.chunks k USING (content_id)
         WHERE NOT c.uploading GROUP BY c.content_id
        HAVING count(k.seq) <> c.chunk_count OR coalesce(sum(octet_length(k.data)), 0) <> c.size
            OR coalesce(max(k.seq), -1) <> c.chunk_count - 1)SQL");
    for (int i = 0; i < r.rows(); ++i) {
        damaged << r.int64(i, 0);
        out << QStringLiteral("Beschadigde inhoud %1: er ontbreken delen of de grootte klopt niet (%2)")
                   .arg(r.int64(i, 0))
                   .arg(usersOf(m_db, r.int64(i, 0)));
    }
    if (!deep)
        return damaged;
    // Every content read back in order, one chunk in memory at a time.
    QHash<qint64, QString> expected;
    const PgResult hashes = m_db.exec("SELECT content_id, encode(sha256, 'hex') FROM dw.contents WHERE NOT uploading");
    for (int i = 0; i < hashes.rows(); ++i)
        expected.insert(hashes.int64(i, 0), hashes.text(i, 1));
    const QSet<qint64> known(damaged.begin(), damaged.end());
    std::unique_ptr<ContentHash> hash;
    qint64 current = -1;
    QList<qint64> wrong;
    auto finish = [&] {
        if (current >= 0 && hash->finish() != expected.value(current) && !known.contains(current))
            wrong << current;
    };
    PgTransaction tx(m_db);
    m_db.stream("SELECT c.content_id, k.data FROM dw.contents c LEFT JOIN dw.chunks k USING (content_id) "
                "WHERE NOT c.uploading ORDER BY c.content_id, k.seq",
                {}, [&](const PgResult &row) {
                    const qint64 id = qFromBigEndian<qint64>(row.raw(0, 0));
                    if (id != current) {
                        finish();
                        current = id;
                        hash = std::make_unique<ContentHash>();
                    }
                    if (!row.isNull(0, 1))
                        hash->add(row.raw(0, 1), size_t(row.length(0, 1)));
                });
    finish();
    for (qint64 content : wrong) {
        damaged << content;
        out << QStringLiteral("Beschadigde inhoud %1: de controlesom klopt niet (%2)").arg(content).arg(usersOf(m_db, content));
    }
    return damaged;
}

QStringList PgStoreCheck::run(bool repair, bool deep)
{
    QStringList out;
    // Content is stored once: a damaged one has no good copy in the store to mend it from.
    for (qint64 content : damagedContents(deep, out)) {
        if (repair) {
            out << QStringLiteral("Niet te herstellen (geen goede kopie in de store; de inhoud blijft zoals hij is): "
                                  "inhoud %1. Zet een eerdere versie terug of haal de database terug uit een reservekopie.")
                       .arg(content);
        }
    }

    const PgResult empty = m_db.exec("SELECT p.project_id, dw.location_path(p.location_id) || '/' || p.file_name "
                                     "FROM dw.projects p WHERE p.version IS NULL OR NOT EXISTS (SELECT 1 FROM dw.versions v "
                                     "WHERE v.project_id = p.project_id AND v.version = p.version) ORDER BY 1");
    for (int i = 0; i < empty.rows(); ++i) {
        out << QStringLiteral("Bestand %1 ('%2') heeft geen inhoud in de database; zet de gedeelde map over met "
                              "dwstore --server ... import-share MAP.").arg(empty.text(i, 0), empty.text(i, 1));
    }

    const PgResult unused = m_db.exec("SELECT count(*), coalesce(sum(size), 0) FROM dw.contents c WHERE uploading "
                                      "OR NOT EXISTS (SELECT 1 FROM dw.versions v WHERE v.content_id = c.content_id)");
    if (unused.int64(0, 0) > 0) {
        out << QStringLiteral("Inhoud die niemand gebruikt: %1 (%2 bytes)").arg(unused.text(0, 0), unused.text(0, 1));
        if (repair) {
            m_db.exec("DELETE FROM dw.contents c WHERE uploading OR NOT EXISTS "
                            "(SELECT 1 FROM dw.versions v WHERE v.content_id = c.content_id)");
            out << QStringLiteral("Ongebruikte inhoud verwijderd.");
        }
    }

    const PgResult holders = m_db.exec("SELECT project_id, user_id FROM dw.projects WHERE checked_out "
                                       "AND (user_id IS NULL OR lower(user_id) NOT IN (SELECT user_key FROM dw.users))");
    for (int i = 0; i < holders.rows(); ++i) {
        out << QStringLiteral("In gebruik bij een onbekende gebruiker '%1': bestand %2").arg(holders.text(i, 1), holders.text(i, 0));
        if (!repair)
            continue;
        PgTransaction tx(m_db);
        m_db.exec("SELECT dw.release(?, ?)", {holders.text(i, 0), holders.text(i, 1)});
        m_db.exec("INSERT INTO dw.history (project_id, action, action_at, user_name, memo) "
                  "VALUES (?, 'In gebruik nemen ongedaan gemaakt', dw.now_ms(), session_user, ?)",
                  {holders.text(i, 0), QStringLiteral("Door herstel: gebruiker '%1' bestaat niet.").arg(holders.text(i, 1))});
        tx.commit();
        out << QStringLiteral("Vrijgegeven: bestand %1").arg(holders.text(i, 0));
    }

    const PgResult stray = m_db.exec("SELECT count(*) FROM dw.history h WHERE NOT EXISTS "
                                     "(SELECT 1 FROM dw.projects p WHERE p.project_id = h.project_id)");
    if (stray.int64(0, 0) > 0) {
        out << QStringLiteral("Geschiedenis zonder bestand: %1 regel(s)").arg(stray.text(0, 0));
        if (repair)
            m_db.exec("DELETE FROM dw.history h WHERE NOT EXISTS (SELECT 1 FROM dw.projects p WHERE p.project_id = h.project_id)");
    }
    return out;
}

} // namespace dwfm::store::pg
