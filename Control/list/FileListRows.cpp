#include "FileListRows.h"

#include "FileListModel.h"
#include "FileRowReader.h"

#include "core/Keys.h"
#include "platform/FoldedTexts.h"

#include <QDateTime>

#include <algorithm>
#include <charconv>

namespace dwfm {

namespace {
// "1234P": the file's ID and P, made in one allocation.
QString keyOfId(qint32 id)
{
    char text[16];
    char *end = std::to_chars(text, text + sizeof text - 1, id).ptr;
    *end++ = 'P';
    return QString::fromLatin1(text, end - text);
}

// The ID of a key that is exactly keyOfId(id); false for any other key.
bool idOfOwnKey(const QString &key, qint32 &id)
{
    if (key.size() < 2 || key.size() > 12 || key.back() != QLatin1Char('P'))
        return false;
    char text[12];
    for (qsizetype i = 0; i + 1 < key.size(); ++i) {
        const char16_t unit = key[i].unicode();
        if (unit != u'-' && (unit < u'0' || unit > u'9'))
            return false;
        text[i] = char(unit);
    }
    const char *end = text + key.size() - 1;
    const auto [stop, error] = std::from_chars(text, end, id);
    return error == std::errc() && stop == end && keyOfId(id) == key;
}
} // namespace

TextBlocks::Place TextBlocks::add(QStringView text)
{
    const std::size_t length = std::size_t(text.size());
    if (m_blocks.empty() || m_blocks.back().capacity() - m_blocks.back().size() < length) {
        m_blocks.emplace_back();
        m_blocks.back().reserve(std::max(BlockUnits, length));
    }
    std::vector<char16_t> &block = m_blocks.back();
    const Place place{quint32(m_blocks.size() - 1), quint32(block.size()), quint32(length)};
    block.insert(block.end(), text.utf16(), text.utf16() + length);
    return place;
}

void TextBlocks::squeeze()
{
    if (!m_blocks.empty())
        m_blocks.back().shrink_to_fit();
}

void FileListRows::clear()
{
    *this = FileListRows();
}

void FileListRows::append(qint32 id, QStringView name, qint32 tag, const QColor &colour)
{
    m_rows.push_back(Row{m_names.add(name), id, tag, colourNumber(colour), NoDetail});
}

FileListRows::Detail &FileListRows::detailOfLast()
{
    Row &last = m_rows.back();
    if (last.detail == NoDetail) {
        last.detail = quint32(m_details.size());
        m_details.emplace_back();
    }
    return m_details[last.detail];
}

void FileListRows::setCheckOut(const FileCheckOut &checkOut)
{
    Detail &detail = detailOfLast();
    detail.user = intern(checkOut.user);
    detail.moment = checkOut.moment;
    detail.dateText = intern(checkOut.dateText);
    detail.place = intern(checkOut.place);
    detail.remark = intern(checkOut.remark);
    detail.sinceDay = checkOut.since.isValid() ? checkOut.since.toJulianDay() : 0;
}

void FileListRows::setLocationPath(const QString &path)
{
    if (!path.isEmpty())
        detailOfLast().locationPath = intern(path);
}

void FileListRows::append(const FileListRow &row)
{
    qint32 id = 0;
    const bool ownKey = idOfOwnKey(row.key, id);
    if (!ownKey)
        id = IdOfKey(row.key);
    append(id, row.text, row.tag, row.foreColor);
    if (!ownKey)
        detailOfLast().key = intern(row.key);
    if (std::any_of(row.subItems.begin(), row.subItems.end(), [](const QString &s) { return !s.isEmpty(); })) {
        FileCheckOut checkOut;
        checkOut.user = row.subItems[0];
        checkOut.dateText = row.subItems[1];
        checkOut.place = row.subItems[2];
        checkOut.remark = row.subItems[3];
        setCheckOut(checkOut);
    }
    setLocationPath(row.locationPath);
}

void FileListRows::finish()
{
    m_textIndex = {};
    if (m_rows.capacity() > m_rows.size() + m_rows.size() / 4)
        m_rows.shrink_to_fit();
    m_details.shrink_to_fit();
    m_names.squeeze();
}

quint32 FileListRows::intern(const QString &text)
{
    if (text.isEmpty())
        return 0;
    const auto found = m_textIndex.constFind(text);
    if (found != m_textIndex.cend())
        return *found;
    const quint32 number = quint32(m_texts.size());
    m_texts.push_back(text);
    m_textIndex.insert(text, number);
    return number;
}

quint32 FileListRows::colourNumber(const QColor &colour)
{
    // A list shows two or three colours at most; a search beats a hash here.
    const auto found = std::find(m_colours.begin(), m_colours.end(), colour);
    if (found != m_colours.end())
        return quint32(found - m_colours.begin());
    m_colours.push_back(colour);
    return quint32(m_colours.size() - 1);
}

QString FileListRows::key(int index) const
{
    const Row &r = m_rows[std::size_t(index)];
    if (r.detail != NoDetail && m_details[r.detail].key != OwnKey)
        return m_texts[m_details[r.detail].key];
    return keyOfId(r.id);
}

QString FileListRows::dateOf(const Detail &detail) const
{
    return detail.moment == FileCheckOut::NoMoment ? m_texts[detail.dateText] : m_dates(detail.moment);
}

QString FileListRows::cellText(int index, int column) const
{
    const Row &r = m_rows[std::size_t(index)];
    if (column <= FileListModel::ColFileName)
        return m_names.at(r.name).toString();
    if (r.detail == NoDetail)
        return QString();
    const Detail &d = m_details[r.detail];
    switch (column) {
    case FileListModel::ColUser: return m_texts[d.user];
    case FileListModel::ColDateTime: return dateOf(d);
    case FileListModel::ColLocation: return m_texts[d.place];
    case FileListModel::ColRemark: return m_texts[d.remark];
    default: return m_texts[d.locationPath];
    }
}

QString FileListRows::ageText(int index) const
{
    const Row &r = m_rows[std::size_t(index)];
    if (r.detail == NoDetail)
        return QString();
    const Detail &d = m_details[r.detail];
    const QDate since = d.moment != FileCheckOut::NoMoment ? QDateTime::fromMSecsSinceEpoch(d.moment).date()
                        : d.sinceDay != 0                  ? QDate::fromJulianDay(d.sinceDay)
                                                           : QDate();
    return CheckoutAgeText(since, QDate::currentDate());
}

FileListRow FileListRows::row(int index) const
{
    const Row &r = m_rows[std::size_t(index)];
    FileListRow whole;
    whole.key = key(index);
    whole.text = m_names.at(r.name).toString();
    if (r.detail != NoDetail) {
        const Detail &d = m_details[r.detail];
        whole.subItems = {m_texts[d.user], dateOf(d), m_texts[d.place], m_texts[d.remark]};
        whole.locationPath = m_texts[d.locationPath];
    }
    whole.foreColor = m_colours[r.colour];
    whole.tag = r.tag;
    return whole;
}

int FileListRows::find(const QString &key) const
{
    qint32 id = 0;
    const bool ownKey = idOfOwnKey(key, id);
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const Row &r = m_rows[i];
        const quint32 keyText = r.detail == NoDetail ? OwnKey : m_details[r.detail].key;
        if (keyText == OwnKey ? ownKey && r.id == id : m_texts[keyText] == key)
            return int(i);
    }
    return -1;
}

