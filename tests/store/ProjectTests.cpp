#include "StoreFixture.h"

#include "ProjectBatch.h"
#include "DwError.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

using namespace dwfm;
using namespace dwfm::store;

TEST_P(StoreTest, AddingCopiesOrRegistersAFile)
{
    auto &p = bert->Projects();
    const QString source = makeSource("Brief.txt", "beste");
    const qint32 copied = p.AddProject(source, tekeningen, QVariant(), true, true);
    ASSERT_GT(copied, 0);
    EXPECT_EQ(storedContent(copied), "beste");
    EXPECT_EQ(readFile(source), "beste") << "the source stays";

    // A name given as a path: its last part is the name.
    const qint32 renamed = p.AddProject(source, tekeningen, "/ergens/anders/Kopie.txt", true, false);
    ASSERT_GT(renamed, 0);
    EXPECT_EQ(p.GetProjectFileName(renamed), "Kopie.txt");
    RecordsetPtr history;
    EXPECT_FALSE(p.GetProjectHistory(history, renamed)) << "added without history";
    EXPECT_EQ(history, nullptr);

    // A file already placed in the location's server folder is registered: the embedded
    // store keeps it there, the server store takes it into its database.
    const QString serverRoot = bert->Locations().GetServerRootFolder();
    const QString placed = serverRoot + "/Projecten/Tekeningen/Leeg.txt";
    writeFile(placed, "FileManager TempFile");
    const qint32 registered = p.AddProject(placed, tekeningen, placed, false, true);
    ASSERT_GT(registered, 0);
    EXPECT_EQ(storedContent(registered), "FileManager TempFile");
    EXPECT_EQ(QFileInfo::exists(placed), embedded());

    // The preview joins root, location path and name directly.
    EXPECT_EQ(serverRoot + "/" + p.GetProjectLocationPath(registered) + p.GetProjectFileName(registered), placed);
}

TEST_P(StoreTest, FileRowsCarryEveryFieldAndEmptyQueriesAnswerNothing)
{
    auto &p = bert->Projects();
    RecordsetPtr rs;
    EXPECT_FALSE(p.GetProjectsInLocation(rs, tekeningen));
    EXPECT_EQ(rs, nullptr);
    EXPECT_FALSE(p.GetProjectsOfUser(rs, "bert"));
    EXPECT_FALSE(p.GetProjectInfo(rs, 4711));

    const qint32 b = addFile(*bert, "b.txt", "b", tekeningen);
    const qint32 a = addFile(*bert, "A.txt", "a", tekeningen);
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    ASSERT_TRUE(p.CheckOutProject(b, "tekst aanpassen"));

    ASSERT_TRUE(p.GetProjectsInLocation(rs, tekeningen));
    for (const char *field : {"Projectid", "FileName", "CheckedOut", "UserID", "Checkoutdate", "ComputerName",
                              "ProjectCheckoutlocation", "CheckOutDescription", "Locked", "DefaultProject"})
        EXPECT_TRUE(rs->hasField(QString::fromLatin1(field).toLower())) << field;
    EXPECT_EQ(rs->value("projectid").toInt(), a) << "sorted by name without regard to case";
    EXPECT_FALSE(rs->value("CheckedOut").toBool());
    EXPECT_TRUE(rs->value("UserID").isNull());
    rs->moveNext();
    EXPECT_EQ(rs->value("FileName").toString(), "b.txt");
    EXPECT_TRUE(rs->value("CheckedOut").toBool());
    EXPECT_EQ(rs->value("UserID").toString(), "bert");
    EXPECT_EQ(rs->value("Checkoutdate").typeId(), QMetaType::QDateTime);
    EXPECT_GE(rs->value("Checkoutdate").toDateTime(), before);
    EXPECT_FALSE(rs->value("ComputerName").toString().isEmpty());
    EXPECT_EQ(rs->value("ProjectCheckoutlocation").toString(), workingRoot("bert") + "/Projecten/Tekeningen");
    EXPECT_EQ(rs->value("CheckOutDescription").toString(), "tekst aanpassen");
    EXPECT_EQ(rs->value("Locked").typeId(), QMetaType::Bool);
    EXPECT_THROW(rs->value("Onbekend"), DwError);
    rs->moveNext();
    EXPECT_TRUE(rs->isEof());
    EXPECT_THROW(rs->value(0), DwError);

    ASSERT_TRUE(anna->Projects().GetProjectsOfUser(rs, "BERT"));
    EXPECT_EQ(rs->value("Projectid").toInt(), b);
    rs->moveNext();
    EXPECT_TRUE(rs->isEof());
    EXPECT_FALSE(anna->Projects().GetProjectsOfUser(rs, "bert", projecten)) << "limited to another location";

    ASSERT_TRUE(p.GetProjectInfo(rs, b));
    EXPECT_EQ(rs->value("Workname").toString(), "b.txt");
    EXPECT_EQ(rs->value("Projectid").toInt(), b);
}

