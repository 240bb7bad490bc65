// Check-out, check-in, viewing and the double-click, as the control runs them on the
// selected rows of its file list.
#include "CheckOutFixture.h"

#include "checkout/CheckOutCommands.h"
#include "DwError.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTreeView>

namespace dwfm::test {
namespace {

const QString kFolder = QStringLiteral("/home/anna/werk");

class Commands : public CheckOutFixture {
protected:
    void SetUp() override
    {
        listView.setModel(&model);
        model.setRows({listRow(11, "a.doc"), listRow(12, "b.doc"), listRow(13, "c.doc"), listRow(14, "d.doc")});
        commands = std::make_unique<CheckOutCommands>(CheckOutCommands::Context{
            nullptr, &listView, &model, [this] { return nodeSelected; }, [this] { ++refreshes; }, &readOnly,
            &noFileOpenOnDoubleClick});
        events.record(commands.get());
        session->answer(QStringLiteral("GetProjectLocalFolder"), kFolder);
        session->answer(QStringLiteral("CheckOutProject"), true);
        session->answer(QStringLiteral("CheckInProject"), true);
    }

    void select(const std::vector<int> &rows) { selectRows(&listView, rows); }
    static QString opened(const char *verb, const char *name, int id)
    {
        return QStringLiteral("%1(%2, %3)").arg(QLatin1String(verb), inFolder(kFolder, QLatin1String(name))).arg(id);
    }

