// Every content a file had: made by add, copy, check-in and restore, viewed and restored,
// pruned, shared between copies, and checked back against its hash.
#include "StoreFixture.h"

#include "ProjectBatch.h"
#include "ProjectVersions.h"
#include "StoreFolders.h"
#include "DwError.h"
#include "db/SqliteDb.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>

using namespace dwfm;
using namespace dwfm::store;

namespace {
QString sha256(const QByteArray &data)
{
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

ProjectVersions *versionsOf(DwFileStoreSession &s)
{
    return dynamic_cast<ProjectVersions *>(&s.Projects());
}

// A file's versions, newest first, as "number|hash|size|user|remark" plus " current" and
// " base" marks.
QStringList versionRows(DwFileStoreSession &s, qint32 id)
{
    QStringList rows;
    RecordsetPtr rs;
    if (!versionsOf(s)->GetProjectVersions(rs, id))
        return {s.Database().LastError()};
    for (; !rs->isEof(); rs->moveNext()) {
        rows << QStringLiteral("%1|%2|%3|%4|%5%6%7")
                    .arg(rs->value("Version").toInt())
                    .arg(rs->value("Hash").toString().left(8))
                    .arg(rs->value("Size").toLongLong())
                    .arg(rs->value("UserName").toString(), rs->value("Remark").toString(),
                         rs->value("IsCurrent").toBool() ? " current" : "", rs->value("IsCheckOutBase").toBool() ? " base" : "");
    }
    return rows;
}

QString row(int number, const QByteArray &content, const QString &user, const QString &remark, const char *marks = "")
{
    return QStringLiteral("%1|%2|%3|%4|%5%6").arg(number).arg(sha256(content).left(8)).arg(content.size()).arg(user, remark,
                                                                                                             marks);
}

QByteArray viewed(DwFileStoreSession &s, qint32 id, qint32 version)
{
    QString path;
    if (!versionsOf(s)->GetVersionViewCopy(id, version, path))
        return "<geweigerd>";
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<ontbreekt>");
}
} // namespace

class VersionTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        if (!IsSkipped() && !versionsOf(*anna))
            GTEST_SKIP() << "this store keeps no versions yet";
    }
    // A file bert added as "versie 1" and checked in `checkIns` times with "versie 2"...
    qint32 fileWithVersions(const QString &name, int checkIns)
    {
        const qint32 id = addFile(*bert, name, "versie 1", tekeningen);
        for (int n = 2; n <= checkIns + 1; ++n) {
            EXPECT_TRUE(bert->Projects().CheckOutProject(id, ""));
            writeFile(localFile("bert", name), "versie " + QByteArray::number(n));
            EXPECT_TRUE(bert->Projects().CheckInProject(id, QStringLiteral("stap %1").arg(n), true));
        }
        return id;
    }
    // Flips one byte of the stored content of version `version`: on the embedded store the
    // server file or the kept copy of an earlier version, on the server store the first
    // byte of the content's first chunk, as the database's administrator (the size stays).
    void damage(qint32 id, qint32 version, bool current)
    {
        if (!embedded()) {
            execAsOwner("UPDATE dw.chunks k SET data = set_byte(k.data, 0, get_byte(k.data, 0) # 32) FROM dw.versions v "
                        "WHERE v.project_id = " + QByteArray::number(id) + " AND v.version = " + QByteArray::number(version)
                        + " AND k.content_id = v.content_id AND k.seq = 0");
            return;
        }
        RecordsetPtr rs;
        ASSERT_TRUE(versionsOf(*anna)->GetProjectVersions(rs, id));
        while (rs->value("Version").toInt() != version)
            rs->moveNext();
        const QString hash = rs->value("Hash").toString();
        const QString path = current ? root() + "/" + anna->Projects().GetProjectLocationPath(id) + anna->Projects().GetProjectFileName(id)
                                     : StoreFolders::contentFolder(storeFolder(), "Test") + "/" + hash.left(2) + "/" + hash;
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite)) << path.toStdString();
        QByteArray data = f.readAll();
        data[0] = char(data[0] ^ 0x20);
        f.seek(0);
        f.write(data);
    }
};

INSTANTIATE_TEST_SUITE_P(Backends, VersionTest, ::testing::Values(Backend::Embedded, Backend::Server),
                         [](const auto &info) { return std::string(info.param == Backend::Embedded ? "Embedded" : "Server"); });

