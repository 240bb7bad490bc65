// Tests with more than one process. The parent test starts copies of this test program
// that run one of the disabled "child" tests below, told what to do through the
// environment.
#include "StoreFixture.h"

#include "PgCluster.h"
#include "ProjectBatch.h"
#include "ProjectVersions.h"
#include "fs/FaultInjection.h"
#include "pg/PgConnection.h"
#include "pg/PgServices.h"
#include "pg/PgSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSet>
#include <QTest>

#include <functional>

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
    ASSERT_TRUE(s.Connect(qEnvironmentVariable("DW_CHILD_STORE"), "anna", "anna", qEnvironmentVariable("DW_CHILD_CATALOGUE"), true));
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

TEST_P(StoreTest, AnOperationKilledAnywhereLeavesTheOldOrTheNewStateAfterTheNextConnect)
{
    // Where a backend has no such step (the server has no disk steps after its commit) the
    // case is left out.
    enum Where { Both, EmbeddedOnly, ServerOnly };
    const struct {
        QString op;
        const char *point;
        bool done; // the new state, else the old one
        Where where;
    } cases[] = {
        {"checkin", "after-stage", false, Both},        {"checkin", "before-commit", false, Both},
        {"checkin", "before-rename", true, EmbeddedOnly}, {"checkin", "before-forget", true, EmbeddedOnly},
        {"checkin", "after-keep", true, EmbeddedOnly},  {"checkin", "after-commit", true, ServerOnly},
        {"undo", "before-commit", false, Both},         {"undo", "after-commit", true, Both},
        {"add", "after-stage", false, Both},            {"add", "before-rename", true, EmbeddedOnly},
        {"add", "before-commit", false, ServerOnly},    {"add", "after-commit", true, ServerOnly},
        {"copy", "before-commit", false, Both},         {"copy", "before-rename", true, EmbeddedOnly},
        {"copy", "after-commit", true, ServerOnly},     {"batch", "before-commit", false, Both},
        {"batch", "before-rename", true, EmbeddedOnly}, {"batch", "before-forget", true, EmbeddedOnly},
        {"batch", "after-commit", true, ServerOnly},    {"batch-delete", "before-commit", false, Both},
        {"batch-delete", "after-commit", true, Both},   {"rename", "before-commit", false, Both},
        {"rename", "after-commit", true, Both},         {"delete", "before-commit", false, Both},
        {"delete", "after-commit", true, Both},         {"folder-rename", "before-commit", false, ServerOnly},
        {"folder-rename", "after-commit", true, Both},  {"folder-delete", "before-commit", false, Both},
        {"folder-delete", "after-commit", true, Both},  {"restore", "after-stage", false, EmbeddedOnly},
        {"restore", "before-commit", false, Both},      {"restore", "after-keep", true, EmbeddedOnly},
        {"restore", "before-rename", true, EmbeddedOnly}, {"restore", "before-forget", true, EmbeddedOnly},
        {"restore", "after-commit", true, ServerOnly},  {"batch-checkout", "before-commit", false, Both},
        {"batch-checkout", "after-commit", true, ServerOnly},
    };
    int n = 0;
    for (const auto &c : cases) {
        if (c.where == (embedded() ? ServerOnly : EmbeddedOnly))
            continue;
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
            "DISABLED_Operation", {{"DW_CHILD_STORE", m_server}, {"DW_CHILD_CATALOGUE", m_catalogue}, {"DW_CHILD_OP", op},
                                   {"DW_STORE_FAULT", c.point},
                                   {"DW_CHILD_ID", QString::number(op.startsWith("folder") || op == "add" ? folder : file)},
                                   {"DW_CHILD_TARGET", QString::number(folder)},
                                   {"DW_CHILD_SOURCE", makeSource("Extra.txt", "extra")}}));
        ASSERT_TRUE(child->waitForFinished(60000));
        EXPECT_EQ(child->exitStatus(), QProcess::CrashExit) << "the fault point must have fired";

        auto fresh = connect("anna"); // finishes or drops what the child left
        auto &p = fresh->Projects();
        RecordsetPtr rs;
        const bool held = p.GetProjectsOfUser(rs, "anna");
        const bool done = op == "checkin" ? !held && storedContent(file) == "nieuw"
            : op == "undo"               ? !held
            : op == "batch-checkout"     ? held
            : op == "restore"            ? storedContent(file) == "oud"
            : op == "add" || op == "copy" || op == "batch" ? p.GetProjectsInLocation(rs, folder)
            : op == "rename"             ? p.GetProjectFileName(file) == "Nieuw.txt"
            : op == "delete" || op == "batch-delete" ? p.GetProjectFileName(file).isEmpty()
            : op == "folder-rename"      ? fresh->Locations().GetLocationDescription(folder) == "Nieuw"
                                         : fresh->Locations().GetLocationDescription(folder).isEmpty();
        EXPECT_EQ(done, c.done);
        if ((op == "checkin" || op == "batch-checkout") && !done) {
            EXPECT_EQ(storedContent(file), "oud");
        }
        if (op == "restore" && !done) {
            EXPECT_EQ(storedContent(file), "nieuw");
        }
        EXPECT_EQ(checkStore(true), QStringList()) << "disk, database and contents agree";
        EXPECT_EQ(QDir(workingRoot("anna") + "/Projecten/Tekeningen").entryList({".dwtmp-*"}, QDir::Files | QDir::Hidden),
                  QStringList()) << "nothing half-made left in the working folder";
        if (held) {
            ASSERT_TRUE(p.CancelCheckOut(file, "", false));
        }
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
    // The files are written straight into the store: adding them one by one would only make
    // the test slow.
    execAsOwner(QString("WITH RECURSIVE n (i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                        "INSERT INTO projects (location_id, file_name, name_key) "
                        "SELECT %2, 'race ' || i || '.txt', 'race ' || i || '.txt' FROM n")
                    .arg(Files - 1)
                    .arg(projecten)
                    .toUtf8());
    if (embedded()) {
        for (int i = 0; i < Files; ++i)
            writeFile(root() + QString("/Projecten/race %1.txt").arg(i), QByteArray::number(i));
    } else {
        execAsOwner(PgCluster::contentFromNamesSql());
    }
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

