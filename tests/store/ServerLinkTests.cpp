// The server store's link: the round trips an operation costs, and what happens when the link
// breaks (the server restarted or went away between calls, or the connection dropped right
// after a COMMIT was sent so that its answer never came).
#include "LinkProxy.h"
#include "PgCluster.h"
#include "StoreFixture.h"

#include "ProjectBatch.h"
#include "SessionChanges.h"
#include "pg/PgConnection.h"
#include "pg/PgSession.h"
#include "search/ContentIndexer.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace dwfm;
using namespace dwfm::store;

using dwfm::test::LinkProxy;


namespace {
// Connects anna's session through the proxy without background indexing: only the
// session's own statements pass it.
bool connectThrough(const LinkProxy &proxy, DwFileStoreSession &session, const QString &catalogue)
{
    ContentIndexer::setEnabled(false);
    const bool connected = session.Connect(proxy.server(), "anna", "anna", catalogue, true);
    ContentIndexer::setEnabled(true);
    return connected;
}
} // namespace

// A small file's operations each cost a fixed number of round trips; one more is a
// regression that a slow link multiplies.
TEST_P(ServerStoreTest, SmallFileOperationsTakeTheirFewRoundTrips)
{
    LinkProxy proxy(PgCluster::server().section(QLatin1Char(':'), -1).toInt());
    DwFileStoreSession far;
    ASSERT_TRUE(connectThrough(proxy, far, m_catalogue)) << far.Database().LastError().toStdString();
    const qint32 id = addFile(*anna, "Klein.txt", "klein", tekeningen);
    const QList<qint32> dialog{addFile(*anna, "Een.txt", "1", tekeningen), addFile(*anna, "Twee.txt", "2", projecten),
                               addFile(*anna, "Drie.txt", "3", tekeningen)};
    auto &p = far.Projects();
    auto &batch = dynamic_cast<ProjectBatch &>(p);
    const struct {
        const char *what;
        std::function<bool()> run;
        int turns;
    } operations[] = {
        {"check-out", [&] { return p.CheckOutProject(id, QString()); }, 2},
        {"undo", [&] { return p.CancelCheckOut(id, QString(), true); }, 2},
        {"check-out by its holder", [&] { return p.CheckOutProject(id, QString()); }, 2},
        {"check-in", [&] { return p.CheckInProject(id, QString(), false); }, 2},
        {"rename", [&] { return p.RenameProject(id, "Kleiner.txt"); }, 2},
        {"delete", [&] { return p.DeleteProject(id); }, 2},
        {"a dialog's three check-outs", [&] { return batch.CheckOutProjects(dialog, "") == QList<bool>(3, true); }, 2},
    };
    for (const auto &o : operations) {
        proxy.takeTurns();
        EXPECT_TRUE(o.run()) << o.what << ": " << far.Database().LastError().toStdString();
        EXPECT_EQ(proxy.takeTurns(), o.turns) << o.what;
    }
}

// A change whose COMMIT answer was lost is settled by asking the server: what landed is
// carried through on this side (the working copy placed, the checked-in copy removed), what
// did not leaves nothing, and the session goes on working over a new connection.
TEST_P(ServerStoreTest, AChangeWhoseCommitAnswerWasLostIsSettledByAskingTheServer)
{
    LinkProxy proxy(PgCluster::server().section(QLatin1Char(':'), -1).toInt());
    DwFileStoreSession far;
    ASSERT_TRUE(connectThrough(proxy, far, m_catalogue)) << far.Database().LastError().toStdString();
    const struct {
        LinkProxy::Cut cut;
        bool checkIn; // else a check-out
        bool landed;
    } cases[] = {
        {LinkProxy::AfterCommit, false, true},
        {LinkProxy::BeforeCommit, false, false},
        {LinkProxy::AfterCommit, true, true},
        {LinkProxy::BeforeCommit, true, false},
    };
    int n = 0;
    for (const auto &c : cases) {
        const QString name = QStringLiteral("Verloren antwoord %1.txt").arg(++n);
        const qint32 id = addFile(*anna, name, "versie 1", tekeningen);
        if (c.checkIn) {
            ASSERT_TRUE(far.Projects().CheckOutProject(id, QString())) << far.Database().LastError().toStdString();
            writeFile(localFile("anna", name), "versie 2");
        }
        SCOPED_TRACE(name.toStdString());
        proxy.arm(c.cut);
        const bool answer = c.checkIn ? far.Projects().CheckInProject(id, "klaar", true)
                                      : far.Projects().CheckOutProject(id, QString());
        EXPECT_TRUE(proxy.fired());
        EXPECT_EQ(answer, c.landed) << far.Database().LastError().toStdString();
        if (!c.landed) {
            EXPECT_TRUE(far.Database().LastError().contains("niets gewijzigd")) << far.Database().LastError().toStdString();
        }
        RecordsetPtr info;
        ASSERT_TRUE(anna->Projects().GetProjectInfo(info, id));
        EXPECT_EQ(info->value("CheckedOut").toBool(), c.landed != c.checkIn);
        EXPECT_EQ(storedContent(id), c.checkIn && c.landed ? "versie 2" : "versie 1");
        // The working copy follows what the server says.
        const bool copy = QFileInfo::exists(localFile("anna", name));
        EXPECT_EQ(copy, c.landed != c.checkIn);
    }
    EXPECT_TRUE(far.Projects().RenameProject(addFile(*anna, "Daarna.txt", "d", tekeningen), "Nog steeds.txt"))
        << far.Database().LastError().toStdString();
    EXPECT_EQ(checkStore(), QStringList());
}

