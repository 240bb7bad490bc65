// Check-out, check-in, viewing and the double-click, as the control runs them on the
// selected rows of its file list.
#include "CheckOutFixture.h"

#include "checkout/CheckOutCommands.h"
#include "core/FileManUI.h"
#include "list/FileListModel.h"
#include "platform/DwError.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QFileInfo>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

namespace dwfm::test {
namespace {

FileListRow fileRow(qint32 id, const QString &name, qint32 tag = 0)
{
    FileListRow row;
    row.key = QString::number(id) + QLatin1Char('P');
    row.text = name;
    row.tag = tag;
    return row;
}

class Commands : public CheckOutFixture {
protected:
    void SetUp() override
    {
        CheckOutFixture::SetUp();
        listView.setModel(&model);
        model.setRows({fileRow(11, "a.doc"), fileRow(12, "b.doc"), fileRow(13, "c.doc"), fileRow(14, "d.doc")});
        CheckOutCommands::Context context;
        context.listView = &listView;
        context.listModel = &model;
        context.treeNodeSelected = [this] { return nodeSelected; };
        context.refreshListView = [this] { ++refreshes; };
        context.readOnly = &readOnly;
        context.noFileOpenOnDoubleClick = &noFileOpenOnDoubleClick;
        commands = std::make_unique<CheckOutCommands>(std::move(context));
        record(commands.get());
        session->answer(QStringLiteral("GetProjectLocalFolder"), folder);
    }

