// What keeps someone's work safe: refusals that change nothing, edits saved while a check-in
// runs, names the disk can always hold, the account integrated logon trusts, and the store's
// own check and repair.
#include "StoreFixture.h"

#include "PgCluster.h"
#include "StoreFolders.h"
#include "admin/StoreCheck.h"
#include "db/SqliteDb.h"
#include "fs/FaultInjection.h"
#include "DwError.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

using namespace dwfm;
using namespace dwfm::store;

namespace {
// What a hook does at a fault point: the test's stand-in for another program.
std::function<void(const char *)> atPoint;
void runHook(const char *name)
{
    if (atPoint)
        atPoint(name);
}

struct Armed {
    explicit Armed(const char *fault) { qputenv("DW_STORE_FAULT", fault); }
    ~Armed() { qunsetenv("DW_STORE_FAULT"); }
};
} // namespace

TEST_P(StoreTest, RefusalsAndRefusedCommitsChangeNothing)
{
    auto &p = bert->Projects();
    auto &loc = bert->Locations();
    const qint32 free = addFile(*bert, "Vrij.txt", "a", tekeningen);
    const qint32 mine = addFile(*bert, "Mijn.txt", "b", tekeningen);
    const qint32 held = addFile(*bert, "Werk.txt", "server", tekeningen);
    const qint32 annas = addFile(*anna, "Anna.txt", "c", tekeningen);
    ASSERT_TRUE(p.CheckOutProject(mine, "") && p.CheckOutProject(held, "") && anna->Projects().CheckOutProject(annas, ""));
    QFile::remove(localFile("bert", "Mijn.txt"));
    writeFile(localFile("bert", "Werk.txt"), "mijn wijziging");
    writeFile(localFile("bert", "Vrij.txt"), "een eigen bestand");
    writeFile(workingRoot("lezer") + "/Projecten", "in de weg"); // the working copy cannot be made
    writeFile(root() + "/Projecten/onbekend.txt", "van iemand anders");
    const qint32 leeg = makeLocation(*bert, "Leeg", projecten);
    writeFile(root() + "/Projecten/Leeg/vreemd.txt", "x");
    const QString source = makeSource("Nieuw.txt", "nieuw");
    QVariant newId = -7;
    qint32 id = -5;
    auto add = [&](qint32 at, const QVariant &name, bool copy = true) { return p.AddProject(source, at, name, copy, true) > 0; };
    std::vector<std::pair<QString, std::function<bool()>>> refused = {
        {"same name in other case", [&] { return add(tekeningen, "VRIJ.TXT"); }},
        {"archive", [&] { return add(archief, QVariant()); }},
        {"unknown location", [&] { return add(777, QVariant()); }},
        {"missing source", [&] { return p.AddProject(m_dir.filePath("weg.txt"), tekeningen, QVariant(), true, true) > 0; }},
        {"register outside the server folder", [&] { return add(tekeningen, QVariant(), false); }},
        {"read-only add", [&] { return lezer->Projects().AddProject(source, tekeningen, QVariant(), true, true) > 0; }},
        {"check in a free file", [&] { return p.CheckInProject(free, "", true); }},
        {"check in without working copy", [&] { return p.CheckInProject(mine, "", true); }},
        {"check in unknown", [&] { return p.CheckInProject(31337, "", true); }},
        {"rename in use", [&] { return p.RenameProject(mine, "Anders.txt"); }},
        {"undo a free file", [&] { return p.CancelCheckOut(free, "", true); }},
        {"undo someone else's", [&] { return p.CancelCheckOut(annas, "", true); }},
        {"rename held by other", [&] { return anna->Projects().RenameProject(held, "Anders.txt"); }},
        {"delete held by other", [&] { return anna->Projects().DeleteProject(held); }},
        {"check in held by other", [&] { return anna->Projects().CheckInProject(held, "", true); }},
        {"check out held by other", [&] { return anna->Projects().CheckOutProject(held, ""); }},
        {"rename to a used name", [&] { return p.RenameProject(free, "werk.TXT"); }},
        {"copy to the same name", [&] { return p.CopyProject(free, tekeningen, "", newId); }},
        {"copy into archive", [&] { return p.CopyProject(free, archief, "", newId); }},
        {"delete unknown", [&] { return p.DeleteProject(9999); }},
        {"read-only delete", [&] { return lezer->Projects().DeleteProject(free); }},
        {"working copy blocked", [&] { return lezer->Projects().CheckOutProject(free, ""); }},
        {"top location by non-administrator", [&] { return loc.CreateLocation("Top", "", 0, id); }},
        {"unknown parent", [&] { return loc.CreateLocation("Los", "", 4242, id); }},
        {"read-only location", [&] { return lezer->Locations().CreateLocation("Nieuw", "", projecten, id); }},
        {"rename location to a path", [&] { return loc.RenameLocation(tekeningen, "archief/x"); }},
        {"delete with sub-location", [&] { return loc.DeleteLocation(projecten); }},
        {"delete with files", [&] { return loc.DeleteLocation(tekeningen); }},
        {"read-only rename location", [&] { return lezer->Locations().RenameLocation(tekeningen, "Anders"); }},
    };
    // Only the embedded store has server folders where a file it does not know can lie.
    if (embedded()) {
        refused.push_back({"unknown server file", [&] { return add(projecten, "onbekend.txt"); }});
        refused.push_back({"delete with unknown files", [&] { return loc.DeleteLocation(leeg); }});
    }
    for (const QString &bad : {QString(), QString("   "), QString(254, 'a'), QString("a/b"), QString("a\\b"), QString(".."),
                               QString("x..y"), QString("tab\there"), QString("TEKENINGEN"), QString(QChar(7))}) {
        refused.push_back({"name " + bad, [&, bad] { return loc.CreateLocation(bad, "", projecten, id); }});
        if (!bad.isEmpty() && !bad.contains('/') && !bad.contains('\\') && bad != "TEKENINGEN") // else a usable name
            refused.push_back({"file name " + bad, [&, bad] { return add(tekeningen, bad); }});
    }
    const QStringList before = snapshot();
    for (const auto &[what, op] : refused) {
        EXPECT_FALSE(op()) << what.toStdString();
        EXPECT_FALSE(bert->Database().LastError().isEmpty() && anna->Database().LastError().isEmpty());
        EXPECT_TRUE(snapshot() == before) << what.toStdString();
    }
    EXPECT_EQ(id, -5);
    EXPECT_EQ(newId.toInt(), -7);

    // The same when the database refuses the commit (a full disk): nothing was done yet.
    const qint32 fase = makeLocation(*anna, "Fase", projecten);
    const std::pair<const char *, std::function<bool()>> refusedCommits[] = {
        {"check-in", [&] { return p.CheckInProject(held, "", true); }},
        {"undo", [&] { return p.CancelCheckOut(held, "", true); }},
        {"check-out over a local file", [&] { return p.CheckOutProject(free, ""); }},
        {"add", [&] { return add(tekeningen, QVariant()); }},
        {"copy", [&] { return p.CopyProject(free, projecten, "", newId); }},
        {"rename", [&] { return p.RenameProject(free, "Hernoemd.txt"); }},
        {"delete", [&] { return p.DeleteProject(free); }},
        {"folder rename", [&] { return loc.RenameLocation(leeg, "Anders"); }},
        {"folder delete", [&] { return loc.DeleteLocation(fase); }},
    };
    const Armed full("fail:before-commit");
    for (const auto &[what, op] : refusedCommits) {
        const QStringList now = snapshot();
        EXPECT_FALSE(op()) << what;
        EXPECT_EQ(bert->Database().LastErrorNumber(), DwError::DiskFull) << what;
        EXPECT_TRUE(snapshot() == now) << what;
    }
}

