#pragma once

#include "CheckoutDateText.h"

#include <QColor>
#include <QDate>
#include <QHash>
#include <QString>
#include <QStringView>

#include <limits>
#include <vector>

namespace dwfm {

struct FileListRow;

// What a checked-out row shows besides its name: who has it, since when, where and why.
struct FileCheckOut {
    static constexpr qint64 NoMoment = std::numeric_limits<qint64>::min();

    QString user;
    // The moment as milliseconds since the epoch (UTC), formatted when shown; or, when
    // `moment` is NoMoment, the text to show as it is (empty for none).
    qint64 moment = NoMoment;
    QString dateText;
    QString place; // "[computer]folder"
    QString remark;
    // The day of the check-out when `moment` is NoMoment, for the age the row's tooltip
    // tells; invalid when unknown.
    QDate since;
};

// Many texts one after the other in large blocks, instead of one allocation each: the
// names of a large list take little more room than their characters, and reading them
// all (to sort them) walks memory in order.
class TextBlocks {
public:
    struct Place {
        quint32 block = 0, offset = 0, length = 0;
    };
    Place add(QStringView text);
    QStringView at(const Place &place) const
    {
        return QStringView(m_blocks[place.block].data() + place.offset, qsizetype(place.length));
    }
    // Gives back the room the last block kept for texts that never came.
    void squeeze();

private:
    static constexpr std::size_t BlockUnits = std::size_t(1) << 16;
    std::vector<std::vector<char16_t>> m_blocks;
};

// The rows of the file list, kept small: a location may hold a million files. A row is its
// name, its file ID, its tag and its colour; the key ("1234P") is made from the ID when
// asked for. Only checked-out rows carry more, and the texts those show (holders, places,
// remarks) are mostly the same few, so each different text is kept once and rows refer to
// it. Check-out moments stay numbers and become "dd-mm-yy hh:nn" only when shown.
class FileListRows {
public:
    int size() const { return int(m_rows.size()); }
    bool empty() const { return m_rows.empty(); }
    void reserve(std::size_t rows) { m_rows.reserve(rows); }
    void clear();

    // Adds a row whose key is its ID followed by "P".
    void append(qint32 id, QStringView name, qint32 tag, const QColor &colour);
    // Gives the last row added the columns of a checked-out file.
    void setCheckOut(const FileCheckOut &checkOut);
    // Gives the last row added the path of its location (search results show it).
    void setLocationPath(const QString &path);
    // Adds a row as a whole; a key that is not "<id>P" is kept as it is.
    void append(const FileListRow &row);
    // Lets go of what only adding needs (the index of the texts kept so far) and of room
    // for rows that never came.
    void finish();

    // Row `index` as a whole, as the other parts of the control read it.
    FileListRow row(int index) const;
    qint32 id(int index) const { return m_rows[std::size_t(index)].id; }
    QString key(int index) const;
    QStringView name(int index) const { return m_names.at(m_rows[std::size_t(index)].name); }
    qint32 tag(int index) const { return m_rows[std::size_t(index)].tag; }
    // Invalid for the list's default colour.
    const QColor &colour(int index) const { return m_colours[m_rows[std::size_t(index)].colour]; }
    // The text row `index` shows in `column` (0 the name, 1..4 the check-out columns, 5 the
    // path of its location).
    QString cellText(int index, int column) const;
    // How long the file of row `index` has been in use, by today's date; empty for a free
    // file or an unknown moment.
    QString ageText(int index) const;
    // The row with this key; -1 when none.
    int find(const QString &key) const;

    // The row numbers in the order of `column`'s texts, compared without regard to case;
    // equal texts keep their order in either direction.
    std::vector<int> sortedOrder(int column, Qt::SortOrder order) const;
    // Puts the rows in this order: `order[i]` is the row that becomes row i.
    void reorder(const std::vector<int> &order);

private:
    static constexpr quint32 NoDetail = std::numeric_limits<quint32>::max();
    static constexpr quint32 OwnKey = std::numeric_limits<quint32>::max(); // the key is "<id>P"

    struct Row {
        TextBlocks::Place name;
        qint32 id = 0;
        qint32 tag = 0;
        quint32 colour = 0; // into m_colours; 0 is the default
        quint32 detail = NoDetail; // into m_details
    };
    // Texts as numbers into m_texts; 0 is the empty text.
    struct Detail {
        quint32 user = 0, dateText = 0, place = 0, remark = 0, locationPath = 0;
        quint32 key = OwnKey;
        qint64 moment = FileCheckOut::NoMoment;
        qint64 sinceDay = 0; // the Julian day of FileCheckOut::since; 0 when unknown
    };

    quint32 intern(const QString &text);
    quint32 colourNumber(const QColor &colour);
    Detail &detailOfLast();
    QString dateOf(const Detail &detail) const;
    // The number of the text a row shows in column 1..4 (a text of m_texts, or one of
    // `more`, counted on from the end of m_texts, for formatted moments).
    quint32 cellTextNumber(const Row &row, int column, QHash<QString, quint32> &index, std::vector<QString> &more) const;

    std::vector<Row> m_rows;
    TextBlocks m_names;
    std::vector<Detail> m_details;
    std::vector<QString> m_texts{QString()};
    QHash<QString, quint32> m_textIndex;
    std::vector<QColor> m_colours{QColor()};
    mutable CheckoutDateText m_dates; // keeps what it learnt of the local time between rows
};

} // namespace dwfm
