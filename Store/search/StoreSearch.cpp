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
// The rows of one full-text table of which one of the folded `columns` holds every word.
// The long words are looked up once in the index of parts, over all the columns at once (a
// column filter does not make the index read less); the rows it answers are then looked at
// for the short words, and, when there are several columns and words, for every word in one
// column. Binds from `next`.
QString partsMatch(const QString &table, const QString &idColumn, const QStringList &columns, const QStringList &words,
                   int &next, QVariantList &binds)
{
    QStringList conditions;
    const QString scope = columns.size() == 1 ? columns.first() : QLatin1Char('{') + columns.join(QLatin1Char(' ')) + QLatin1Char('}');
    const QString query = SearchText::partsQuery(words, scope);
    if (!query.isEmpty()) {
        conditions << table + QStringLiteral(" MATCH ?%1").arg(next++);
        binds << query;
    }
    const QStringList shortWords = SearchText::shortWords(words);
    const QStringList looked = columns.size() > 1 && (words.size() > 1 || !shortWords.isEmpty()) ? words : shortWords;
    if (!looked.isEmpty()) {
        QStringList inColumns;
        for (const QString &column : columns) {
            QStringList all;
            for (const QString &word : looked) {
                all << QStringLiteral("instr(%1, ?%2) > 0").arg(column).arg(next++);
                binds << word;
            }
            inColumns << QLatin1Char('(') + all.join(QStringLiteral(" AND ")) + QLatin1Char(')');
        }
        conditions << QLatin1Char('(') + inColumns.join(QStringLiteral(" OR ")) + QLatin1Char(')');
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
    found << partsMatch(QStringLiteral("search_names"), QStringLiteral("rowid"),
                        {QStringLiteral("name"), QStringLiteral("remark")}, words, next, binds)
          << partsMatch(QStringLiteral("search_memos"), QStringLiteral("project_id"), {QStringLiteral("memo")}, words,
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
