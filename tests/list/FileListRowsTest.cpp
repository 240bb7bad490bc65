// The file list's compact rows: a row put in comes out whole again, keys find their rows,
// and every column sorts as a plain stable sort of the texts it shows would.
#include "list/FileListModel.h"
#include "list/FileListRows.h"
#include "list/ListSelection.h"
#include "platform/FoldedTexts.h"
#include "support/TestHelpers.h"

#include <gtest/gtest.h>

#include <QTreeView>

#include <algorithm>

using namespace dwfm;

namespace {

const QColor kGrey(128, 128, 128);
const QColor kBlue(0, 0, 255);

TEST(FileListRows, RowsComeOutAsTheyWentInAndKeysFindThem)
{
    const std::vector<FileListRow> in{
        {QStringLiteral("12P"), QStringLiteral("plan.odt"), {}, {}, 0},
        {QStringLiteral("-5P"), QStringLiteral("min.txt"), {QStringLiteral("piet")}, kGrey, 4},
        // Keys that are not the ID and P are kept as they are.
        {QStringLiteral("007P"), QStringLiteral("nul.txt"), {}, kBlue, 6},
        {QStringLiteral("x"), QStringLiteral("x.txt"), {QString(), QString(), QString(), QStringLiteral("alleen")}, {}, 16},
        {QStringLiteral("13P"), QStringLiteral("vol.txt"),
         {QStringLiteral("JAN"), QStringLiteral("07-03-24 09:05"), QStringLiteral("[PC1]/w"), QStringLiteral("bezig")}, kGrey, 14},
    };
    FileListRows rows;
    for (const FileListRow &row : in)
        rows.append(row);
    rows.finish();
    for (int i = 0; i < int(in.size()); ++i) {
        const FileListRow out = rows.row(i);
        EXPECT_EQ(out.key, in[i].key) << i;
        EXPECT_EQ(out.text, in[i].text) << i;
        EXPECT_EQ(out.subItems, in[i].subItems) << i;
        EXPECT_EQ(out.foreColor, in[i].foreColor) << i;
        EXPECT_EQ(out.tag, in[i].tag) << i;
        EXPECT_EQ(rows.find(in[i].key), i) << i;
    }
    EXPECT_EQ(rows.id(2), 7); // the number in a key of its own
    for (const char *absent : {"7P", "12", "P", "", "12P ", "99999999999P"})
        EXPECT_EQ(rows.find(QString::fromLatin1(absent)), -1) << absent;
}

// Every column, both ways, against std::stable_sort of the texts the rows show: names and
// holders equal but for case, names with a long common beginning, free rows with empty
// cells, and check-out moments whose "dd-mm-yy hh:nn" texts sort day first, not in time.
TEST(FileListRows, EveryColumnSortsLikeAStableSortOfItsTexts)
{
    FileListRows rows;
    const auto add = [&](qint32 id, const char *name, const char *user, qint64 moment, const char *place,
                         const char *remark) {
        rows.append(id, QString::fromUtf8(name), 0, QColor());
        if (!*user)
            return;
        FileCheckOut checkOut;
        checkOut.user = QString::fromUtf8(user);
        checkOut.moment = moment;
        checkOut.place = QString::fromUtf8(place);
        checkOut.remark = QString::fromUtf8(remark);
        rows.setCheckOut(checkOut);
    };
    const qint64 day = 86400000;
    const qint64 newYear = 1735689600000; // 01-01-25 00:00 UTC
    // The names share "doc " but for case, and some agree in their next four characters too.
    add(1, "Doc b.txt", "piet", newYear + 4 * day, "[A]/x", "klaar");
    add(2, "doc B.TXT", "", 0, "", "");
    add(3, "Doc a.txt", "PIET", newYear - day / 2, "[a]/x", "Klaar");
    add(4, "DOC Ä.txt", "jan", newYear + 4 * day, "[B]/y", "");
    add(5, "Doc ", "", 0, "", "");
    add(6, "Doc b.txu", "Jan", FileCheckOut::NoMoment, "[A]/x", "klaar");
    add(7, "Doc a.TXT", "anna", newYear + 30 * day, "", "eerst");
    add(8, "Doc d", "piet", newYear - 40 * day, "[A]/X", "klaar");
    add(9, "Doc b.txt", "", 0, "", "");

    for (int column = 0; column < FileListModel::ColumnCount; ++column) {
        for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            std::vector<int> expected(std::size_t(rows.size()));
            for (int i = 0; i < rows.size(); ++i)
                expected[std::size_t(i)] = i;
            std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
                const int c = compareFolded(rows.cellText(a, column), rows.cellText(b, column));
                return order == Qt::AscendingOrder ? c < 0 : c > 0;
            });
            EXPECT_EQ(rows.sortedOrder(column, order), expected) << "column " << column << " order " << order;
        }
    }
}

// Commands act on the selected rows in list order, however the user selected them.
TEST(FileListRows, SelectedRowsComeInListOrder)
{
    FileListModel model;
    std::vector<FileListRow> list;
    for (qint32 id = 1; id <= 6; ++id)
        list.push_back(test::listRow(id, QStringLiteral("f%1").arg(id)));
    model.setRows(list);
    QTreeView view;
    view.setModel(&model);
    test::selectRows(&view, {4, 1, 5});
    const ListSelection selection{&view, &model, {}};
    EXPECT_EQ(selection.selectedRows(), (std::vector<int>{1, 4, 5}));
    EXPECT_EQ(selection.selectedRow(), 4);
}

} // namespace