TEST_P(StoreTest, AnEditSavedDuringACheckInIsNeverLost)
{
    const qint32 id = addFile(*bert, "Tekst.txt", "v1", tekeningen);
    const QString local = localFile("bert", "Tekst.txt");
    FaultInjection::setHook(runHook);
    struct Case {
        const char *point;
        bool checkedIn;
    };
    // While the copy is made the edit refuses the check-in; after it, the edit is kept aside.
    for (const Case c : {Case{"after-stage", false}, Case{"after-commit", true}}) {
        SCOPED_TRACE(c.point);
        ASSERT_TRUE(bert->Projects().CheckOutProject(id, ""));
        writeFile(local, "opgeslagen");
        atPoint = [&](const char *name) {
            if (qstrcmp(name, c.point) == 0)
                writeFile(local, "later nog opgeslagen");
        };
        EXPECT_EQ(bert->Projects().CheckInProject(id, "", true), c.checkedIn);
        atPoint = nullptr;
        EXPECT_EQ(storedContent(id), c.checkedIn ? "opgeslagen" : "v1");
        const QStringList kept = QDir(QFileInfo(local).path()).entryList({"*bewaard*"});
        EXPECT_EQ(readFile(c.checkedIn ? QFileInfo(local).path() + "/" + kept.value(0) : local), "later nog opgeslagen");
        if (!c.checkedIn) {
            ASSERT_TRUE(bert->Projects().CheckInProject(id, "", true));
        }
        if (embedded()) {
            EXPECT_TRUE(QDir(root() + "/Projecten/Tekeningen").entryList(QDir::Hidden | QDir::Files).size() == 1);
        }
    }
    FaultInjection::setHook(nullptr);
}

