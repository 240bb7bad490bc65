#include "search/StoreSearch.h"

#include "RowShape.h"
#include "db/SqliteRecordset.h"
#include "fs/NameRules.h"
#include "search/SearchText.h"
#include "search/ShownFiles.h"

#include <QDateTime>

#include <algorithm>

namespace dwfm::store {

namespace {
// The rows of one full-text table whose folded `column` holds every word: the long words
// through the index of parts, the short ones by looking at each row. Binds from `next`.
QString partsMatch(const QString &table, const QString &idColumn, const QString &column, const QStringList &words,
                   int &next, QVariantList &binds)
{
    QStringList conditions;
    const QString query = SearchText::partsQuery(words, column);
    if (!query.isEmpty()) {
        conditions << table + QStringLiteral(" MATCH ?%1").arg(next++);
        binds << query;
    }
    for (const QString &word : SearchText::shortWords(words)) {
        conditions << QStringLiteral("instr(%1, ?%2) > 0").arg(column).arg(next++);
        binds << word;
    }
    return QStringLiteral("SELECT %1 FROM %2 WHERE %3").arg(idColumn, table, conditions.join(QStringLiteral(" AND ")));
}

RecordsetPtr openFoundRows(const SqliteDbPtr &db, const QString &sql, const QVariantList &binds)
{
    const QByteArray text = sql.toUtf8();
    auto statement = std::make_unique<Statement>(db, text.constData());
    for (int i = 0; i < binds.size(); ++i)
        statement->bind(i + 1, binds[i]);
    return SqliteRecordset::open(std::move(statement), RowShapes::foundFile().fields, RowShapes::foundFile().kinds);
}
} // namespace

RecordsetPtr StoreSearch::find(const QString &text)
{
    const QStringList words = SearchText::words(text);
    if (words.isEmpty())
        return nullptr;
    QVariantList binds{NameRules::key(m_context->user().id), qint64(0)};
    int next = 3;
    QStringList found;
    found << partsMatch(QStringLiteral("search_names"), QStringLiteral("rowid"), QStringLiteral("name"), words, next, binds)
          << partsMatch(QStringLiteral("search_names"), QStringLiteral("rowid"), QStringLiteral("remark"), words, next,
                        binds)
          << partsMatch(QStringLiteral("search_memos"), QStringLiteral("project_id"), QStringLiteral("memo"), words,
                        next, binds);
    // The holder: by user ID, or by a full name that holds every word.
    QStringList nameWords;
    for (const QString &word : words) {
        nameWords << QStringLiteral("instr(dw_fold(full_name), ?%1) > 0").arg(next++);
        binds << word;
    }
    found << QStringLiteral("SELECT project_id FROM projects WHERE checked_out = 1 AND user_id IN "
                            "(SELECT user_id FROM users WHERE user_key = ?%1 OR (%2))")
                 .arg(next++)
                 .arg(nameWords.join(QStringLiteral(" AND ")));
    binds << NameRules::key(text.trimmed());
    found << QStringLiteral("SELECT rowid FROM search_text WHERE search_text MATCH ?%1").arg(next++);
    binds << SearchText::wordsQuery(words);
    return openFoundRows(m_context->db(),
                         ShownFiles::belowRootsSql(QLatin1Char('?'), found.join(QStringLiteral(" UNION ")), QString(),
                                                   QStringLiteral("p.name_key, s.path")),
                         binds);
}

RecordsetPtr StoreSearch::held(const QString &userId, qint32 olderThanDays)
{
    const qint64 days = std::max(olderThanDays, 0);
    const QVariantList binds{NameRules::key(m_context->user().id), qint64(m_context->user().admin ? 1 : 0),
                             NameRules::key(userId.trimmed()), days,
                             QDateTime::currentMSecsSinceEpoch() - days * 86'400'000};
    return openFoundRows(m_context->db(), ShownFiles::heldSql(QLatin1Char('?')), binds);
}

} // namespace dwfm::store