    FileListModel model;
    QTreeView listView;
    bool nodeSelected = true, readOnly = false, noFileOpenOnDoubleClick = false;
    int refreshes = 0;
    std::unique_ptr<CheckOutCommands> commands;
};

TEST_F(Commands, WithoutLocationOrRowsNothingIsAskedAndOnlyTheRulesRefreshes)
{
    nodeSelected = false;
    select({0});
    commands->BewerkenProject(false);
    commands->BekijkenProject();
    EXPECT_EQ(refreshes, 0);
    commands->TerugzettenProject();
    EXPECT_EQ(refreshes, 1);

    nodeSelected = true;
    listView.clearSelection();
    commands->BewerkenProject(true);
    EXPECT_EQ(refreshes, 2);
    commands->TerugzettenProject();
    EXPECT_EQ(refreshes, 4);
    EXPECT_TRUE(session->calls().empty());
    EXPECT_TRUE(events.isEmpty());
}

TEST_F(Commands, OpenRaisesOnlyFileOpenAndCheckOutOnlyFileCheckOutInDisplayOrder)
{
    session->on(QStringLiteral("CheckOutProject"), [](const QVariantList &args) { return args[0].toInt() != 12; });
    select({2, 0, 1}); // selected out of order; row 3 not at all
    commands->BewerkenProject(true);
    EXPECT_EQ(events, (QStringList{opened("FileOpen", "a.doc", 11), opened("FileOpen", "c.doc", 13)}));
    EXPECT_EQ(session->argsOf(QStringLiteral("CheckOutProject")), (QStringList{"11,", "12,", "13,"}));
    events.clear();
    commands->BewerkenProject(false);
    EXPECT_EQ(events, (QStringList{opened("FileCheckOut", "a.doc", 11), opened("FileCheckOut", "c.doc", 13)}));
    EXPECT_EQ(refreshes, 2);
}

TEST_F(Commands, HostHandlerMayRefillTheListAndStartAnotherCommand)
{
    bool nested = false;
    QObject::connect(commands.get(), &CheckOutCommands::FileCheckOut, [&] {
        model.setRows({listRow(11, "x.doc"), listRow(12, "y.doc")});
        if (!std::exchange(nested, true)) {
            select({0});
            commands->TerugzettenProject();
        }
    });
    select({0, 1});
    commands->BewerkenProject(false);
    // The outer run goes on after the inner one, with the names it started with.
    EXPECT_EQ(events, (QStringList{opened("FileCheckOut", "a.doc", 11), "FileCheckIn(11)",
                                   opened("FileCheckOut", "b.doc", 12)}));
    EXPECT_EQ(refreshes, 3);
}

TEST_F(Commands, CheckOutErrorIsReportedAndTheListStillRefreshed)
{
    session->on(QStringLiteral("CheckOutProject"), [](const QVariantList &args) -> ScriptedSession::Reply {
        if (args[0].toInt() == 12)
            throw DwError(DwError::PermissionDenied, QStringLiteral("geen toegang"));
        return true;
    });
    expectErrorReport(prompts, QStringLiteral("frmCheckOutForm.AutoCheckOut"));
    select({0, 1, 2});
    commands->BewerkenProject(false);
    // The work ends at the error: the third file is never asked for.
    EXPECT_EQ(events, QStringList{opened("FileCheckOut", "a.doc", 11)});
    EXPECT_EQ(session->count(QStringLiteral("CheckOutProject")), 2);
    EXPECT_EQ(refreshes, 1);
}

TEST_F(Commands, DoubleClickOpensTheUsersOwnRowOnlyWhenReadOnly)
{
    session->answer(QStringLiteral("GetProjectFileName"), QStringLiteral("B.DOC"));
    commands->lvListView_DblClick(); // no row selected
    readOnly = true;
    model.setRows({listRow(11, "a.doc", 4 | 8), listRow(12, "b.doc", 2 | 4)});
    select({0});
    commands->lvListView_DblClick();
    EXPECT_TRUE(session->calls().empty());

    select({1});
    commands->lvListView_DblClick();
    EXPECT_EQ(session->argsOf(QStringLiteral("CheckOutProject")), QStringList{"12,"});
    EXPECT_EQ(events, QStringList{opened("FileOpen", "B.DOC", 12)});
    EXPECT_EQ(refreshes, 1);

    session->answer(QStringLiteral("CheckOutProject"), false); // refused: no event, no refresh
    commands->lvListView_DblClick();
    EXPECT_EQ(events.size(), 1);
    EXPECT_EQ(refreshes, 1);

    session->on(QStringLiteral("CheckOutProject"),
                [](const QVariantList &) -> ScriptedSession::Reply { throw DwError(DwError::FileNotFound, "weg"); });
    expectErrorReport(prompts, QStringLiteral("DwProjectFileManUIlvListView_DblClick"));
    commands->lvListView_DblClick();
}

TEST_F(Commands, DoubleClickWithNoFileOpenViewsWhateverTheTag)
{
    readOnly = noFileOpenOnDoubleClick = true;
    model.setRows({listRow(11, "a.doc", 4)});
    select({0});
    prompts.expectMessage();
    commands->lvListView_DblClick();
    EXPECT_EQ(session->callNames(), QStringList{"GetViewCopy"});
    EXPECT_EQ(prompts.messages(), QStringList{"Bekijken bestand niet mogelijk!"});
}

TEST_F(Commands, ViewGivesReadOnlyCopiesThatGoWhenTheControlEnds)
{
    QTemporaryDir temp;
    const QString copy = temp.filePath(QStringLiteral("view/b.doc"));
    QDir().mkpath(QFileInfo(copy).path());
    ASSERT_TRUE(QFile(copy).open(QIODevice::WriteOnly));
    session->on(QStringLiteral("GetViewCopy"), [&](const QVariantList &args) {
        ScriptedSession::Reply reply(args[0].toInt() == 12);
        reply.outs << copy;
        return reply;
    });
    prompts.expectMessage();
    int messagesAtOpen = -1; // the first file's refusal comes before the second opens
    QObject::connect(commands.get(), &CheckOutCommands::FileOpen,
                     [&] { messagesAtOpen = int(prompts.messages().size()); });
    select({0, 1});
    commands->BekijkenProject();

    EXPECT_EQ(events, QStringList{QStringLiteral("FileOpen(%1, 12)").arg(copy)});
    EXPECT_EQ(messagesAtOpen, 1);
    EXPECT_EQ(prompts.shown().at(0).icon, Prompts::Icon::None);
    EXPECT_FALSE(QFileInfo(copy).permissions() & QFile::WriteOwner);
    commands.reset();
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(copy).path()));
}

} // namespace
} // namespace dwfm::test
