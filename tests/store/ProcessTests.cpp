// Tests with more than one process. The parent test starts copies of this test program
// that run one of the disabled "child" tests below, told what to do through the
// environment.
#include "StoreFixture.h"

#include "admin/StoreCheck.h"

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

// Child: one operation as anna, on the file or location DW_CHILD_ID; DW_STORE_FAULT makes
// the store kill this process on the way.
TEST(StoreChild, DISABLED_Operation)
{
    if (!isChild())
        GTEST_SKIP();
    DwFileStoreSession s;
    ASSERT_TRUE(s.Connect(qEnvironmentVariable("DW_CHILD_STORE"), "anna", "anna", "Test", true));
    const QString op = qEnvironmentVariable("DW_CHILD_OP");
    const qint32 id = qEnvironmentVariableIntValue("DW_CHILD_ID");
    auto &p = s.Projects();
    QVariant newId;
    const bool ok = op == "checkin" ? p.CheckInProject(id, "", true)
        : op == "undo"              ? p.CancelCheckOut(id, "", true)
        : op == "add"               ? p.AddProject(qEnvironmentVariable("DW_CHILD_SOURCE"), id, QVariant(), true, true) > 0
        : op == "copy"              ? p.CopyProject(id, qEnvironmentVariableIntValue("DW_CHILD_TARGET"), "", newId)
        : op == "rename"            ? p.RenameProject(id, "Nieuw.txt")
        : op == "delete"            ? p.DeleteProject(id)
        : op == "folder-rename"     ? s.Locations().RenameLocation(id, "Nieuw")
                                    : s.Locations().DeleteLocation(id);
    EXPECT_TRUE(ok) << s.Database().LastError().toStdString();
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

TEST_F(StoreTest, AnOperationKilledAnywhereLeavesTheOldOrTheNewStateAfterTheNextConnect)
{
    struct Case {
        const char *op;
        const char *point;
        bool done; // the new state, else the old one
    };
    const Case cases[] = {
        {"checkin", "after-stage", false},   {"checkin", "before-commit", false}, {"checkin", "before-rename", true},
        {"checkin", "before-forget", true},  {"undo", "before-commit", false},    {"undo", "after-commit", true},
        {"add", "after-stage", false},       {"add", "before-rename", true},      {"copy", "before-commit", false},
        {"copy", "before-rename", true},     {"rename", "before-commit", false},  {"rename", "after-commit", true},
        {"delete", "before-commit", false},  {"delete", "after-commit", true},    {"folder-rename", "after-commit", true},
        {"folder-delete", "before-commit", false}, {"folder-delete", "after-commit", true},
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.op) + " killed at " + c.point);
        const QString op = c.op, name = QString("Plan%1.txt").arg(++n);
        const qint32 file = addFile(*anna, name, "oud", tekeningen);
        const qint32 folder = makeLocation(*anna, QString("Map%1").arg(n), projecten);
        if (op == "checkin" || op == "undo") {
            ASSERT_TRUE(anna->Projects().CheckOutProject(file, ""));
            writeFile(localFile("anna", name), "nieuw");
        }
        QMap<QString, QString> env{{"DW_CHILD_STORE", storeFolder()}, {"DW_CHILD_OP", op}, {"DW_STORE_FAULT", c.point},
                                   {"DW_CHILD_ID", QString::number(op.startsWith("folder") || op == "add" ? folder : file)},
                                   {"DW_CHILD_TARGET", QString::number(folder)}};
        if (op == "add")
            env["DW_CHILD_SOURCE"] = makeSource("Extra.txt", "extra");
        std::unique_ptr<QProcess> child(startChild("DISABLED_Operation", env));
        ASSERT_TRUE(child->waitForFinished(60000));
        EXPECT_EQ(child->exitStatus(), QProcess::CrashExit) << "the fault point must have fired";

        auto fresh = connect("anna"); // finishes or drops what the child left
        const QString folderPath = root() + QString("/Projecten/Map%1").arg(n);
        RecordsetPtr rs;
        const bool held = fresh->Projects().GetProjectsOfUser(rs, "anna");
        bool done = false;
        if (op == "checkin")
            done = !held && readFile(serverFile(name)) == "nieuw";
        else if (op == "undo")
            done = !held;
        else if (op == "add" || op == "copy")
            done = fresh->Projects().GetProjectsInLocation(rs, folder) && readFile(folderPath + "/" + (op == "add" ? "Extra.txt" : name)) != "<ontbreekt>";
        else if (op == "rename")
            done = fresh->Projects().GetProjectFileName(file) == "Nieuw.txt";
        else if (op == "delete")
            done = fresh->Projects().GetProjectFileName(file).isEmpty();
        else if (op == "folder-rename")
            done = fresh->Locations().GetLocationDescription(folder) == "Nieuw";
        else
            done = fresh->Locations().GetLocationDescription(folder).isEmpty();
        EXPECT_EQ(done, c.done);
        if (op == "checkin" && !done)
            EXPECT_EQ(readFile(serverFile(name)), "oud");
        EXPECT_EQ(StoreCheck(fresh->context()).check(), QStringList());
        // Clear the way for the next case.
        if (held)
            ASSERT_TRUE(fresh->Projects().CancelCheckOut(file, "", false));
        fresh->Projects().DeleteProject(file);
    }
}