TEST_P(StoreTest, HistoryLogsEveryChangeInDutch)
{
    auto &p = bert->Projects();
    const qint32 id = addFile(*bert, "log.txt", "1", tekeningen);
    ASSERT_TRUE(p.CheckOutProject(id, "begin"));
    ASSERT_TRUE(p.CheckInProject(id, "klaar", false));
    ASSERT_TRUE(p.RenameProject(id, "logboek.txt"));
    RecordsetPtr h;
    ASSERT_TRUE(p.GetProjectHistory(h, id));
    QStringList lines;
    for (; !h->isEof(); h->moveNext()) {
        EXPECT_EQ(h->value("ActionDate").toDate(), QDate::currentDate());
        EXPECT_EQ(h->value("ActionTime").typeId(), QMetaType::QTime);
        EXPECT_EQ(h->value("UserName").toString(), "bert");
        lines << h->value("Description").toString() + ":" + h->value("Memo").toString();
    }
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith("Toegevoegd:Van "));
    EXPECT_EQ(lines[1], "In gebruik genomen:begin");
    EXPECT_EQ(lines[2], "Vrijgegeven:klaar");
    EXPECT_EQ(lines[3], "Naam gewijzigd:Van 'log.txt' in 'logboek.txt'");
}

TEST_P(StoreTest, CopyRenameAndDeleteKeepDiskAndDatabaseInStep)
{
    auto &p = bert->Projects();
    const qint32 id = addFile(*bert, "Tekst.txt", "origineel", tekeningen);
    QVariant copyId;
    ASSERT_TRUE(p.CopyProject(id, projecten, "", copyId));
    EXPECT_EQ(storedContent(copyId.toInt()), "origineel");
    EXPECT_NE(copyId.toInt(), id);

    ASSERT_TRUE(p.RenameProject(copyId.toInt(), "Nieuw.txt"));
    EXPECT_EQ(p.GetProjectFileName(copyId.toInt()), "Nieuw.txt");
    EXPECT_EQ(storedContent(copyId.toInt()), "origineel");
    ASSERT_TRUE(p.RenameProject(copyId.toInt(), "NIEUW.txt")) << "a change of case is a rename";
    EXPECT_EQ(storedContent(copyId.toInt()), "origineel");
    if (embedded()) {
        EXPECT_EQ(readFile(root() + "/Projecten/NIEUW.txt"), "origineel");
    }

    ASSERT_TRUE(p.DeleteProject(copyId.toInt()));
    EXPECT_EQ(storedContent(copyId.toInt()), "<ontbreekt>");
    EXPECT_EQ(storedContent(id), "origineel") << "the original keeps the content they shared";
    if (embedded()) {
        EXPECT_FALSE(QFileInfo::exists(root() + "/Projecten/NIEUW.txt"));
        EXPECT_TRUE(QDir(root() + "/Projecten").entryList(QDir::Files | QDir::Hidden).isEmpty()) << "no hidden leftovers";
    }
    RecordsetPtr rs;
    EXPECT_FALSE(p.GetProjectInfo(rs, copyId.toInt()));
}