namespace {
// Counts the other connections to the store's database in a state `where` describes.
qint64 otherBackends(pg::PgConnection &owner, const char *where)
{
    return owner
        .exec((QByteArray("SELECT count(*) FROM pg_stat_activity WHERE datname = current_database() "
                          "AND pid <> pg_backend_pid() AND ") + where).constData())
        .int64(0, 0);
}

std::function<void(const char *)> atPoint;
void runHook(const char *name)
{
    if (atPoint)
        atPoint(name);
}

// Runs `change` in this process; just before it commits, a child (as anna) starts `op` on
// file `id` and `meanwhile` waits for what should become of it. Answers the child, finished.
std::unique_ptr<QProcess> raceAtCommit(const QString &server, const QString &catalogue, const char *op, qint32 id,
                                       const std::function<void(QProcess &)> &meanwhile, const std::function<void()> &change)
{
    std::unique_ptr<QProcess> child;
    FaultInjection::setHook(runHook);
    atPoint = [&](const char *name) {
        if (qstrcmp(name, "before-commit") != 0 || child)
            return;
        child.reset(startChild("DISABLED_Operation", {{"DW_CHILD_STORE", server}, {"DW_CHILD_CATALOGUE", catalogue},
                                                      {"DW_CHILD_OP", op}, {"DW_CHILD_ID", QString::number(id)}}));
        meanwhile(*child);
    };
    change();
    atPoint = nullptr;
    FaultInjection::setHook(nullptr);
    if (child && child->state() != QProcess::NotRunning)
        child->waitForFinished(60000);
    return child;
}
} // namespace

