// Tests with more than one process. The parent test starts copies of this test program
// that run one of the disabled "child" tests below, told what to do through the
// environment.
#include "StoreFixture.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSet>

using namespace dwfm;
using namespace dwfm::store;

namespace {
QProcess *startChild(const char *test, const QMap<QString, QString> &env)
{
    auto *p = new QProcess;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (auto it = env.begin(); it != env.end(); ++it)
        e.insert(it.key(), it.value());
    p->setProcessEnvironment(e);
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->start(QCoreApplication::applicationFilePath(),
             {QStringLiteral("--gtest_also_run_disabled_tests"), QStringLiteral("--gtest_filter=StoreChild.") + test});
    return p;
}

bool isChild()
{
    return qEnvironmentVariableIsSet("DW_CHILD_STORE");
}
} // namespace

// Child: checks out every file of the location, one by one, and writes the IDs it got.
TEST(StoreChild, DISABLED_CheckOutAll)
{
    if (!isChild())
        GTEST_SKIP();
    const QString user = qEnvironmentVariable("DW_CHILD_USER");
    DwFileStoreSession s;
    ASSERT_TRUE(s.Connect(qEnvironmentVariable("DW_CHILD_STORE"), user, user, "Test", true));
    RecordsetPtr rs;
    ASSERT_TRUE(s.Projects().GetProjectsInLocation(rs, qEnvironmentVariableIntValue("DW_CHILD_LOCATION")));
    QList<qint32> ids;
    for (; !rs->isEof(); rs->moveNext())
        ids << rs->value("Projectid").toInt();
    QStringList got;
    for (qint32 id : ids) {
        if (s.Projects().CheckOutProject(id, "race"))
            got << QString::number(id);
    }
    QFile out(qEnvironmentVariable("DW_CHILD_OUT"));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(got.join(',').toUtf8());
}

// Child: checks in one file; DW_STORE_FAULT makes the store kill this process on the way.
TEST(StoreChild, DISABLED_CheckIn)
{
    if (!isChild())
        GTEST_SKIP();
    DwFileStoreSession s;
    ASSERT_TRUE(s.Connect(qEnvironmentVariable("DW_CHILD_STORE"), "bert", "bert", "Test", true));
    EXPECT_TRUE(s.Projects().CheckInProject(qEnvironmentVariableIntValue("DW_CHILD_FILE"), "", false));
}

TEST_F(StoreTest, TwoProcessesRacingForTheSameFilesNeverBothHoldOne)
{
    constexpr int Files = 150;
    QSet<qint32> all;
    for (int i = 0; i < Files; ++i)
        all << addFile(*anna, QString("bestand %1.txt").arg(i), QByteArray::number(i), tekeningen);

    QMap<QString, QString> env{{"DW_CHILD_STORE", storeFolder()}, {"DW_CHILD_LOCATION", QString::number(tekeningen)}};
    env["DW_CHILD_USER"] = "anna";
    env["DW_CHILD_OUT"] = m_dir.filePath("anna.out");
    std::unique_ptr<QProcess> first(startChild("DISABLED_CheckOutAll", env));
    env["DW_CHILD_USER"] = "bert";
    env["DW_CHILD_OUT"] = m_dir.filePath("bert.out");
    std::unique_ptr<QProcess> second(startChild("DISABLED_CheckOutAll", env));
    ASSERT_TRUE(first->waitForFinished(90000));
    ASSERT_TRUE(second->waitForFinished(90000));
    ASSERT_EQ(first->exitCode(), 0);
    ASSERT_EQ(second->exitCode(), 0);

    const auto got = [this](const char *user) {
        QSet<qint32> ids;
        for (const QByteArray &id : readFile(m_dir.filePath(QString(user) + ".out")).split(','))
            if (!id.isEmpty())
                ids << id.toInt();
        return ids;
    };
    const QSet<qint32> annas = got("anna"), berts = got("bert");
    EXPECT_TRUE(QSet<qint32>(annas).intersect(berts).isEmpty());
    EXPECT_EQ(QSet<qint32>(annas).unite(berts), all);

    // The database and the working folders agree with what each process was told.
    RecordsetPtr rs;
    ASSERT_TRUE(anna->Projects().GetProjectsInLocation(rs, tekeningen));
    for (; !rs->isEof(); rs->moveNext()) {
        const qint32 id = rs->value("Projectid").toInt();
        const QString holder = rs->value("UserID").toString();
        EXPECT_EQ(holder, annas.contains(id) ? "anna" : "bert");
        const QString name = "/Projecten/Tekeningen/" + rs->value("FileName").toString();
        EXPECT_TRUE(QFileInfo::exists(workingRoot(holder) + name));
        EXPECT_FALSE(QFileInfo::exists(workingRoot(holder == "anna" ? "bert" : "anna") + name));
    }
}

TEST_F(StoreTest, ACheckInKilledBeforeTheRenameLeavesTheOldVersion)
{
    const qint32 id = addFile(*bert, "Contract.txt", "oude versie", tekeningen);
    ASSERT_TRUE(bert->Projects().CheckOutProject(id, ""));
    writeFile(localFile("bert", "Contract.txt"), QByteArray(1 << 20, 'n'));

    std::unique_ptr<QProcess> child(startChild("DISABLED_CheckIn", {{"DW_CHILD_STORE", storeFolder()},
                                                                     {"DW_CHILD_FILE", QString::number(id)},
                                                                     {"DW_STORE_FAULT", "before-rename"}}));
    ASSERT_TRUE(child->waitForFinished(60000));
    EXPECT_EQ(child->exitStatus(), QProcess::CrashExit) << "the fault point must have fired";

    EXPECT_EQ(readFile(serverFile("Contract.txt")), "oude versie");
    auto fresh = connect("bert");
    QString view;
    ASSERT_TRUE(fresh->Projects().GetViewCopy(id, view));
    EXPECT_EQ(readFile(view), "oude versie");
    RecordsetPtr rs;
    ASSERT_TRUE(fresh->Projects().GetProjectsOfUser(rs, "bert")) << "still checked out";

    // The same check-in without the fault completes.
    ASSERT_TRUE(fresh->Projects().CheckInProject(id, "", false));
    EXPECT_EQ(readFile(serverFile("Contract.txt")), QByteArray(1 << 20, 'n'));
}