TEST_P(StoreTest, AddingStagesTheDataWithoutHoldingUpOtherUsers)
{
    const qint32 id = addFile(*bert, "Plan.txt", "x", tekeningen);
    FaultInjection::setHook(runHook);
    bool checkedOut = false;
    atPoint = [&](const char *name) {
        if (qstrcmp(name, "after-stage") == 0 && !checkedOut)
            checkedOut = bert->Projects().CheckOutProject(id, "");
    };
    EXPECT_GT(anna->Projects().AddProject(makeSource("Groot.bin", QByteArray(1 << 20, 'g')), tekeningen, QVariant(), true, true), 0);
    atPoint = nullptr;
    FaultInjection::setHook(nullptr);
    EXPECT_TRUE(checkedOut) << bert->Database().LastError().toStdString();
}

TEST_P(StoreTest, CheckingOutAFileOneHoldsAnswersTrueAndPutsAMissingWorkingCopyBack)
{
    auto &p = bert->Projects();
    const qint32 id = addFile(*bert, "Eigen.txt", "server", tekeningen);
    const QString local = localFile("bert", "Eigen.txt");
    ASSERT_TRUE(p.CheckOutProject(id, ""));
    writeFile(local, "half af");
    EXPECT_TRUE(p.CheckOutProject(id, "")) << bert->Database().LastError().toStdString();
    EXPECT_EQ(readFile(local), "half af") << "the holder's work stays";
    QFile::remove(local);
    EXPECT_TRUE(p.CheckOutProject(id, ""));
    EXPECT_EQ(readFile(local), "server");
    RecordsetPtr h;
    ASSERT_TRUE(p.GetProjectHistory(h, id));
    h->moveNext(); // "Toegevoegd", then one "In gebruik genomen" only
    h->moveNext();
    EXPECT_TRUE(h->isEof());
    EXPECT_FALSE(anna->Projects().CheckOutProject(id, "")) << "someone else still cannot";
}

TEST_P(StoreTest, NamesFitTheDiskWithRoomForEveryNameDerivedFromThem)
{
    auto &p = bert->Projects();
    const qint32 id = addFile(*bert, "kort.txt", "server", tekeningen);
    const QString e = QString::fromUtf8("é");
    struct Case {
        QString name;
        bool accepted;
    };
    const Case cases[] = {{QString(216, 'a') + ".txt", true}, {QString(217, 'a') + ".txt", false},
                          {e.repeated(108) + ".txt", true},   {e.repeated(109) + ".txt", false},
                          {"a:b.txt", false}, {"a<b", false}, {"a|b", false}, {"a\"b", false}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        const QStringList before = snapshot();
        EXPECT_EQ(p.RenameProject(id, c.name), c.accepted);
        qint32 loc = 0;
        EXPECT_EQ(bert->Locations().CreateLocation(c.name, "", projecten, loc), c.accepted);
        if (!c.accepted) {
            EXPECT_EQ(snapshot(), before);
            continue;
        }
        // Check-out over a different local file keeps it aside under a longer name, and
        // check-in stages the content: both must work with the longest name.
        writeFile(localFile("bert", c.name), "eigen");
        ASSERT_TRUE(p.CheckOutProject(id, "")) << bert->Database().LastError().toStdString();
        ASSERT_TRUE(p.CheckInProject(id, "", true)) << bert->Database().LastError().toStdString();
        ASSERT_TRUE(bert->Locations().DeleteLocation(loc));
    }
    EXPECT_THROW(admin().addUser(e.repeated(200), {}), DwError) << "a user name becomes a folder name";
}