    void select(std::initializer_list<int> rows)
    {
        for (int row : rows)
            listView.selectionModel()->select(model.index(row, 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    const QString folder = QStringLiteral("/home/anna/werk");
    FileListModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
    QTreeView listView;
    bool nodeSelected = true;
    bool readOnly = false;
    bool noFileOpenOnDoubleClick = false;
    int refreshes = 0;
    std::unique_ptr<CheckOutCommands> commands;
};

TEST_F(Commands, CheckOutWithoutLocationDoesNothing)
{
    nodeSelected = false;
    select({0});
    commands->BewerkenProject(false);
    EXPECT_TRUE(session->calls().empty());
    EXPECT_EQ(refreshes, 0);
}

TEST_F(Commands, CheckOutWithoutRowsAsksNothingButRefreshes)
{
    commands->BewerkenProject(true);
    EXPECT_TRUE(session->calls().empty());
    EXPECT_TRUE(events.isEmpty());
    EXPECT_EQ(refreshes, 1);
}

TEST_F(Commands, OpenRaisesOnlyFileOpenAndPlainCheckOutOnlyFileCheckOutInDisplayOrder)
{
    session->on(QStringLiteral("CheckOutProject"), [](const QVariantList &args) { return args[0].toInt() != 12; });
    // Selected out of order; the rows go in the list's order, the unselected one not at all.
    select({2, 0, 1});
    commands->BewerkenProject(true);
    EXPECT_EQ(events, (QStringList{QStringLiteral("FileOpen(%1, 11)").arg(inFolder(folder, "a.doc")),
                                   QStringLiteral("FileOpen(%1, 13)").arg(inFolder(folder, "c.doc"))}));
    EXPECT_EQ(argsOf(QStringLiteral("CheckOutProject")), (QStringList{"11,", "12,", "13,"}));
    EXPECT_EQ(refreshes, 1);

    events.clear();
    commands->BewerkenProject(false);
    EXPECT_EQ(events, (QStringList{QStringLiteral("FileCheckOut(%1, 11)").arg(inFolder(folder, "a.doc")),
                                   QStringLiteral("FileCheckOut(%1, 13)").arg(inFolder(folder, "c.doc"))}));
    EXPECT_EQ(refreshes, 2);
}

TEST_F(Commands, EventPathsUseTheRowTextsFromWhenTheCommandStarted)
{
    session->answer(QStringLiteral("CheckOutProject"), true);
    // A host that refills the list in its handler must not change the later paths.
    QObject::connect(commands.get(), &CheckOutCommands::FileCheckOut, [this] {
        model.setRows({fileRow(11, "x.doc"), fileRow(12, "y.doc")});
    });
    select({0, 1});
    commands->BewerkenProject(false);
    EXPECT_EQ(events, (QStringList{QStringLiteral("FileCheckOut(%1, 11)").arg(inFolder(folder, "a.doc")),
                                   QStringLiteral("FileCheckOut(%1, 12)").arg(inFolder(folder, "b.doc"))}));
}

TEST_F(Commands, CheckOutErrorIsReportedAndTheListStillRefreshed)
{
    session->on(QStringLiteral("CheckOutProject"), [](const QVariantList &args) -> ScriptedSession::Reply {
        if (args[0].toInt() == 12)
            throw DwError(DwError::PermissionDenied, QStringLiteral("geen toegang"));
        return true;
    });
    QString details;
    expectErrorDialog(prompts, details);
    select({0, 1, 2});
    commands->BewerkenProject(false);
    EXPECT_TRUE(details.contains(QStringLiteral("frmCheckOutForm.AutoCheckOut")));
    EXPECT_EQ(events.size(), 1);
    EXPECT_EQ(refreshes, 1);
}

TEST_F(Commands, CheckInRefreshesOnceWithoutLocationAndTwiceWithOne)
{
    nodeSelected = false;
    select({0});
    commands->TerugzettenProject();
    EXPECT_TRUE(session->calls().empty());
    EXPECT_EQ(refreshes, 1);

    nodeSelected = true;
    listView.clearSelection();
    commands->TerugzettenProject();
    EXPECT_TRUE(session->calls().empty());
    EXPECT_EQ(refreshes, 3);
}

TEST_F(Commands, CheckInOfTwoFilesFirstRefused)
{
    session->on(QStringLiteral("CheckInProject"), [](const QVariantList &args) { return args[0].toInt() != 12; });
    select({1, 3});
    commands->TerugzettenProject();
    EXPECT_EQ(events, QStringList{QStringLiteral("FileCheckIn(14)")});
    EXPECT_EQ(argsOf(QStringLiteral("CheckInProject")), (QStringList{"12,,true", "14,,true"}));
    EXPECT_EQ(refreshes, 2);
}

TEST_F(Commands, DoubleClickChecksOutAndOpensTheStoresFileName)
{
    session->answer(QStringLiteral("CheckOutProject"), true);
    session->answer(QStringLiteral("GetProjectFileName"), QStringLiteral("B.DOC"));
    commands->lvListView_DblClick(); // no row selected
    EXPECT_TRUE(session->calls().empty());

    select({1});
    commands->lvListView_DblClick();
    EXPECT_EQ(argsOf(QStringLiteral("CheckOutProject")), QStringList{"12,"});
    EXPECT_EQ(events, QStringList{QStringLiteral("FileOpen(%1, 12)").arg(inFolder(folder, "B.DOC"))});
    EXPECT_EQ(refreshes, 1);

    session->answer(QStringLiteral("CheckOutProject"), false);
    events.clear();
    commands->lvListView_DblClick();
    EXPECT_TRUE(events.isEmpty());
    EXPECT_EQ(refreshes, 1);
}

TEST_F(Commands, DoubleClickReadOnlyOpensOnlyTheUsersOwnRow)
{
    readOnly = true;
    session->answer(QStringLiteral("CheckOutProject"), true);
    session->answer(QStringLiteral("GetProjectFileName"), QStringLiteral("a.doc"));
    model.setRows({fileRow(11, "a.doc", 4 | 8), fileRow(12, "b.doc", 2 | 4)});
    select({0});
    commands->lvListView_DblClick();
    EXPECT_TRUE(session->calls().empty());

    listView.clearSelection();
    select({1});
    commands->lvListView_DblClick();
    EXPECT_EQ(argsOf(QStringLiteral("CheckOutProject")), QStringList{"12,"});
    EXPECT_EQ(events.size(), 1);
}

TEST_F(Commands, DoubleClickWithNoFileOpenViewsWhateverTheTag)
{
    readOnly = true;
    noFileOpenOnDoubleClick = true;
    model.setRows({fileRow(11, "a.doc", 4)});
    select({0});
    session->answer(QStringLiteral("GetViewCopy"), false);
    prompts.expectMessage();
    commands->lvListView_DblClick();
    EXPECT_EQ(session->callNames(), QStringList{"GetViewCopy"});
    EXPECT_EQ(prompts.messages(), QStringList{"Bekijken bestand niet mogelijk!"});
}

TEST_F(Commands, DoubleClickErrorIsReportedWithoutEvent)
{
    session->answer(QStringLiteral("CheckOutProject"), true);
    session->on(QStringLiteral("GetProjectFileName"),
                [](const QVariantList &) -> ScriptedSession::Reply { throw DwError(DwError::FileNotFound, "weg"); });
    QString details;
    expectErrorDialog(prompts, details);
    select({0});
    commands->lvListView_DblClick();
    EXPECT_TRUE(details.contains(QStringLiteral("Procedure = DwProjectFileManUIlvListView_DblClick")));
    EXPECT_TRUE(events.isEmpty());
    EXPECT_EQ(refreshes, 0);
}

TEST_F(Commands, ViewGivesReadOnlyCopiesThatGoWhenTheControlEnds)
{
    QTemporaryDir temp;
    const QString copy = temp.filePath(QStringLiteral("view/b.doc"));
    QDir().mkpath(QFileInfo(copy).path());
    QFile file(copy);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    session->on(QStringLiteral("GetViewCopy"), [&](const QVariantList &args) {
        ScriptedSession::Reply reply(args[0].toInt() == 12);
        reply.outs << copy;
        return reply;
    });
    prompts.expectMessage();
    // The refusal of the first comes before the second is opened.
    int messagesAtOpen = -1;
    QObject::connect(commands.get(), &CheckOutCommands::FileOpen,
                     [&] { messagesAtOpen = int(prompts.messages().size()); });
    select({0, 1});
    commands->BekijkenProject();

    EXPECT_EQ(events, QStringList{QStringLiteral("FileOpen(%1, 12)").arg(copy)});
    EXPECT_EQ(messagesAtOpen, 1);
    ASSERT_EQ(prompts.shown().size(), 1u);
    EXPECT_EQ(prompts.shown()[0].icon, Prompts::Icon::None);
    EXPECT_FALSE(QFileInfo(copy).permissions() & QFile::WriteOwner);
    commands.reset();
    EXPECT_FALSE(QFile::exists(copy));
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(copy).path()));
}

TEST_F(Commands, ViewWithoutLocationAsksNothing)
{
    nodeSelected = false;
    select({0});
    commands->BekijkenProject();
    EXPECT_TRUE(session->calls().empty());
}

// The control passes the commands' events on as its own and runs the double-click.
TEST_F(Commands, ControlForwardsEventsAndDoubleClickOpens)
{
    FileManUI control;
    record(&control);
    session->answer(QStringLiteral("CheckOutProject"), true);
    session->answer(QStringLiteral("CheckInProject"), true);
    session->answer(QStringLiteral("GetProjectFileName"), QStringLiteral("a.doc"));
    control.listModel()->setRows({fileRow(11, "a.doc"), fileRow(12, "b.doc")});
    control.resize(800, 600);
    control.HideOverlay();
    control.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&control));

    QTreeView *list = control.lvListView;
    const QPoint row = list->visualRect(control.listModel()->index(0, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
    EXPECT_EQ(events, QStringList{QStringLiteral("FileOpen(%1, 11)").arg(inFolder(folder, "a.doc"))});

    // A location in the tree lets the menu commands run.
    QStandardItemModel tree;
    tree.appendRow(new QStandardItem(QStringLiteral("Offertes")));
    control.tvTreeView->setModel(&tree);
    control.tvTreeView->setCurrentIndex(tree.index(0, 0));
    events.clear();
    control.checkOutCommands().BewerkenProject(false);
    control.checkOutCommands().TerugzettenProject();
    EXPECT_EQ(events, (QStringList{QStringLiteral("FileCheckOut(%1, 11)").arg(inFolder(folder, "a.doc")),
                                   QStringLiteral("FileCheckIn(11)")}));
}

} // namespace
} // namespace dwfm::test