TEST_P(ServerStoreTest, AClientKilledInTheMiddleOfAnUploadLeavesNothingAndTheServerCleansUp)
{
    const qint32 file = addFile(*anna, "Groot.bin", "oud", tekeningen);
    ASSERT_TRUE(anna->Projects().CheckOutProject(file, ""));
    const QByteArray newer(8 << 20, 'n');
    writeFile(localFile("anna", "Groot.bin"), newer);
    pg::PgConnection owner(pg::PgSession::conninfo(m_server, m_catalogue, QString(), QString()));
    const auto stored = [&] {
        return owner.exec("SELECT pg_relation_size(reltoastrelid) FROM pg_class WHERE oid = 'dw.chunks'::regclass").int64(0, 0);
    };
    const qint64 empty = stored();
    const QStringList before = snapshot();

    std::unique_ptr<QProcess> child(startChild("DISABLED_Operation", {{"DW_CHILD_STORE", m_server}, {"DW_CHILD_CATALOGUE", m_catalogue},
                                                                      {"DW_CHILD_OP", "checkin"}, {"DW_STORE_FAULT", "after-chunk"},
                                                                      {"DW_CHILD_ID", QString::number(file)}}));
    ASSERT_TRUE(child->waitForFinished(60000));
    EXPECT_EQ(child->exitStatus(), QProcess::CrashExit) << "killed after its first chunk";
    // The server rolls the transaction back as soon as it sees the connection closed.
    EXPECT_TRUE(QTest::qWaitFor([&] { return otherBackends(owner, "xact_start IS NOT NULL") == 0; }, 10000));
    EXPECT_EQ(snapshot(), before) << "nothing of the upload is there, not even for the owner";
    EXPECT_GE(stored(), empty + (512 << 10)) << "yet its chunk was written";
    owner.exec("VACUUM dw.chunks");
    EXPECT_LT(stored(), empty + (512 << 10)) << "and the server's clean-up gives the space back";
    ASSERT_TRUE(anna->Projects().CheckInProject(file, "", true)) << anna->Database().LastError().toStdString();
    EXPECT_EQ(storedContent(file), newer);
}

// One user renames a file while another deletes it: the rename holds the file until its
// commit, the deletion waits for it and then deletes the renamed file. Both answer True and
// the store keeps nothing of the file.
TEST_P(ServerStoreTest, ARenameRacingADeleteOfTheSameFileLeavesOneOutcome)
{
    const qint32 file = addFile(*bert, "Plan.txt", "inhoud", tekeningen);
    const qint64 contents = admin().storedContent().contents;
    pg::PgConnection owner(pg::PgSession::conninfo(m_server, m_catalogue, QString(), QString()));
    const auto child = raceAtCommit(
        m_server, m_catalogue, "delete", file,
        [&](QProcess &) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return otherBackends(owner, "wait_event_type = 'Lock'") == 1; }, 30000))
                << "the deletion waits for the rename";
        },
        [&] { EXPECT_TRUE(bert->Projects().RenameProject(file, "Nieuw.txt")) << bert->Database().LastError().toStdString(); });
    ASSERT_TRUE(child && child->state() == QProcess::NotRunning);
    EXPECT_EQ(child->exitCode(), 0) << "the deletion answered True too";
    EXPECT_TRUE(bert->Projects().GetProjectFileName(file).isEmpty());
    EXPECT_EQ(admin().storedContent().contents, contents - 1);
    EXPECT_EQ(checkStore(true), QStringList());
}

// Two users delete the two files that share one content at the same moment: each sees the
// other's file still using it until that one commits, so the content must not be judged by
// both before either commits. The second waits for the first and takes it along.
TEST_P(ServerStoreTest, TwoFilesSharingAContentDeletedAtOnceTakeTheContentAlong)
{
    const qint32 file = addFile(*bert, "Plan.txt", "gedeelde inhoud", tekeningen);
    QVariant copy;
    ASSERT_TRUE(bert->Projects().CopyProject(file, projecten, "", copy));
    const qint64 contents = admin().storedContent().contents;
    pg::PgConnection owner(pg::PgSession::conninfo(m_server, m_catalogue, QString(), QString()));
    const auto child = raceAtCommit(
        m_server, m_catalogue, "delete", copy.toInt(),
        [&](QProcess &other) {
            // Unguarded, the other deletion is done before this one commits.
            QTest::qWaitFor([&] { return otherBackends(owner, "wait_event_type = 'Lock'") == 1 || other.state() == QProcess::NotRunning; },
                            30000);
        },
        [&] { EXPECT_TRUE(bert->Projects().DeleteProject(file)) << bert->Database().LastError().toStdString(); });
    ASSERT_TRUE(child && child->state() == QProcess::NotRunning);
    EXPECT_EQ(child->exitCode(), 0) << "the other deletion answered True too";
    EXPECT_EQ(admin().storedContent().contents, contents - 1);
    EXPECT_EQ(checkStore(), QStringList());
}
