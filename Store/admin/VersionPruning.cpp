#include "admin/VersionPruning.h"

#include "DwError.h"
#include "fs/ContentHash.h"
#include "services/ContentVersions.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace dwfm::store {

namespace {
// The versions a rule set removes: not current, not a holder's base, and beyond the newest
// `?1` versions of their file (-1: any) and made before `?2` (-1: any moment).
const char *const PrunableSql = R"SQL(
    SELECT v.project_id, v.version, v.hash
      FROM versions v JOIN projects p ON p.project_id = v.project_id
     WHERE v.version <> p.version
       AND NOT (p.checked_out = 1 AND v.version = p.checkout_version)
       AND (?1 < 0 OR (SELECT COUNT(*) FROM versions n
                        WHERE n.project_id = v.project_id AND n.version > v.version) >= ?1)
       AND (?2 < 0 OR v.made_at < ?2))SQL";

// The hashes named by the files in the content folder.
QStringList keptHashes(const QString &contentFolder)
{
    QStringList hashes;
    for (const QString &sub : QDir(contentFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        for (const QString &name : QDir(contentFolder + QLatin1Char('/') + sub).entryList(QDir::Files)) {
            if (ContentHash::looksLikeHash(name) && name.startsWith(sub))
                hashes << name;
        }
    }
    return hashes;
}
} // namespace

PruneResult VersionPruning::prune(const PruneRules &rules)
{
    m_context->requireWritable();
    if ((rules.keep && *rules.keep < 0) || (rules.olderThanDays && *rules.olderThanDays < 0))
        throw DwError(DwError::InputError, QStringLiteral("Het aantal versies en het aantal dagen mogen niet negatief zijn."));
    const qint64 before = rules.olderThanDays
                              ? QDateTime::currentMSecsSinceEpoch() - qint64(*rules.olderThanDays) * 24 * 3600 * 1000
                              : -1;
    const SqliteDbPtr &db = m_context->db();
    ContentVersions versions(m_context);
    PruneResult result;
    m_context->commitChanges([&] {
        result = PruneResult{};
        QList<std::pair<qint64, qint64>> gone;
        QSet<QString> hashes;
        QSet<qint64> files;
        {
            Statement q(db, PrunableSql);
            q.bind(1, qint64(rules.keep.value_or(-1))).bind(2, before);
            while (q.step()) {
                gone.append({q.int64(0), q.int64(1)});
                files.insert(q.int64(0));
                if (!q.isNull(2))
                    hashes.insert(q.text(2));
            }
        }
        // A content step still under way must have kept its content before it is judged.
        for (qint64 file : files)
            PendingWork::settle(db, m_context->folder(), file, true);
        for (const auto &[file, version] : gone) {
            Statement del(db, "DELETE FROM versions WHERE project_id = ? AND version = ?");
            del.bind(1, file).bind(2, version).exec();
        }
        // Also what an earlier run or a damaged store left that nobody uses.
        for (const QString &hash : keptHashes(m_context->contentFolder()))
            hashes.insert(hash);
        const QList<PendingWork::Step> steps = versions.unusedContents(QStringList(hashes.begin(), hashes.end()));
        result.versions = int(gone.size());
        result.contents = int(steps.size());
        for (const PendingWork::Step &step : steps)
            result.bytes += std::max<qint64>(0, FileOps::stampOf(m_context->inStore(step.from)).size);
        return steps;
    });
    return result;
}

ContentTotals VersionPruning::totals()
{
    Statement q(m_context->db(), "SELECT COUNT(*), COALESCE(SUM(size), 0) FROM "
                                 "(SELECT hash, MAX(size) AS size FROM versions WHERE hash IS NOT NULL GROUP BY hash)");
    q.step();
    return ContentTotals{q.int64(0), q.int64(1)};
}

} // namespace dwfm::store
