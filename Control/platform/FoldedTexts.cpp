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
    const std::size_t at = m_units.size();
    m_spans.push_back({quint32(at), quint32(text.size())});
    m_units.resize(at + std::size_t(text.size()));
    char16_t *out = m_units.data() + at;
    for (const QChar c : text)
        *out++ = foldUnit(c.unicode());
    return int(m_spans.size()) - 1;
}

std::vector<int> FoldedTexts::sortedOrder(Qt::SortOrder order) const
{
    // Names in one folder often begin alike ("Document 1", "Document 2", ...): the units
    // every text shares are skipped, and the next four are packed into one number whose
    // order is theirs. Most comparisons are then of two numbers; only texts that agree
    // there too are compared unit by unit.
    std::size_t shared = m_spans.empty() ? 0 : m_spans.front().length;
    for (std::size_t i = 1; i < m_spans.size() && shared > 0; ++i) {
        const char16_t *first = m_units.data() + m_spans.front().offset;
        const char16_t *other = m_units.data() + m_spans[i].offset;
        std::size_t same = 0;
        const std::size_t most = std::min<std::size_t>(shared, m_spans[i].length);
        while (same < most && first[same] == other[same])
            ++same;
        shared = same;
    }
    struct Key {
        quint64 head;
        Span span;
        int number;
    };
    std::vector<Key> keys;
    keys.reserve(m_spans.size());
    for (std::size_t i = 0; i < m_spans.size(); ++i) {
        const Span &span = m_spans[i];
        quint64 head = 0;
        for (std::size_t u = shared; u < shared + 4; ++u)
            head = (head << 16) | (u < span.length ? m_units[span.offset + u] : 0);
        keys.push_back({head, span, int(i)});
    }
    const auto rest = [this, shared](const Key &a, const Key &b) {
        return QtPrivate::compareStrings(folded(a.span).sliced(qsizetype(shared)),
                                         folded(b.span).sliced(qsizetype(shared)), Qt::CaseSensitive);
    };
    if (order == Qt::AscendingOrder) {
        std::sort(keys.begin(), keys.end(), [&](const Key &a, const Key &b) {
            if (a.head != b.head)
                return a.head < b.head;
            const int c = rest(a, b);
            return c < 0 || (c == 0 && a.number < b.number);
        });
    } else {
        std::sort(keys.begin(), keys.end(), [&](const Key &a, const Key &b) {
            if (a.head != b.head)
                return a.head > b.head;
            const int c = rest(a, b);
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
