#include "StoreFixture.h"

#include "platform/DwError.h"

#include <QDir>
#include <QFileInfo>

using namespace dwfm;
using namespace dwfm::store;

TEST_F(StoreTest, LocationsLiveInTheDatabaseAndOnDisk)
{
    auto &loc = bert->Locations();
    qint32 id = 0;
    ASSERT_TRUE(loc.CreateLocation("Fase 1", "", tekeningen, id));
    EXPECT_EQ(loc.GetLocationPath(id), "Projecten/Tekeningen/Fase 1");
    EXPECT_TRUE(QFileInfo(root() + "/Projecten/Tekeningen/Fase 1").isDir());
    EXPECT_EQ(loc.GetLocationDescription(id), "Fase 1");
    EXPECT_EQ(loc.GetLocationKind(id), LocationsService::KindFiles);
    EXPECT_EQ(loc.GetServerRootFolder(), root());

    ASSERT_TRUE(loc.RenameLocation(id, "Fase 2"));
    EXPECT_FALSE(QFileInfo::exists(root() + "/Projecten/Tekeningen/Fase 1"));
    EXPECT_TRUE(QFileInfo(root() + "/Projecten/Tekeningen/Fase 2").isDir());

    ASSERT_TRUE(loc.DeleteLocation(id));
    EXPECT_FALSE(QFileInfo::exists(root() + "/Projecten/Tekeningen/Fase 2"));
    EXPECT_EQ(loc.GetLocationDescription(id), "");
    RecordsetPtr children;
    EXPECT_FALSE(loc.GetChildLocations(children, tekeningen));
    EXPECT_EQ(children, nullptr);
}

TEST_F(StoreTest, LocationRefusalsChangeNothing)
{
    auto &loc = bert->Locations();
    addFile(*bert, "plan.txt", "inhoud", tekeningen);
    const QStringList before = snapshot();
    qint32 id = -5;
    const QStringList badNames = {"", "   ", QString(254, 'a'), "a/b", "a\\b", "..", "x..y", QString("tab\there"), "TEKENINGEN"};
    for (const QString &name : badNames) {
        EXPECT_FALSE(loc.CreateLocation(name, "", projecten, id)) << name.toStdString();
        EXPECT_FALSE(bert->Database().LastError().isEmpty());
    }
    EXPECT_EQ(bert->Database().LastErrorNumber(), DwError::IntegrityViolation); // the duplicate, last
    EXPECT_FALSE(loc.CreateLocation("Top", "", 0, id)) << "only administrators make top locations";
    EXPECT_FALSE(loc.CreateLocation("Los", "", 4242, id)) << "unknown parent";
    EXPECT_FALSE(lezer->Locations().CreateLocation("Nieuw", "", projecten, id));
    EXPECT_FALSE(loc.RenameLocation(tekeningen, "archief/x"));
    EXPECT_FALSE(loc.DeleteLocation(projecten)) << "has a sub-location";
    EXPECT_FALSE(loc.DeleteLocation(tekeningen)) << "holds a file";
    EXPECT_FALSE(lezer->Locations().RenameLocation(tekeningen, "Anders"));
    EXPECT_EQ(id, -5);
    EXPECT_EQ(snapshot(), before);

    // A location whose folder holds a file the store does not know stays.
    qint32 leeg = 0;
    ASSERT_TRUE(loc.CreateLocation("Leeg", "", projecten, leeg));
    writeFile(root() + "/Projecten/Leeg/vreemd.txt", "x");
    const QStringList withStray = snapshot();
    EXPECT_FALSE(loc.DeleteLocation(leeg));
    EXPECT_EQ(snapshot(), withStray);
}

TEST_F(StoreTest, RenamingAFolderWithAFileInUseIsRefused)
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
    EXPECT_EQ(readFile(root() + "/Projecten/TEKENINGEN/plan.txt"), "inhoud");
}