TEST_P(StoreTest, LocationsStayInsideTheirFolderHoweverDeepAndOnlyAdministratorsChangeTopOnes)
{
    qint32 parent = tekeningen;
    for (int depth = 0; depth < 205; ++depth)
        parent = makeLocation(*bert, "d", parent);
    EXPECT_EQ(bert->Locations().GetLocationPath(parent).count('/'), 206);
    const qint32 id = addFile(*bert, "diep.txt", "diep", parent);
    EXPECT_EQ(storedContent(id), "diep");
    // A path that would grow past what the disk accepts is refused.
    qint32 loc = 0;
    int made = 0;
    for (parent = tekeningen; made < 30 && bert->Locations().CreateLocation(QString(200, 'p'), "", parent, loc); ++made)
        parent = loc;
    EXPECT_LT(made, 30);
    EXPECT_TRUE(bert->Database().LastError().contains("te lang"));

    EXPECT_FALSE(bert->Locations().RenameLocation(archief, "Oud"));
    EXPECT_FALSE(bert->Locations().DeleteLocation(archief));
    EXPECT_TRUE(anna->Locations().RenameLocation(archief, "Oud"));
    EXPECT_TRUE(anna->Locations().DeleteLocation(archief));

    if (embedded()) {
        for (const QString &own : {storeFolder(), root(), root() + "/Projecten", m_dir.path()})
            EXPECT_THROW(admin().importTree(own, 0), DwError) << own.toStdString();
    }
}

// On the server: peer logon over the Unix socket, where the server itself asks the system
// which account the connecting process runs as.
TEST_P(StoreTest, IntegratedLogonTrustsTheProcesssRealUserNotItsEnvironment)
{
    const QString account = StoreFolders::osAccount();
    ASSERT_FALSE(account.isEmpty());
    admin().addUser(account, {});
    const QByteArray user = qgetenv("USER"), pgUser = qgetenv("PGUSER");
    qputenv("USER", "anna");
    qputenv("PGUSER", "anna");
    DwFileStoreSession s;
    const bool connected = s.Connect(embedded() ? m_server : PgCluster::localServer(), "", "", m_catalogue, false);
    qputenv("USER", user);
    qputenv("PGUSER", pgUser);
    ASSERT_TRUE(connected) << s.Database().LastError().toStdString();
    EXPECT_EQ(s.CurrentUser().CurrentUserID(), account);
    EXPECT_FALSE(s.CurrentUser().IsAdministrator());
}

TEST_P(EmbeddedStoreTest, RepairPutsRightWhatCheckFindsAndKeepsUnknownFiles)
{
    const qint32 gone = addFile(*bert, "Weg.txt", "x", tekeningen);
    const qint32 held = addFile(*bert, "Vast.txt", "y", tekeningen);
    ASSERT_TRUE(bert->Projects().CheckOutProject(held, ""));
    QFile::remove(serverFile("Weg.txt"));
    writeFile(root() + "/Projecten/vreemd.txt", "iemands werk");
    writeFile(StoreFolders::stagingFolder(storeFolder(), "Test") + "/999999999-1-dood", "half");
    {
        auto db = SqliteDb::open(StoreFolders::databasePath(storeFolder(), "Test"), false);
        db->exec("UPDATE projects SET user_id = 'verdwenen' WHERE checked_out = 1");
        db->exec("INSERT INTO history (project_id, action, action_at) VALUES (999, 'Toegevoegd', 0)");
    }
    StoreCheck check(anna->context());
    EXPECT_EQ(check.check().size(), 5) << check.check().join('\n').toStdString();
    check.repair();
    EXPECT_EQ(check.check(), QStringList());
    EXPECT_TRUE(anna->Projects().GetProjectFileName(gone).isEmpty());
    RecordsetPtr rs;
    EXPECT_FALSE(anna->Projects().GetProjectsOfUser(rs, "verdwenen"));
    QStringList kept;
    for (QDirIterator it(check.lostFolder(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QString path = it.next();
        kept << QFileInfo(path).fileName() + "=" + readFile(path);
    }
    EXPECT_EQ(kept.filter("vreemd.txt=iemands werk").size(), 1);
    EXPECT_EQ(kept.filter("LEESMIJ.txt=").size(), 1);
}
