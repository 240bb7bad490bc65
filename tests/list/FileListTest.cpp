// The file list: row rules (tag, colour, columns), the fill from the store, the filter,
// the header sort and the selection kept across refills.
#include "support/ControlFixture.h"

#include "list/FileList.h"
#include "list/CheckoutDateText.h"
#include "list/FileListModel.h"
#include "list/FileRowReader.h"
#include "core/FileManUIInternals.h"

#include <QHeaderView>
#include <QLabel>
#include <QPalette>
#include <QTest>
#include <QTreeView>

#include <functional>

using namespace dwfm;
using namespace dwfm::test;

namespace {

const QColor kShadow(128, 128, 128);

TEST(FileRowRules, TagBit2FollowsTheUserEvenWithoutACheckOut)
{
    EXPECT_EQ(FileRowTagFor(QStringLiteral("jan"), QStringLiteral("JAN"), false, false, false), TagCurrentUser);
    EXPECT_EQ(FileRowTagFor(QStringLiteral("JAN"), QStringLiteral("PIET"), true, true, true),
              TagCheckedOut | TagLocked | TagDefaultFile);
    EXPECT_EQ(FileRowTagFor(QString(), QStringLiteral("JAN"), false, false, false), 0);
    // The tag compares without trimming; the colour trims the current user's ID.
    EXPECT_EQ(FileRowTagFor(QStringLiteral("JAN"), QStringLiteral("JAN "), true, false, false), TagCheckedOut);
    EXPECT_EQ(FileRowColor(QStringLiteral("JAN"), QStringLiteral("jan "), true, false, kShadow), QColor(0, 0, 255));
}

TEST(FileRowRules, ColoursShowWhoHasTheFileExceptTheUsersOwnInUserMode)
{
    EXPECT_FALSE(FileRowColor(QStringLiteral("JAN"), QStringLiteral("JAN"), false, false, kShadow).isValid());
    EXPECT_EQ(FileRowColor(QStringLiteral("PIET"), QStringLiteral("JAN"), true, false, kShadow), kShadow);
    EXPECT_EQ(FileRowColor(QStringLiteral("PIET"), QStringLiteral("JAN"), true, true, kShadow), kShadow);
    EXPECT_EQ(FileRowColor(QStringLiteral("jan"), QStringLiteral("JAN"), true, false, kShadow), QColor(0, 0, 255));
    EXPECT_FALSE(FileRowColor(QStringLiteral("jan"), QStringLiteral("JAN"), true, true, kShadow).isValid());
}

TEST(FileRowRules, CheckOutMomentIsShownDayFirstWithTwoDigitYear)
{
    EXPECT_EQ(FormatCheckoutDate(QDateTime(QDate(2024, 3, 7), QTime(15, 4, 59))), QStringLiteral("07-03-24 15:04"));
    EXPECT_EQ(FormatCheckoutDate(QStringLiteral("2023-12-31T23:59:00")), QStringLiteral("31-12-23 23:59"));
    EXPECT_EQ(FormatCheckoutDate(QVariant()), QString());
}

TEST(FileRowRules, ACheckOutsAgeCountsCalendarDays)
{
    const QDate today(2026, 12, 6);
    const std::pair<QDate, const char *> cases[] = {
        {today, "in gebruik sinds vandaag"},           {QDate(2026, 12, 5), "in gebruik sinds 1 dag"},
        {QDate(2026, 11, 24), "in gebruik sinds 12 dagen"}, {QDate(2026, 12, 7), "in gebruik sinds vandaag"},
        {QDate(), ""},
    };
    for (const auto &[since, text] : cases)
        EXPECT_EQ(CheckoutAgeText(since, today), QString::fromUtf8(text)) << since.toString().toStdString();
}

// The list's own date texts against the system's local time, in a zone with clock changes,
// for moments in an order that makes the reader learn the offset again and again.
TEST(FileRowRules, CheckOutMomentsAcrossClockChangesReadAsTheSystemsLocalTime)
{
    const QByteArray oldZone = qgetenv("TZ");
    qputenv("TZ", "Europe/Amsterdam");
    const qint64 summer = 1711846800000; // 31-03-24 01:00 UTC, the clock goes forward
    const qint64 winter = 1729990800000; // 27-10-24 01:00 UTC, the clock goes back
    const qint64 minute = 60000;
    CheckoutDateText text;
    for (const qint64 msecs : {summer - 1, summer, summer + minute, winter - 1, winter, winter + 59 * minute,
                               summer - 30 * 24 * 60 * minute, qint64(0), qint64(-86400000) * 3653, winter + minute,
                               qint64(1709798700000)}) {
        EXPECT_EQ(text(msecs), QDateTime::fromMSecsSinceEpoch(msecs).toLocalTime().toString(QStringLiteral("dd-MM-yy HH:mm")))
            << msecs;
    }
    if (oldZone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", oldZone);
}

TEST(FileRowRules, AFreeFileShowsOnlyItsNameAndNullFolderPartsGiveEmptyBrackets)
{
    auto rs = MemoryRecordset::create(fileRowFields());
    rs->addRow({1, QStringLiteral("vrij.txt"), false, QStringLiteral("TEST"), QDateTime::currentDateTime(),
                QStringLiteral("PC"), QStringLiteral("/w"), QStringLiteral("oud"), false, true});
    rs->addRow({2, QStringLiteral("bezet.txt"), true, QStringLiteral("PIET"), QVariant(), QVariant(), QVariant(),
                QVariant(), true, false});
    const FileRowReader reader(*rs, {QStringLiteral("TEST"), false, kShadow});
    const FileListRow free = reader.read(*rs);
    EXPECT_EQ(free.key, QStringLiteral("1P"));
    EXPECT_EQ(free.subItems, (std::array<QString, 4>{}));
    EXPECT_EQ(free.tag, TagCurrentUser | TagDefaultFile);
    EXPECT_FALSE(free.foreColor.isValid());
    rs->moveNext();
    const FileListRow taken = reader.read(*rs);
    EXPECT_EQ(taken.subItems, (std::array<QString, 4>{QStringLiteral("PIET"), QString(), QStringLiteral("[]"), QString()}));
    EXPECT_EQ(taken.foreColor, kShadow);
    EXPECT_EQ(taken.tag, TagCheckedOut | TagLocked);
}

class FileListTest : public ControlFixture {
protected:
    void SetUp() override
    {
        ControlFixture::SetUp();
        addLocation(10, QStringLiteral("Documenten"), {{11, QStringLiteral("Leeg")}});
        setFiles(10, {fileRow(1, QStringLiteral("beta.txt")), fileRow(2, QStringLiteral("Alpha.txt"), QStringLiteral("TEST"), QStringLiteral("bezig")),
                      fileRow(3, QStringLiteral("gamma.txt"), QStringLiteral("PIET"))});
    }
    FileListModel *model() const { return listModelOf(*control); }
    QStringList column(int col) const
    {
        QStringList out;
        for (const FileListRow &row : model()->rows())
            out << FileListModel::cellText(row, col);
        return out;
    }
    void selectRow(const QString &key)
    {
        control->lvListView->setCurrentIndex(model()->index(model()->findKey(key), 0));
    }
};

TEST_F(FileListTest, AFolderListsItsFilesWithColumnsColoursAndTags)
{
    ASSERT_TRUE(control->ControlInSpecificLocationMode(10, QStringLiteral("Docs"), true));
    EXPECT_EQ(listRows(), (QStringList{QStringLiteral("1P|beta.txt|0"), QStringLiteral("2P|Alpha.txt|6"),
                                       QStringLiteral("3P|gamma.txt|4")}));
    const FileListRow &mine = model()->row(1);
    EXPECT_EQ(mine.subItems, (std::array<QString, 4>{QStringLiteral("TEST"), QStringLiteral("07-03-24 09:05"),
                                                     QStringLiteral("[PC1]/home/w"), QStringLiteral("bezig")}));
    EXPECT_EQ(model()->data(model()->index(1, 3), Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 255));
    EXPECT_EQ(model()->data(model()->index(2, 4), Qt::ForegroundRole).value<QColor>(),
              control->lvListView->palette().color(QPalette::Dark));
    EXPECT_EQ(control->lblTitle[1]->text(), QStringLiteral("Docs"));
    EXPECT_EQ(control->GetCurrentProjectID(), -1);
    EXPECT_EQ(control->GetCurrentProjectDescription(), QString());
}

TEST_F(FileListTest, TheAcceptableFilesFilterListsOnlyItsMembersAndWhenEmptyNothing)
{
    control->SetAcceptableProjects(QStringLiteral("3|1"));
    ASSERT_TRUE(control->ControlInSpecificLocationMode(10, QString(), true));
    EXPECT_EQ(column(0), (QStringList{QStringLiteral("beta.txt"), QStringLiteral("gamma.txt")}));

    stateOf(*control).AcceptableProjects.emplace();
    control->RefreshListView();
    EXPECT_EQ(model()->rowCount(), 0);

    control->SetAcceptableProjects(QStringLiteral("  "));
    control->RefreshListView();
    EXPECT_EQ(model()->rowCount(), 3);
}

TEST_F(FileListTest, KeysThatNameNoFolderListNothingButTheTitleFollowsTheNode)
{
    ASSERT_TRUE(control->ControlInSpecificLocationMode(10, QStringLiteral("Docs"), true));
    FileList *list = fileListOf(*control);
    list->FillProjectList(QStringLiteral("C"));
    EXPECT_EQ(model()->rowCount(), 0);
    list->FillProjectList(QStringLiteral("10P"));
    EXPECT_EQ(model()->rowCount(), 0);
    EXPECT_EQ(control->lblTitle[1]->text(), QStringLiteral("Docs"));
    EXPECT_EQ(session->count(QStringLiteral("GetProjectsInLocation")), 1);
    // A folder without files answers no record set: the list stays empty.
    clickNode(QStringLiteral("11C"));
    EXPECT_EQ(model()->rowCount(), 0);
    EXPECT_EQ(control->lblTitle[1]->text(), QStringLiteral("Docs\\Leeg"));
}

TEST_F(FileListTest, HeaderClicksAlternateTheDirectionKeepTheSelectedRowAndTheSortSurvivesARefill)
{
    ASSERT_TRUE(control->ControlInSpecificLocationMode(10, QString(), true));
    selectRow(QStringLiteral("3P"));
    QHeaderView *header = control->lvListView->header();
    emit header->sectionClicked(0);
    EXPECT_EQ(column(0), (QStringList{QStringLiteral("gamma.txt"), QStringLiteral("beta.txt"), QStringLiteral("Alpha.txt")}));
    EXPECT_EQ(model()->headerImage(0), FileListModel::HeaderImageDescending);
    EXPECT_EQ(control->GetCurrentProjectID(), 3);
    EXPECT_EQ(control->lvListView->currentIndex().row(), 0);
    emit header->sectionClicked(0);
    EXPECT_EQ(column(0), (QStringList{QStringLiteral("Alpha.txt"), QStringLiteral("beta.txt"), QStringLiteral("gamma.txt")}));
    EXPECT_EQ(model()->headerImage(0), FileListModel::HeaderImageAscending);

    // Another column: the order goes on alternating and only that header has a picture.
    emit header->sectionClicked(1);
    EXPECT_EQ(model()->headerImage(0), FileListModel::NoHeaderImage);
    EXPECT_EQ(model()->headerImage(1), FileListModel::HeaderImageDescending);
    EXPECT_EQ(column(1), (QStringList{QStringLiteral("TEST"), QStringLiteral("PIET"), QString()}));
    EXPECT_FALSE(model()->headerData(1, Qt::Horizontal, Qt::DecorationRole).isNull());

    control->RefreshListView();
    EXPECT_EQ(column(1), (QStringList{QStringLiteral("TEST"), QStringLiteral("PIET"), QString()}));
}

TEST_F(FileListTest, ARefreshSelectsTheSameFileAgainWhenItIsStillThere)
{
    ASSERT_TRUE(control->ControlInSpecificLocationMode(10, QString(), true));
    selectRow(QStringLiteral("2P"));
    files[10].prepend(fileRow(7, QStringLiteral("nieuw.txt")));
    control->RefreshListView();
    EXPECT_EQ(model()->rowCount(), 4);
    EXPECT_EQ(control->GetCurrentProjectID(), 2);
    EXPECT_EQ(control->lvListView->selectionModel()->selectedRows().size(), 1);

    files[10].removeAt(2); // 2P
    control->RefreshListView();
    EXPECT_EQ(control->GetCurrentProjectID(), -1);
}

TEST_F(FileListTest, AFailingRowEndsTheFillButTheRowsReadSoFarStay)
{
    files[10].insert(2, QVariantList{QStringLiteral("geen getal"), QStringLiteral("kapot.txt")});
    expectError(QStringLiteral("DwProjectFileManUIFillProjectList"));
    ASSERT_TRUE(control->ControlInSpecificLocationMode(10, QString(), true));
    EXPECT_EQ(column(0), (QStringList{QStringLiteral("beta.txt"), QStringLiteral("Alpha.txt")}));
}


// A list read a row per turn of the event loop, as a large one is read: what happens to
// the things a user (or the store) does while it loads.
TEST_F(FileListTest, WhatHappensWhileAListLoadsIsSettledWhenItsRowsAreIn)
{
    FileList *list = fileListOf(*control);
    list->setLoadPace({.rowsPerLook = 1, .sliceMs = 0});
    const QList<QVariantList> original = files[10];
    QHeaderView *header = control->lvListView->header();
    struct Case {
        const char *what;
        std::function<void()> before, during;
        QStringList names;
        qint32 selected;
        const char *title;
        int queries; // of location 10 after the first
    };
    const Case cases[] = {
        {"nothing", {}, {}, {"beta.txt", "Alpha.txt", "gamma.txt"}, -1, "Docs", 0},
        {"a row to select", {}, [&] { list->SelectListItem(QStringLiteral("3P")); },
         {"beta.txt", "Alpha.txt", "gamma.txt"}, 3, "Docs", 0},
        {"a refresh starts over and keeps the row to select",
         {},
         [&] {
             list->SelectListItem(QStringLiteral("2P"));
             control->RefreshListView();
         },
         {"beta.txt", "Alpha.txt", "gamma.txt"}, 2, "Docs", 1},
        {"another folder abandons the load", {}, [&] { clickNode(QStringLiteral("11C")); }, {}, -1, "Docs\\Leeg", 0},
        {"a failing row keeps the rows before it",
         [&] {
             files[10].insert(2, QVariantList{QStringLiteral("geen getal"), QStringLiteral("kapot.txt")});
             expectError(QStringLiteral("DwProjectFileManUIFillProjectList"));
         },
         {}, {"beta.txt", "Alpha.txt"}, -1, "Docs", 0},
        // Last: the order a header click sets stays for every later fill.
        {"a header click orders the rows to come",
         {},
         [&] {
             const QPoint at(header->sectionViewportPosition(0) + header->sectionSize(0) / 2, header->height() / 2);
             QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
         },
         {"gamma.txt", "beta.txt", "Alpha.txt"}, -1, "Docs", 0},
    };
    control->show();
    ASSERT_TRUE(control->ControlInSpecificLocationMode(10, QStringLiteral("Docs"), true));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        files[10] = original;
        if (c.before)
            c.before();
        clickNode(QStringLiteral("11C"));
        clickNode(QStringLiteral("10C"));
        const int queriesBefore = callsFor(QStringLiteral("GetProjectsInLocation"), 10);
        ASSERT_TRUE(list->isLoading());
        EXPECT_EQ(model()->rowCount(), 0);
        EXPECT_EQ(control->lblTitle[1]->text(), QStringLiteral("Docs  (bezig met laden: 1)"));
        if (c.during)
            c.during();
        for (int turn = 0; turn < 100 && list->isLoading(); ++turn)
            QCoreApplication::processEvents();
        ASSERT_FALSE(list->isLoading());
        QStringList names;
        for (int row = 0; row < model()->rowCount(); ++row)
            names << model()->text(row);
        EXPECT_EQ(names, c.names);
        EXPECT_EQ(control->GetCurrentProjectID(), c.selected);
        EXPECT_EQ(control->lblTitle[1]->text(), QString::fromUtf8(c.title));
        EXPECT_EQ(callsFor(QStringLiteral("GetProjectsInLocation"), 10) - queriesBefore, c.queries);
        EXPECT_EQ(prompts->pending(), 0u);
    }
    EXPECT_EQ(model()->headerImage(0), FileListModel::HeaderImageDescending);
}

} // namespace