// A link that drops right after the login, before the connection's first statement: the
// connection is refused with the reason and none of it stays open in this process (the
// sanitized run finds a connection left behind); once the link holds, it connects.
TEST_P(ServerStoreTest, ALinkThatDropsRightAfterTheLoginIsRefusedAndLeavesNothingOpen)
{
    LinkProxy proxy(PgCluster::server().section(QLatin1Char(':'), -1).toInt());
    proxy.arm(LinkProxy::EverySetUp);
    const QString conninfo = pg::PgSession::conninfo(proxy.server(), m_catalogue, "anna", "anna");
    try {
        pg::PgConnection refused(conninfo);
        ADD_FAILURE() << "connected over a link that drops";
    } catch (const DwError &e) {
        EXPECT_TRUE(e.description().startsWith("De verbinding met de server is verbroken")) << e.description().toStdString();
    }
    DwFileStoreSession far;
    EXPECT_FALSE(connectThrough(proxy, far, m_catalogue));
    EXPECT_FALSE(far.Database().LastError().isEmpty());
    proxy.arm(LinkProxy::None);
    EXPECT_TRUE(connectThrough(proxy, far, m_catalogue)) << far.Database().LastError().toStdString();
}

// The server stopped abruptly between calls: a call while it is down fails and says so; once
// it is back, the sessions carry on by themselves, live updates included.
TEST_P(ServerStoreTest, SessionsCarryOnAfterTheServerRestarted)
{
    const qint32 file = addFile(*anna, "Na herstart.txt", "x", tekeningen);
    SessionChanges *changes = anna->Changes();
    ASSERT_NE(changes, nullptr);
    QString whileDown;
    ASSERT_TRUE(PgCluster::stopAndStart([&] {
        EXPECT_FALSE(bert->Projects().RenameProject(file, "Onderweg.txt"));
        whileDown = bert->Database().LastError();
        // The next try waits a moment: a dialog's many files do not each wait for a server that is down.
        QTest::qWait(2100);
    }));
    EXPECT_TRUE(whileDown.contains("kon niet worden hersteld")) << whileDown.toStdString();
    ASSERT_TRUE(anna->Projects().CheckOutProject(file, QString())) << anna->Database().LastError().toStdString();
    // Bert's first call after the restart is refused and its transaction rolled back; what
    // the connection set up when it connected again stays.
    EXPECT_FALSE(bert->Projects().CheckOutProject(file, QString()));
    EXPECT_TRUE(bert->Database().LastError().contains("anna")) << bert->Database().LastError().toStdString();
    QTest::qWait(500);
    QSignalSpy told(changes, &SessionChanges::LocationsChanged);
    ASSERT_TRUE(bert->Projects().RenameProject(addFile(*bert, "Van bert.txt", "b", projecten), "Hernoemd.txt"))
        << bert->Database().LastError().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return told.count() > 0; }, 5000)) << "the session listens again";
    EXPECT_EQ(told.at(0).at(0).value<QList<qint32>>(), QList<qint32>{projecten});
}

// After a server restart an idle window hears of changes again by itself: its listener
// connects anew on a timer, without a call of the window's own.
TEST_P(ServerStoreTest, AnIdleWindowHearsOfChangesAgainAfterTheServerRestarted)
{
    SessionChanges *changes = anna->Changes();
    ASSERT_NE(changes, nullptr);
    const qint32 file = addFile(*bert, "Steeds.txt", "x", projecten);
    ASSERT_TRUE(PgCluster::stopAndStart());
    QSignalSpy told(changes, &SessionChanges::LocationsChanged);
    int n = 0;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            EXPECT_TRUE(bert->Projects().RenameProject(file, QStringLiteral("Steeds %1.txt").arg(++n)))
                << bert->Database().LastError().toStdString();
            return told.count() > 0;
        },
        10000))
        << "anna's window never heard of bert's change";
    EXPECT_EQ(told.at(0).at(0).value<QList<qint32>>(), QList<qint32>{projecten});
}