TEST_P(VersionTest, CheckInsMakeVersionsThatCanBeViewedAndRestored)
{
    const qint32 id = fileWithVersions("Rapport.txt", 3);
    EXPECT_EQ(versionRows(*anna, id), QStringList({row(4, "versie 4", "bert", "stap 4", " current"),
                                                   row(3, "versie 3", "bert", "stap 3"), row(2, "versie 2", "bert", "stap 2"),
                                                   row(1, "versie 1", "bert", "")}));
    for (int version = 1; version <= 4; ++version)
        EXPECT_EQ(viewed(*lezer, id, version), "versie " + QByteArray::number(version)) << version;
    EXPECT_EQ(viewed(*lezer, id, 9), "<geweigerd>");

    // Refused, and nothing changes: held by another user, a read-only user, the current
    // version, a version that does not exist.
    ASSERT_TRUE(bert->Projects().CheckOutProject(id, ""));
    writeFile(localFile("bert", "Rapport.txt"), "bert werkt");
    const QStringList before = snapshot();
    EXPECT_FALSE(versionsOf(*anna)->RestoreProjectVersion(id, 2, ""));
    EXPECT_TRUE(anna->Database().LastError().contains("bert")) << anna->Database().LastError().toStdString();
    EXPECT_FALSE(versionsOf(*lezer)->RestoreProjectVersion(id, 2, ""));
    EXPECT_FALSE(versionsOf(*bert)->RestoreProjectVersion(id, 4, ""));
    EXPECT_FALSE(versionsOf(*bert)->RestoreProjectVersion(id, 7, ""));
    EXPECT_EQ(snapshot(), before);

    // Free again: version 2 comes back as version 5, with a history row.
    ASSERT_TRUE(bert->Projects().CancelCheckOut(id, "", false));
    ASSERT_TRUE(versionsOf(*anna)->RestoreProjectVersion(id, 2, "")) << anna->Database().LastError().toStdString();
    EXPECT_EQ(versionRows(*anna, id).first(), row(5, "versie 2", "anna", "Versie 2 teruggezet", " current"));
    EXPECT_EQ(storedContent(id), "versie 2");
    EXPECT_EQ(viewed(*anna, id, 4), "versie 4") << "the replaced content is kept";
    RecordsetPtr h;
    ASSERT_TRUE(anna->Projects().GetProjectHistory(h, id));
    QString last;
    for (; !h->isEof(); h->moveNext())
        last = h->value("Description").toString() + "|" + h->value("UserName").toString();
    EXPECT_EQ(last, "Versie 2 teruggezet|anna");

    // The holder restores: the server's content changes, the check-out and the working copy stay.
    ASSERT_TRUE(bert->Projects().CheckOutProject(id, ""));
    writeFile(localFile("bert", "Rapport.txt"), "half af");
    ASSERT_TRUE(versionsOf(*bert)->RestoreProjectVersion(id, 3, "toch die"));
    EXPECT_EQ(storedContent(id), "versie 3");
    EXPECT_EQ(readFile(localFile("bert", "Rapport.txt")), "half af");
    EXPECT_EQ(versionRows(*bert, id).mid(0, 2), QStringList({row(6, "versie 3", "bert", "toch die", " current"),
                                                            row(5, "versie 2", "anna", "Versie 2 teruggezet", " base")}));
    ASSERT_TRUE(bert->Projects().CheckInProject(id, "", true));
    EXPECT_EQ(versionRows(*bert, id).first(), row(7, "half af", "bert", "", " current"));
    EXPECT_EQ(admin().check(true), QStringList());
}

TEST_P(VersionTest, PruningKeepsTheCurrentVersionAndAHoldersBaseAndRemovesContentNobodyUses)
{
    const qint32 id = fileWithVersions("Plan.txt", 3);
    // bert works from version 4; anna's restore is refused, bert's own makes version 5.
    ASSERT_TRUE(bert->Projects().CheckOutProject(id, ""));
    ASSERT_TRUE(versionsOf(*bert)->RestoreProjectVersion(id, 1, ""));
    const ContentTotals before = admin().storedContent();
    EXPECT_EQ(before.contents, 4);

    EXPECT_EQ(admin().prune(PruneRules{std::nullopt, 1}).versions, 0) << "nothing is a day old";
    const PruneResult pruned = admin().prune(PruneRules{1, std::nullopt});
    EXPECT_EQ(pruned.versions, 3);
    // Version 1's content is version 5's, so only those of versions 2 and 3 go.
    EXPECT_EQ(pruned.contents, 2);
    EXPECT_EQ(pruned.bytes, 2 * 8);
    EXPECT_EQ(versionRows(*anna, id), QStringList({row(5, "versie 1", "bert", "Versie 1 teruggezet", " current"),
                                                   row(4, "versie 4", "bert", "stap 4", " base")}));
    EXPECT_EQ(viewed(*anna, id, 4), "versie 4");
    EXPECT_EQ(admin().storedContent().contents, 2);
    EXPECT_EQ(admin().check(true), QStringList());

    // Released, the base is an old version like the others.
    ASSERT_TRUE(bert->Projects().CancelCheckOut(id, "", false));
    EXPECT_EQ(admin().prune(PruneRules{1, std::nullopt}).versions, 1);
    EXPECT_EQ(versionRows(*anna, id).size(), 1);
    EXPECT_THROW(admin().prune(PruneRules{-1, std::nullopt}), DwError);
}

