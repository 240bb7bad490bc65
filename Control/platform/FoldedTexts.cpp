#include "FoldedTexts.h"

#include <QChar>

#include <algorithm>

namespace dwfm {

namespace {
inline char16_t foldUnit(char16_t u)
{
    if (u < 0x80)
        return (u >= u'A' && u <= u'Z') ? char16_t(u + 32) : u;
    return char16_t(QChar::toCaseFolded(u));
}
} // namespace

int compareFolded(QStringView a, QStringView b)
{
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t x = foldUnit(a[i].unicode());
        const char16_t y = foldUnit(b[i].unicode());
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

void FoldedTexts::reserve(std::size_t count, std::size_t units)
{
    m_spans.reserve(count);
    m_units.reserve(units);
}

int FoldedTexts::add(QStringView text)
{
    m_spans.push_back({quint32(m_units.size()), quint32(text.size())});
    for (const QChar c : text)
        m_units.push_back(foldUnit(c.unicode()));
    return int(m_spans.size()) - 1;
}

std::vector<int> FoldedTexts::sortedOrder(Qt::SortOrder order) const
{
    // The sort moves small keys that point straight into the buffer, so a comparison
    // reads the two texts and nothing else.
    struct Key {
        Span span;
        int number;
    };
    std::vector<Key> keys;
    keys.reserve(m_spans.size());
    for (std::size_t i = 0; i < m_spans.size(); ++i)
        keys.push_back({m_spans[i], int(i)});
    const auto compareKeys = [this](const Key &a, const Key &b) {
        return QtPrivate::compareStrings(folded(a.span), folded(b.span), Qt::CaseSensitive);
    };
    if (order == Qt::AscendingOrder) {
        std::sort(keys.begin(), keys.end(), [&](const Key &a, const Key &b) {
            const int c = compareKeys(a, b);
            return c < 0 || (c == 0 && a.number < b.number);
        });
    } else {
        std::sort(keys.begin(), keys.end(), [&](const Key &a, const Key &b) {
            const int c = compareKeys(a, b);
            return c > 0 || (c == 0 && a.number < b.number);
        });
    }
    std::vector<int> numbers;
    numbers.reserve(keys.size());
    for (const Key &key : keys)
        numbers.push_back(key.number);
    return numbers;
}

} // namespace dwfm
