#include "StoreFixture.h"

#include "ProjectBatch.h"

#include <QDir>
#include <QFileInfo>

using namespace dwfm;
using namespace dwfm::store;

namespace {
// The files kept aside in a folder, as "name=content".
QStringList keptAside(const QString &folder)
{
    QStringList out;
    for (const QString &name : QDir(folder).entryList({"*bewaard*"}, QDir::Files)) {
        QFile f(folder + "/" + name);
        out << name + "=" + (f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray());
    }
    return out;
}
} // namespace

TEST_P(StoreTest, CheckOutAndCheckInMoveTheContent)
{
    auto &p = bert->Projects();
    const qint32 id = addFile(*bert, "Rapport.txt", "versie 1", tekeningen);
    const QString local = localFile("bert", "Rapport.txt");
    EXPECT_EQ(p.GetProjectLocalFolder(id), workingRoot("bert") + "/Projecten/Tekeningen");

    ASSERT_TRUE(p.CheckOutProject(id, ""));
    EXPECT_EQ(readFile(local), "versie 1");
    writeFile(local, "versie 2");
    ASSERT_TRUE(p.CheckInProject(id, "", false));
    EXPECT_EQ(storedContent(id), "versie 2");
    EXPECT_TRUE(QFileInfo::exists(local)) << "kept when not asked to remove";
    if (embedded()) {
        EXPECT_EQ(QDir(root() + "/Projecten/Tekeningen").entryList(QDir::Hidden | QDir::Files).size(), 1);
    }

    // Checking out again over an identical working copy keeps it; removal on check-in.
    ASSERT_TRUE(p.CheckOutProject(id, ""));
    EXPECT_TRUE(keptAside(QFileInfo(local).path()).isEmpty());
    ASSERT_TRUE(p.CheckInProject(id, "", true));
    EXPECT_FALSE(QFileInfo::exists(local));
}

TEST_P(StoreTest, CheckOutAndUndoingItKeepADifferentLocalFileAside)
{
    const qint32 id = addFile(*bert, "Notitie.txt", "server", tekeningen);
    const QString local = localFile("bert", "Notitie.txt");
    writeFile(local, "mijn eigen wijziging");
    ASSERT_TRUE(bert->Projects().CheckOutProject(id, ""));
    EXPECT_EQ(readFile(local), "server");
    const QStringList aside = keptAside(QFileInfo(local).path());
    ASSERT_EQ(aside.size(), 1);
    EXPECT_TRUE(aside[0].startsWith("Notitie (bewaard ")) << aside[0].toStdString();
    EXPECT_TRUE(aside[0].endsWith(").txt=mijn eigen wijziging")) << aside[0].toStdString();

    // Undoing one's own check-out restores the server version and keeps the change too.
    writeFile(local, "half af");
    ASSERT_TRUE(bert->Projects().CancelCheckOut(id, "", true));
    EXPECT_EQ(readFile(local), "server");
    EXPECT_EQ(keptAside(QFileInfo(local).path()).filter("=half af").size(), 1);
    EXPECT_EQ(storedContent(id), "server");
    RecordsetPtr rs;
    EXPECT_FALSE(bert->Projects().GetProjectsOfUser(rs, "bert"));
}

TEST_P(StoreTest, AnAdministratorUndoingSomeoneElsesCheckOutLeavesTheirFiles)
{
    const qint32 id = addFile(*bert, "Tekening.txt", "server", tekeningen);
    ASSERT_TRUE(bert->Projects().CheckOutProject(id, ""));
    writeFile(localFile("bert", "Tekening.txt"), "bert werkt");
    ASSERT_TRUE(anna->Projects().CancelCheckOut(id, "vergeten", true));
    EXPECT_EQ(readFile(localFile("bert", "Tekening.txt")), "bert werkt")
        << "an administrator does not touch another user's files";
    RecordsetPtr h;
    ASSERT_TRUE(anna->Projects().GetProjectHistory(h, id));
    QString last;
    for (; !h->isEof(); h->moveNext())
        last = h->value("Description").toString() + ":" + h->value("Memo").toString();
    EXPECT_EQ(last, "In gebruik nemen ongedaan gemaakt:Voor bert. vergeten");
}

// The files of one dialog are decided each on its own: a file held by someone else or with a
// link where its working copy goes is refused and stays as it was, the others are checked
// out, small and large alike, and a file the user held already keeps its working copy.
TEST_P(StoreTest, ADialogsCheckOutDecidesEachFileOnItsOwn)
{
    const QByteArray large = QByteArray(5 << 19, 'g') + "einde"; // beyond what travels in one piece
    const qint32 small = addFile(*anna, "Klein.txt", "klein", tekeningen), big = addFile(*anna, "Groot.bin", large, tekeningen);
    const qint32 berts = addFile(*anna, "Van bert.txt", "b", tekeningen), linked = addFile(*anna, "Gelinkt.txt", "l", tekeningen);
    const qint32 own = addFile(*anna, "Eigen.txt", "e", tekeningen);
    ASSERT_TRUE(bert->Projects().CheckOutProject(berts, "") && anna->Projects().CheckOutProject(own, ""));
    writeFile(localFile("anna", "Eigen.txt"), "al gewijzigd");
    writeFile(m_dir.filePath("elders.txt"), "niet van de store");
    ASSERT_TRUE(QFile::link(m_dir.filePath("elders.txt"), localFile("anna", "Gelinkt.txt")));

    const qint32 above = addFile(*anna, "Boven.txt", "boven", projecten);

    // A file named twice is taken once and then held; one that does not exist is refused.
    auto &batch = dynamic_cast<ProjectBatch &>(anna->Projects());
    EXPECT_EQ(batch.CheckOutProjects({small, big, berts, linked, own, 999999, above, small}, "samen"),
              QList<bool>({true, true, false, false, true, false, true, true}));
    EXPECT_EQ(readFile(localFile("anna", "Klein.txt")), "klein");
    EXPECT_EQ(readFile(workingRoot("anna") + "/Projecten/Boven.txt"), "boven");
    EXPECT_EQ(readFile(localFile("anna", "Groot.bin")), large);
    EXPECT_EQ(readFile(localFile("anna", "Eigen.txt")), "al gewijzigd");
    EXPECT_EQ(readFile(m_dir.filePath("elders.txt")), "niet van de store");
    const std::pair<qint32, const char *> holders[] = {{small, "anna"}, {big, "anna"}, {berts, "bert"}, {linked, ""}, {own, "anna"}, {above, "anna"}};
    for (const auto &[id, holder] : holders) {
        RecordsetPtr info;
        ASSERT_TRUE(anna->Projects().GetProjectInfo(info, id));
        EXPECT_EQ(info->value("UserID").toString(), QString::fromUtf8(holder)) << id;
    }
    RecordsetPtr h;
    ASSERT_TRUE(anna->Projects().GetProjectHistory(h, small));
    int taken = 0;
    for (; !h->isEof(); h->moveNext())
        taken += h->value("Description").toString() == "In gebruik genomen";
    EXPECT_EQ(taken, 1) << "a file named twice is taken once";
    EXPECT_EQ(checkStore(), QStringList());
}