TEST_P(VersionTest, CopiesAndPastesAddNoContent)
{
    QList<qint32> files;
    for (int i = 0; i < 20; ++i)
        files << addFile(*bert, QString("Deel %1.txt").arg(i), "inhoud " + QByteArray::number(i % 5), tekeningen);
    const ContentTotals before = admin().storedContent();
    EXPECT_EQ(before.contents, 5) << "identical contents are kept once";
    const qint32 doel = makeLocation(*bert, "Doel", projecten);
    QVariant copy;
    ASSERT_TRUE(bert->Projects().CopyProject(files[3], projecten, "losse kopie", copy));
    const QList<qint32> pasted = dynamic_cast<ProjectBatch &>(bert->Projects()).CopyProjects(files, doel, "");
    EXPECT_EQ(pasted.count(-1), 0);
    EXPECT_EQ(admin().storedContent().contents, before.contents);
    EXPECT_EQ(admin().storedContent().bytes, before.bytes);
    EXPECT_EQ(versionRows(*bert, copy.toInt()), QStringList({row(1, "inhoud 3", "bert", "losse kopie", " current")}));
    EXPECT_EQ(versionRows(*bert, pasted[7]), QStringList({row(1, "inhoud 2", "bert", "", " current")}));
    // A deleted file takes only what nobody else uses along.
    ASSERT_TRUE(bert->Projects().DeleteProject(files[4]));
    EXPECT_EQ(admin().storedContent().contents, before.contents);
}

TEST_P(VersionTest, ADeepCheckFindsAFlippedByteAndRepairMendsOnlyFromAGoodCopy)
{
    const qint32 id = fileWithVersions("Tekst.txt", 1);
    QVariant copy;
    ASSERT_TRUE(bert->Projects().CopyProject(id, projecten, "", copy));
    damage(id, 1, false);          // the only copy of version 1
    damage(copy.toInt(), 1, true); // the copy's content: on the server the one Tekst.txt shares
    EXPECT_EQ(admin().check(false), QStringList()) << "sizes alone do not show it";
    const QStringList found = admin().check(true);
    EXPECT_EQ(found.filter("Beschadigde inhoud").size(), 2) << found.join('\n').toStdString();
    EXPECT_EQ(viewed(*bert, id, 1), "<geweigerd>") << "damaged content is not handed out";
    const QStringList before = snapshot();
    EXPECT_FALSE(versionsOf(*bert)->RestoreProjectVersion(id, 1, ""));
    EXPECT_EQ(snapshot(), before);
    if (!embedded()) {
        // Stored once, so nothing to mend from: both are reported, neither is changed, and
        // the shared content is refused to a check-out too.
        EXPECT_FALSE(bert->Projects().CheckOutProject(id, ""));
        const QStringList done = admin().repair(true);
        EXPECT_EQ(done.filter("Niet te herstellen").size(), 2) << done.join('\n').toStdString();
        EXPECT_EQ(snapshot(), before);
        EXPECT_EQ(admin().check(true).filter("Beschadigde inhoud").size(), 2);
        return;
    }

    const QStringList done = admin().repair(true);
    EXPECT_EQ(done.filter("Niet te herstellen").size(), 1) << done.join('\n').toStdString();
    EXPECT_EQ(done.filter("Hersteld uit").size(), 1) << done.join('\n').toStdString();
    EXPECT_EQ(readFile(root() + "/Projecten/Tekst.txt"), "versie 2");
    EXPECT_EQ(admin().check(true).size(), 1) << "what has no good copy stays as it is";
}

TEST_P(EmbeddedStoreTest, AStoreFromBeforeVersionsGetsVersionOneOfEachFileAndItsHashWhenFirstNeeded)
{
    const qint32 a = addFile(*bert, "A.txt", "oud A", tekeningen), b = addFile(*bert, "B.txt", "oud B", tekeningen);
    ASSERT_TRUE(bert->Projects().CheckOutProject(b, ""));
    // The store as the code before versions left it.
    SqliteDb::open(StoreFolders::databasePath(storeFolder(), "Test"), false)
        ->exec("DROP TABLE versions; ALTER TABLE projects DROP COLUMN version; "
               "ALTER TABLE projects DROP COLUMN checkout_version; ALTER TABLE pending_work DROP COLUMN keep_path; "
               "UPDATE store_info SET value = '3' WHERE key = 'schema_version'");
    auto upgraded = connect("bert");
    EXPECT_EQ(versionRows(*upgraded, a), QStringList({"1||5|bert| current"}));
    EXPECT_EQ(versionRows(*upgraded, b), QStringList({"1||5|bert| current base"}));
    EXPECT_EQ(admin().check(false), QStringList());
    EXPECT_EQ(admin().check(true).filter("Nog zonder controlesom").size(), 2);

    // The first check-in keeps the old content and reads its hash on the way.
    auto &p = upgraded->Projects();
    ASSERT_TRUE(p.CheckOutProject(a, ""));
    writeFile(localFile("bert", "A.txt"), "nieuw");
    ASSERT_TRUE(p.CheckInProject(a, "", true)) << upgraded->Database().LastError().toStdString();
    EXPECT_EQ(versionRows(*upgraded, a), QStringList({row(2, "nieuw", "bert", "", " current"), row(1, "oud A", "bert", "")}));
    EXPECT_EQ(viewed(*upgraded, a, 1), "oud A");
    EXPECT_EQ(admin().repair(true).filter("Controlesom berekend").size(), 1);
    EXPECT_EQ(admin().check(true), QStringList());
}
