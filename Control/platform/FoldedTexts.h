#pragma once

#include <QStringView>

#include <vector>

namespace dwfm {

// Texts compared without regard to case, the way every sort of the control orders names:
// each UTF-16 unit is case-folded on its own and the folded units are compared in order.
// Folding unit by unit means a comparison never allocates and always agrees with a text
// folded beforehand.
int compareFolded(QStringView a, QStringView b);

// Many texts folded once into one shared buffer, for sorting them: the comparisons then
// read plain runs of units. Each text is known by the number `add` gave it.
class FoldedTexts {
public:
    // Makes room for `count` texts of `units` UTF-16 units together.
    void reserve(std::size_t count, std::size_t units);
    // Folds `text` into the buffer; answers its number (0, 1, 2, ... in the order added).
    int add(QStringView text);
    int size() const { return int(m_spans.size()); }
    // The numbers of the texts in sorted order; equal texts keep the order they were
    // added in, whichever the direction.
    std::vector<int> sortedOrder(Qt::SortOrder order = Qt::AscendingOrder) const;

private:
    struct Span {
        quint32 offset;
        quint32 length;
    };
    QStringView folded(const Span &span) const
    {
        return QStringView(m_units.data() + span.offset, qsizetype(span.length));
    }

    std::vector<char16_t> m_units;
    std::vector<Span> m_spans;
};

} // namespace dwfm
