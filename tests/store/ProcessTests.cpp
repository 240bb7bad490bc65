// Tests with more than one process. The parent test starts copies of this test program
// that run one of the disabled "child" tests below, told what to do through the
// environment.
#include "StoreFixture.h"

#include "admin/StoreCheck.h"
#include "ProjectBatch.h"
#include "ProjectVersions.h"

#include <QCoreApplication>
#include <QDir>
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
        // The second copy of the same file is refused (its name is taken by the first).
        : op == "batch" ? dynamic_cast<ProjectBatch &>(p).CopyProjects({id, id}, qEnvironmentVariableIntValue("DW_CHILD_TARGET"), "")[0] > 0
        : op == "batch-delete"      ? dynamic_cast<ProjectBatch &>(p).DeleteProjects({id})[0]
        : op == "batch-checkout"    ? dynamic_cast<ProjectBatch &>(p).CheckOutProjects({id}, "")[0]
        : op == "restore"           ? dynamic_cast<ProjectVersions &>(p).RestoreProjectVersion(id, 1, "")
        : op == "rename"            ? p.RenameProject(id, "Nieuw.txt")
        : op == "delete"            ? p.DeleteProject(id)
        : op == "folder-rename"     ? s.Locations().RenameLocation(id, "Nieuw")
                                    : s.Locations().DeleteLocation(id);
    EXPECT_TRUE(ok) << s.Database().LastError().toStdString();
}

TEST_P(EmbeddedStoreTest, AnOperationKilledAnywhereLeavesTheOldOrTheNewStateAfterTheNextConnect)
{
    const struct {
        QString op;
        const char *point;
        bool done; // the new state, else the old one
    } cases[] = {
        {"checkin", "after-stage", false},   {"checkin", "before-commit", false}, {"checkin", "before-rename", true},
        {"checkin", "before-forget", true},  {"checkin", "after-keep", true},     {"undo", "before-commit", false},
        {"undo", "after-commit", true},      {"restore", "after-stage", false},   {"restore", "before-commit", false},
        {"restore", "after-keep", true},     {"restore", "before-rename", true},  {"restore", "before-forget", true},
        {"batch-checkout", "before-commit", false},
        {"add", "after-stage", false},       {"add", "before-rename", true},      {"copy", "before-commit", false},
        {"copy", "before-rename", true},     {"batch", "before-commit", false},   {"batch", "before-rename", true},
        {"batch", "before-forget", true},    {"batch-delete", "before-commit", false},
        {"batch-delete", "after-commit", true}, {"rename", "before-commit", false},  {"rename", "after-commit", true},
        {"delete", "before-commit", false},  {"delete", "after-commit", true},    {"folder-rename", "after-commit", true},
        {"folder-delete", "before-commit", false}, {"folder-delete", "after-commit", true},
    };
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.op.toStdString() + " killed at " + c.point);
        const QString name = QString("Plan%1.txt").arg(++n), op = c.op;
        const qint32 file = addFile(*anna, name, "oud", tekeningen), folder = makeLocation(*anna, name, projecten);
        if (op == "checkin" || op == "undo" || op == "restore") {
            ASSERT_TRUE(anna->Projects().CheckOutProject(file, ""));
            writeFile(localFile("anna", name), "nieuw");
        }
        if (op == "restore") {
            ASSERT_TRUE(anna->Projects().CheckInProject(file, "", true));
        }
        std::unique_ptr<QProcess> child(startChild(
            "DISABLED_Operation", {{"DW_CHILD_STORE", storeFolder()}, {"DW_CHILD_OP", op}, {"DW_STORE_FAULT", c.point},
                                   {"DW_CHILD_ID", QString::number(op.startsWith("folder") || op == "add" ? folder : file)},
                                   {"DW_CHILD_TARGET", QString::number(folder)},
                                   {"DW_CHILD_SOURCE", makeSource("Extra.txt", "extra")}}));
        ASSERT_TRUE(child->waitForFinished(60000));
        EXPECT_EQ(child->exitStatus(), QProcess::CrashExit) << "the fault point must have fired";

        auto fresh = connect("anna"); // finishes or drops what the child left
        auto &p = fresh->Projects();
        RecordsetPtr rs;
        const bool held = p.GetProjectsOfUser(rs, "anna");
        const bool done = op == "checkin" ? !held && readFile(serverFile(name)) == "nieuw"
            : op == "undo"               ? !held
            : op == "batch-checkout"     ? held
            : op == "restore"            ? readFile(serverFile(name)) == "oud"
            : op == "add" || op == "copy" || op == "batch" ? p.GetProjectsInLocation(rs, folder)
            : op == "rename"             ? p.GetProjectFileName(file) == "Nieuw.txt"
            : op == "delete" || op == "batch-delete" ? p.GetProjectFileName(file).isEmpty()
            : op == "folder-rename"      ? fresh->Locations().GetLocationDescription(folder) == "Nieuw"
                                         : fresh->Locations().GetLocationDescription(folder).isEmpty();
        EXPECT_EQ(done, c.done);
        if (op == "checkin" && !done)
            EXPECT_EQ(readFile(serverFile(name)), "oud");
        if (op == "restore" && !done) {
            EXPECT_EQ(readFile(serverFile(name)), "nieuw");
        }
        EXPECT_EQ(StoreCheck(fresh->context()).check(true), QStringList()) << "disk, database and contents agree";
        EXPECT_EQ(QDir(workingRoot("anna") + "/Projecten/Tekeningen").entryList({".dwtmp-*"}, QDir::Files | QDir::Hidden),
                  QStringList()) << "nothing half-made left in the working folder";
        if (held)
            ASSERT_TRUE(p.CancelCheckOut(file, "", false));
        p.DeleteProject(file);
    }
}

