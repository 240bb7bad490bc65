#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace dwfm::store {

// How the store compares what a user searches for with names, remarks and document text.
// Pure rules over texts; both backends' indexes are built on them.
namespace SearchText {

// The shortest word the name index finds by its parts: it is built of runs of three
// characters. A shorter word is looked for in every name.
constexpr int IndexedPartLength = 3;
// The most characters of a document's text the index keeps.
constexpr qsizetype MaxDocumentText = 1'000'000;

// `text` in lower case without accents ("Café-Brug" gives "cafe-brug"): compatibility
// decomposition, combining marks dropped, case-folded. A plain ASCII text costs one pass.
QString fold(QStringView text);
// The folded words of what the user typed, split at white space; empty when there is none.
QStringList words(QStringView text);

// A full-text query of the name index (trigram): every word of `words` that is long enough
// as a quoted part, all of them required, limited to `column`. Empty when no word is long
// enough (the caller then compares the short words itself).
QString partsQuery(const QStringList &words, const QString &column);
// The words shorter than IndexedPartLength, which partsQuery leaves out.
QStringList shortWords(const QStringList &words);
// A full-text query of the document text index (words): every word required, each as the
// beginning of a word in the text.
QString wordsQuery(const QStringList &words);

} // namespace SearchText
} // namespace dwfm::store
