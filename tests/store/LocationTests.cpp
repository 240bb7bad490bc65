#include "StoreFixture.h"

#include "SessionChanges.h"
#include "DwError.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace dwfm;
using namespace dwfm::store;

TEST_P(StoreTest, LocationsLiveInTheDatabaseAndOnDisk)
{
    auto &loc = bert->Locations();
    qint32 id = 0;
    ASSERT_TRUE(loc.CreateLocation("Fase 1", "", tekeningen, id));
    EXPECT_EQ(loc.GetLocationPath(id), "Projecten/Tekeningen/Fase 1");
    // The embedded store keeps a folder per location; the server store keeps nothing on disk.
    EXPECT_EQ(QFileInfo(root() + "/Projecten/Tekeningen/Fase 1").isDir(), embedded());
    EXPECT_EQ(loc.GetLocationDescription(id), "Fase 1");
    EXPECT_EQ(loc.GetLocationKind(id), LocationsService::KindFiles);
    EXPECT_EQ(loc.GetServerRootFolder() == root(), embedded());

    ASSERT_TRUE(loc.RenameLocation(id, "Fase 2"));
    EXPECT_EQ(loc.GetLocationPath(id), "Projecten/Tekeningen/Fase 2");
    EXPECT_FALSE(QFileInfo::exists(root() + "/Projecten/Tekeningen/Fase 1"));
    EXPECT_EQ(QFileInfo(root() + "/Projecten/Tekeningen/Fase 2").isDir(), embedded());

    ASSERT_TRUE(loc.DeleteLocation(id));
    EXPECT_FALSE(QFileInfo::exists(root() + "/Projecten/Tekeningen/Fase 2"));
    EXPECT_EQ(loc.GetLocationDescription(id), "");
    RecordsetPtr children;
    EXPECT_FALSE(loc.GetChildLocations(children, tekeningen));
    EXPECT_EQ(children, nullptr);
}

TEST_P(StoreTest, RenamingAFolderWithAFileInUseIsRefused)
{
    const qint32 id = addFile(*bert, "plan.txt", "inhoud", tekeningen);
    ASSERT_TRUE(bert->Projects().CheckOutProject(id, ""));
    const QStringList before = snapshot();
    EXPECT_FALSE(anna->Locations().RenameLocation(projecten, "Werk"));
    EXPECT_EQ(snapshot(), before);
    // Only the case changes: allowed once nothing is in use.
    ASSERT_TRUE(bert->Projects().CheckInProject(id, "", false));
    ASSERT_TRUE(anna->Locations().RenameLocation(tekeningen, "TEKENINGEN"));
    EXPECT_EQ(bert->Projects().GetProjectLocationPath(id), "Projecten/TEKENINGEN/");
    EXPECT_EQ(storedContent(id), "inhoud");
}

TEST_P(StoreTest, ChangesOfOtherSessionsAreToldForTheirLocation)
{
    const qint32 file = addFile(*anna, "Gedeeld.txt", "x", tekeningen);
    SessionChanges *changes = anna->Changes();
    ASSERT_NE(changes, nullptr);
    // What the set-up wrote through other connections may still be told once.
    QTest::qWait(1000);
    QSignalSpy told(changes, &SessionChanges::LocationsChanged);
    QTest::qWait(1000);
    EXPECT_EQ(told.count(), 0) << "nothing changed";
    ASSERT_TRUE(bert->Projects().CheckOutProject(file, QString()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return told.count() > 0; }, 5000));
    EXPECT_EQ(told.at(0).at(0).value<QList<qint32>>(), QList<qint32>{tekeningen});
}

// A location's files and sub-folders lie in one folder of the working copies: neither may
// take the other's name, case aside, and both stores say so in the same words.
TEST_P(StoreTest, AFileAndAFolderOfOneLocationNeverShareAName)
{
    const qint32 plan = addFile(*bert, "Plan.txt", "p", projecten);
    const qint32 other = addFile(*bert, "Ander.txt", "a", projecten);
    const QString folderTaken = "Er bestaat al een map 'Tekeningen' op deze plaats.",
                  fileTaken = "Er staat al een bestand 'Plan.txt' in deze map.";
    const QStringList before = snapshot();
    auto &loc = bert->Locations();
    auto &files = bert->Projects();
    qint32 id = 0;
    const struct {
        std::function<bool()> attempt;
        QString message;
    } clashes[] = {
        {[&] { return files.AddProject(makeSource("TEKENINGEN", "x"), projecten, QVariant(), true, true) > 0; }, folderTaken},
        {[&] { return files.RenameProject(other, "tekeningen"); }, folderTaken},
        {[&] { return loc.CreateLocation("plan.TXT", "", projecten, id); }, fileTaken},
        {[&] { return loc.RenameLocation(tekeningen, "PLAN.txt"); }, fileTaken},
    };
    for (const auto &clash : clashes) {
        EXPECT_FALSE(clash.attempt()) << clash.message.toStdString();
        EXPECT_EQ(bert->Database().LastError().toStdString(), clash.message.toStdString());
    }
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(files.RenameProject(plan, "plan.txt")) << "its own name in another case is no clash";
}
