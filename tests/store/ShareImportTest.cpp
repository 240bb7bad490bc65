// A server store from the time its files lay on a shared folder is brought up to date and
// its files moved into the database by its administrator.
#include "StoreFixture.h"

#include "pg/PgAdmin.h"
#include "pg/PgShareImport.h"

#include <QFile>

using namespace dwfm;
using namespace dwfm::store;

TEST_P(ServerStoreTest, AStoreWhoseFilesLayOnAShareIsBroughtUpToDateAndMovedIn)
{
    const qint32 a = addFile(*anna, "A.txt", "x", tekeningen), b = addFile(*anna, "B.txt", "x", tekeningen);
    const qint32 c = addFile(*anna, "C.txt", "x", projecten), d = addFile(*anna, "D.txt", "x", projecten);
    ASSERT_TRUE(bert->Projects().CheckOutProject(b, ""));
    writeFile(localFile("bert", "B.txt"), "bert werkt");
    anna.reset();
    bert.reset();
    // The store as that code left it: no content in the database, the share's path recorded.
    execAsOwner("DROP TABLE dw.versions, dw.chunks, dw.contents CASCADE; "
                "ALTER TABLE dw.projects DROP COLUMN version, DROP COLUMN checkout_version; "
                "UPDATE dw.store_info SET value = '1' WHERE key = 'schema_version'; "
                "INSERT INTO dw.store_info VALUES ('root_folder', '/srv/gedeeld')");
    const QString share = m_dir.filePath("gedeeld");
    writeFile(share + "/Projecten/Tekeningen/A.txt", "inhoud A");
    writeFile(share + "/Projecten/Tekeningen/B.txt", "inhoud B");
    writeFile(m_dir.filePath("geheim.txt"), "niet voor de store");
    ASSERT_TRUE(QFile::link(m_dir.filePath("geheim.txt"), share + "/Projecten/D.txt"));
    writeFile(share + "/Projecten/vreemd.txt", "?");

    DwFileStoreSession early;
    EXPECT_FALSE(early.Connect(m_server, "bert", "bert", m_catalogue, true));
    EXPECT_TRUE(early.Database().LastError().contains("import-share")) << early.Database().LastError().toStdString();

    auto &server = static_cast<pg::PgAdmin &>(admin());
    EXPECT_EQ(server.upgrade(), 1);
    pg::PgShareImport::Result r = pg::PgShareImport(server.db()).run(share);
    EXPECT_EQ(r.files, 2);
    EXPECT_EQ(r.missing, 2) << "C.txt is not on the share; D.txt is a link, which is not followed";
    ASSERT_EQ(r.unplaced.size(), 3) << r.unplaced.join('\n').toStdString();
    EXPECT_TRUE(r.unplaced[0].contains("C.txt") && r.unplaced[0].contains("ontbreekt"));
    EXPECT_TRUE(r.unplaced[1].contains("D.txt") && r.unplaced[1].contains("symbolische koppeling"));
    EXPECT_TRUE(r.unplaced[2].contains("vreemd.txt") && r.unplaced[2].contains("kent dit bestand niet"));
    EXPECT_EQ(checkStore().filter("geen inhoud").size(), 2);

    // The files that are in work as before; bert's check-out went through the move.
    bert = connect("bert");
    EXPECT_EQ(storedContent(a), "inhoud A");
    EXPECT_EQ(storedContent(b), "inhoud B");
    ASSERT_TRUE(bert->Projects().CheckInProject(b, "", true)) << bert->Database().LastError().toStdString();
    EXPECT_EQ(storedContent(b), "bert werkt");

    // A second run places what the share holds by then, and the store forgets its share.
    writeFile(share + "/Projecten/C.txt", "inhoud C");
    QFile::remove(share + "/Projecten/D.txt");
    writeFile(share + "/Projecten/D.txt", "inhoud D");
    r = pg::PgShareImport(server.db()).run(share);
    EXPECT_EQ(r.files, 2);
    EXPECT_EQ(r.missing, 0);
    EXPECT_EQ(r.unplaced.size(), 1);
    EXPECT_EQ(storedContent(c), "inhoud C");
    EXPECT_EQ(storedContent(d), "inhoud D");
    EXPECT_EQ(checkStore(true), QStringList());
    EXPECT_EQ(server.db().exec("SELECT 1 FROM dw.store_info WHERE key = 'root_folder'").rows(), 0);
}