TEST_P(StoreTest, CopiesForTheUserNeverOverwrite)
{
    auto &p = bert->Projects();
    const qint32 id = addFile(*bert, "Foto.png", "pixels", tekeningen);
    QString view;
    ASSERT_TRUE(p.GetViewCopy(id, view));
    EXPECT_TRUE(view.endsWith("/Foto.png"));
    EXPECT_EQ(readFile(view), "pixels");

    const QString target = m_dir.filePath("uit/Foto.png");
    writeFile(target, "eigen werk");
    EXPECT_FALSE(p.GetLocalCopy(0, id, target));
    EXPECT_EQ(bert->Database().LastErrorNumber(), DwError::FileAlreadyExists);
    EXPECT_EQ(readFile(target), "eigen werk");

    ASSERT_TRUE(p.CopyProjectsToFolders(0, {id, id}, {target, m_dir.filePath("uit/Tweede.png")}));
    EXPECT_EQ(readFile(target), "eigen werk");
    EXPECT_EQ(readFile(m_dir.filePath("uit/Foto (2).png")), "pixels");
    EXPECT_EQ(readFile(m_dir.filePath("uit/Tweede.png")), "pixels");
    EXPECT_FALSE(p.CopyProjectsToFolders(0, {id}, {}));
    EXPECT_FALSE(p.CopyProjectsToFolders(0, {id}, {m_dir.filePath("geen/map/x.png")}));
}

TEST_P(StoreTest, ABatchCopyOrDeletionDoesTheGoodFilesAndLeavesTheRefusedOnesAsTheyWere)
{
    auto *batch = dynamic_cast<ProjectBatch *>(&anna->Projects());
    ASSERT_NE(batch, nullptr);
    const qint32 doel = makeLocation(*anna, "Doel", projecten);
    const qint32 a = addFile(*anna, "a.txt", "aa", tekeningen), b = addFile(*anna, "b.txt", "bb", tekeningen),
                 c = addFile(*anna, "c.txt", "cc", tekeningen);
    const qint32 other = addFile(*anna, "B.TXT", "ander", doel), folderName = addFile(*anna, "Sub", "s", tekeningen);
    makeLocation(*anna, "sub", doel);

    const QStringList before = snapshot();
    EXPECT_EQ(batch->CopyProjects({b, 4711, folderName}, doel, "samen"), QList<qint32>({-1, -1, -1}));
    EXPECT_TRUE(anna->Database().LastError().contains("map 'sub'")) << anna->Database().LastError().toStdString();
    EXPECT_EQ(snapshot(), before) << "refused files leave the store as it was";

    // The second c is refused too: its name is taken by the first, in the same batch.
    const QList<qint32> ids = batch->CopyProjects({a, b, 4711, c, c}, doel, "samen");
    ASSERT_EQ(ids.size(), 5);
    EXPECT_GT(ids[0], 0);
    EXPECT_EQ(ids.mid(1, 2), QList<qint32>({-1, -1}));
    EXPECT_GT(ids[3], 0);
    EXPECT_EQ(ids[4], -1);
    EXPECT_TRUE(anna->Database().LastError().contains("c.txt")) << anna->Database().LastError().toStdString();
    for (const auto &[id, content] : {std::pair{ids[0], "aa"}, {other, "ander"}, {ids[3], "cc"}, {b, "bb"}})
        EXPECT_EQ(storedContent(id), content) << id;
    RecordsetPtr history;
    ASSERT_TRUE(anna->Projects().GetProjectHistory(history, ids[3]));
    EXPECT_EQ(history->value("Memo").toString(), "samen");

    // A batch deletion goes on past a file someone else holds and an unknown one.
    ASSERT_TRUE(bert->Projects().CheckOutProject(b, ""));
    EXPECT_EQ(batch->DeleteProjects({a, 4711, b}), QList<bool>({true, false, false}));
    EXPECT_EQ(storedContent(a), "<ontbreekt>");
    EXPECT_EQ(storedContent(ids[0]), "aa") << "the copy keeps the content it shared";
    EXPECT_EQ(storedContent(b), "bb");
    EXPECT_EQ(checkStore(), QStringList());
}