// Child: checks out every file of location DW_CHILD_ID, one by one, as DW_CHILD_USER, and
// writes the IDs it got to DW_CHILD_OUT.
TEST(StoreChild, DISABLED_CheckOutAll)
{
    if (!isChild())
        GTEST_SKIP();
    const QString user = qEnvironmentVariable("DW_CHILD_USER");
    DwFileStoreSession s;
    ASSERT_TRUE(s.Connect(qEnvironmentVariable("DW_CHILD_STORE"), user, user, qEnvironmentVariable("DW_CHILD_CATALOGUE"), true));
    RecordsetPtr rs;
    ASSERT_TRUE(s.Projects().GetProjectsInLocation(rs, qEnvironmentVariableIntValue("DW_CHILD_ID")));
    QList<qint32> ids;
    for (; !rs->isEof(); rs->moveNext())
        ids << rs->value("Projectid").toInt();
    rs.reset();
    QStringList got;
    for (qint32 id : ids) {
        if (s.Projects().CheckOutProject(id, "race"))
            got << QString::number(id);
    }
    QFile out(qEnvironmentVariable("DW_CHILD_OUT"));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(got.join(',').toUtf8());
}

TEST_P(StoreTest, TwoProcessesRacingOverTheSameFilesNeverShareOne)
{
    constexpr int Files = 1000;
    // The files are written straight into the folder and the database: adding them one by
    // one would only make the test slow.
    for (int i = 0; i < Files; ++i)
        writeFile(root() + QString("/Projecten/race %1.txt").arg(i), QByteArray::number(i));
    execAsOwner(QString("WITH RECURSIVE n (i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                        "INSERT INTO projects (location_id, file_name, name_key) "
                        "SELECT %2, 'race ' || i || '.txt', 'race ' || i || '.txt' FROM n")
                    .arg(Files - 1)
                    .arg(projecten)
                    .toUtf8());
    std::vector<std::unique_ptr<QProcess>> children;
    for (const QString user : {"anna", "bert"}) {
        children.emplace_back(startChild("DISABLED_CheckOutAll", {{"DW_CHILD_STORE", m_server}, {"DW_CHILD_CATALOGUE", m_catalogue},
                                                                  {"DW_CHILD_USER", user}, {"DW_CHILD_ID", QString::number(projecten)},
                                                                  {"DW_CHILD_OUT", m_dir.filePath(user + ".out")}}));
    }
    QList<QSet<QString>> got;
    for (auto &p : children) {
        ASSERT_TRUE(p->waitForFinished(240000));
        ASSERT_EQ(p->exitCode(), 0);
        const QStringList ids = QString(readFile(m_dir.filePath(got.isEmpty() ? "anna.out" : "bert.out"))).split(',', Qt::SkipEmptyParts);
        got << QSet<QString>(ids.begin(), ids.end());
    }
    EXPECT_EQ(got[0].size() + got[1].size(), Files);
    EXPECT_FALSE(got[0].intersects(got[1]));
    // A store answers no record set when bert holds nothing (he may have started too late).
    RecordsetPtr rs;
    int bertHolds = 0;
    if (anna->Projects().GetProjectsOfUser(rs, "bert") && rs)
        for (; !rs->isEof(); rs->moveNext())
            ++bertHolds;
    EXPECT_EQ(bertHolds, got[1].size());
}
