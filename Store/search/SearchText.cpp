#include "search/SearchText.h"

#include <QChar>

namespace dwfm::store::SearchText {

namespace {
bool isAscii(QStringView text)
{
    for (QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

// A word between double quotes, its own quotes doubled: a phrase of the full-text syntax.
QString quoted(const QString &word)
{
    QString out = word;
    out.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}
} // namespace

QString fold(QStringView text)
{
    if (isAscii(text))
        return text.toString().toLower();
    const QString decomposed = text.toString().normalized(QString::NormalizationForm_KD);
    QString out;
    out.reserve(decomposed.size());
    for (QChar c : decomposed) {
        const QChar::Category category = c.category();
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
            category == QChar::Mark_Enclosing)
            continue;
        out += c;
    }
    return out.toCaseFolded();
}

QStringList words(QStringView text)
{
    QStringList out;
    QString word;
    for (QChar c : fold(text)) {
        if (!c.isSpace()) {
            word += c;
        } else if (!word.isEmpty()) {
            out << word;
            word.clear();
        }
    }
    if (!word.isEmpty())
        out << word;
    return out;
}

QString partsQuery(const QStringList &words, const QString &column)
{
    QStringList parts;
    for (const QString &word : words) {
        if (word.size() >= IndexedPartLength)
            parts << column + QStringLiteral(" : ") + quoted(word);
    }
    return parts.join(QStringLiteral(" AND "));
}

QStringList shortWords(const QStringList &words)
{
    QStringList out;
    for (const QString &word : words) {
        if (word.size() < IndexedPartLength)
            out << word;
    }
    return out;
}

QString wordsQuery(const QStringList &words)
{
    QStringList parts;
    for (const QString &word : words)
        parts << quoted(word) + QLatin1Char('*');
    return parts.join(QStringLiteral(" AND "));
}

} // namespace dwfm::store::SearchText
