#include "ClipboardList.h"

namespace dwfm::ClipboardList {

namespace {
// A decimal 32-bit number with blanks around it, as the list writes IDs.
std::optional<qint32> idOf(QStringView text)
{
    text = text.trimmed();
    if (text.isEmpty() || text.size() > 11)
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool sign = i == 0 && c == QLatin1Char('-') && text.size() > 1;
        if (!sign && !(c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            return std::nullopt;
    }
    bool ok = false;
    const qint32 id = text.toInt(&ok);
    return ok ? std::optional<qint32>(id) : std::nullopt;
}
} // namespace

QString writeClipboardText(const QString &modeWord, const std::optional<QString> &nodeKey, const QStringList &rowKeys)
{
    QString text = modeWord + QLatin1Char('?');
    if (!nodeKey)
        return text;
    const QString location = nodeKey->left(nodeKey->size() - 1).trimmed();
    for (const QString &key : rowKeys)
        text += location + QLatin1Char(';') + key.left(key.size() - 1).trimmed() + QLatin1Char('|');
    return text;
}

std::optional<Parsed> parseClipboardText(const QString &text)
{
    const qsizetype mark = text.indexOf(QLatin1Char('?'));
    if (mark < 0 || text.indexOf(QLatin1Char('?'), mark + 1) >= 0)
        return std::nullopt;
    const QStringView word = QStringView(text).left(mark);
    Parsed parsed;
    if (word == QLatin1String(CutWord))
        parsed.move = true;
    else if (word != QLatin1String(CopyWord))
        return std::nullopt;

    std::optional<std::vector<Entry>> entries = parseFileList(QStringView(text).mid(mark + 1));
    if (!entries)
        return std::nullopt;
    parsed.entries = std::move(*entries);
    return parsed;
}

std::optional<std::vector<Entry>> parseFileList(QStringView list)
{
    std::vector<Entry> entries;
    // Every entry ends in "|": the text after the last one is empty in a whole list.
    qsizetype start = 0;
    while (start < list.size()) {
        const qsizetype end = list.indexOf(QLatin1Char('|'), start);
        if (end < 0)
            return std::nullopt;
        const QStringView entry = list.mid(start, end - start);
        const qsizetype semicolon = entry.indexOf(QLatin1Char(';'));
        if (semicolon < 0)
            return std::nullopt;
        const QStringView location = entry.left(semicolon);
        const std::optional<qint32> locationID = idOf(location);
        const std::optional<qint32> projectID = idOf(entry.mid(semicolon + 1));
        if (!locationID || !projectID)
            return std::nullopt;
        entries.push_back({location.trimmed().toString(), *projectID});
        start = end + 1;
    }
    return entries;
}

} // namespace dwfm::ClipboardList