quint32 FileListRows::cellTextNumber(const Row &row, int column, QHash<QString, quint32> &index,
                                     std::vector<QString> &more) const
{
    if (row.detail == NoDetail)
        return 0;
    const Detail &d = m_details[row.detail];
    switch (column) {
    case FileListModel::ColUser: return d.user;
    case FileListModel::ColLocation: return d.place;
    case FileListModel::ColRemark: return d.remark;
    case FileListModel::ColFolder: return d.locationPath;
    default: break;
    }
    if (d.moment == FileCheckOut::NoMoment)
        return d.dateText;
    const QString text = m_dates(d.moment);
    const auto found = index.constFind(text);
    if (found != index.cend())
        return *found;
    const quint32 number = quint32(m_texts.size() + more.size());
    more.push_back(text);
    index.insert(text, number);
    return number;
}

std::vector<int> FileListRows::sortedOrder(int column, Qt::SortOrder order) const
{
    if (column <= FileListModel::ColFileName) {
        // Names are mostly all different: each is folded once into one buffer, so that
        // the comparisons read plain runs of characters without allocating.
        std::size_t units = 0;
        for (const Row &r : m_rows)
            units += r.name.length;
        FoldedTexts folded;
        folded.reserve(m_rows.size(), units);
        for (const Row &r : m_rows)
            folded.add(m_names.at(r.name));
        return folded.sortedOrder(order);
    }
    // The other columns show a few different texts: those are ranked once (equal texts,
    // regardless of case, share a rank) and the rows are then counted into place by rank.
    std::vector<quint32> textOf(m_rows.size());
    QHash<QString, quint32> dateIndex;
    std::vector<QString> dates;
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        textOf[i] = cellTextNumber(m_rows[i], column, dateIndex, dates);
    const auto textNumbered = [&](quint32 number) -> const QString & {
        return number < m_texts.size() ? m_texts[number] : dates[number - m_texts.size()];
    };
    FoldedTexts texts;
    for (std::size_t number = 0; number < m_texts.size() + dates.size(); ++number)
        texts.add(textNumbered(quint32(number)));
    std::vector<quint32> rankOf(std::size_t(texts.size()));
    quint32 top = 0;
    const std::vector<int> byText = texts.sortedOrder();
    for (std::size_t i = 0; i < byText.size(); ++i) {
        if (i > 0 && compareFolded(textNumbered(quint32(byText[i - 1])), textNumbered(quint32(byText[i]))) != 0)
            ++top;
        rankOf[std::size_t(byText[i])] = top;
    }
    if (order == Qt::DescendingOrder) {
        for (quint32 &rank : rankOf)
            rank = top - rank;
    }
    std::vector<int> start(std::size_t(top) + 2, 0);
    for (quint32 text : textOf)
        ++start[rankOf[text] + 1];
    for (std::size_t r = 1; r < start.size(); ++r)
        start[r] += start[r - 1];
    std::vector<int> sorted(m_rows.size());
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        sorted[std::size_t(start[rankOf[textOf[i]]]++)] = int(i);
    return sorted;
}

void FileListRows::reorder(const std::vector<int> &order)
{
    // The rows move in place, one cycle of the permutation at a time with one row in hand.
    std::vector<bool> placed(m_rows.size(), false);
    for (std::size_t start = 0; start < m_rows.size(); ++start) {
        if (placed[start])
            continue;
        Row held = std::move(m_rows[start]);
        for (std::size_t to = start;;) {
            placed[to] = true;
            const std::size_t from = std::size_t(order[to]);
            if (from == start) {
                m_rows[to] = std::move(held);
                break;
            }
            m_rows[to] = std::move(m_rows[from]);
            to = from;
        }
    }
}

} // namespace dwfm
