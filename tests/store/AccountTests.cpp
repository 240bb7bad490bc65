// Who may log in: passwords that never show on a command line, in the server's statement
// log or in a file, roles that stay with their store, users that can be removed, and
// sessions that cannot hold the others.
#include "PgCluster.h"
#include "StoreFixture.h"

#include "pg/PgAdmin.h"
#include "pg/PgConnection.h"
#include "pg/PgSession.h"
#include "DwError.h"

#include <QDirIterator>
#include <QProcess>
#include <QRandomGenerator>

using namespace dwfm;
using namespace dwfm::store;

namespace {
// Runs dwstore; answers its exit code and what it said on standard error.
std::pair<int, QString> dwstore(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(DWSTORE_PROGRAM), args);
    p.waitForFinished(120000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
}

std::unique_ptr<pg::PgConnection> login(const QString &server, const QString &database, const QString &user,
                                        const QString &password)
{
    return std::make_unique<pg::PgConnection>(pg::PgSession::conninfo(server, database, user, password));
}
} // namespace

TEST_P(StoreTest, ANewPasswordIsNeverOnACommandLineInTheServerLogOrInAFile)
{
    const QString secret = QStringLiteral("Kwartel-%1").arg(QRandomGenerator::global()->generate(), 0, 16);
    const QStringList store{embedded() ? "--store" : "--server", m_server, "--catalog", m_catalogue};
    const auto [typed, refusal] = dwstore(store + QStringList{"user", "add", "dirk", "--password", secret});
    EXPECT_EQ(typed, 2);
    EXPECT_TRUE(refusal.contains("hoort niet op de opdrachtregel")) << refusal.toStdString();

    QProcess adding;
    adding.start(QStringLiteral(DWSTORE_PROGRAM), store + QStringList{"user", "add", "dirk", "--password-stdin"});
    ASSERT_TRUE(adding.waitForStarted());
    QProcess ps;
    ps.start("ps", {"-eo", "args"});
    ASSERT_TRUE(ps.waitForFinished());
    const QByteArray processes = ps.readAllStandardOutput();
    EXPECT_TRUE(processes.contains("user add dirk --password-stdin")); // dwstore waits for the password
    adding.write(secret.toUtf8() + "\n");
    adding.closeWriteChannel();
    ASSERT_TRUE(adding.waitForFinished(120000));
    EXPECT_EQ(adding.exitCode(), 0) << adding.readAllStandardError().toStdString();
    EXPECT_FALSE(processes.contains(secret.toUtf8()));

    DwFileStoreSession dirk;
    EXPECT_TRUE(dirk.Connect(m_server, "dirk", secret, m_catalogue, true)) << dirk.Database().LastError().toStdString();
    QStringList written{PgCluster::logFile()}; // and everything in the test's home, the store's folders within
    for (QDirIterator it(QDir::homePath(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        written << it.next();
    for (const QString &file : written)
        EXPECT_FALSE(readFile(file).contains(secret.toUtf8())) << file.toStdString();
    if (!embedded()) {
        const auto dba = login(m_server, m_catalogue, QString(), QString());
        EXPECT_TRUE(dba->exec("SELECT rolpassword FROM pg_authid WHERE rolname = 'dirk'").text(0, 0).startsWith("SCRAM-SHA-256$"));
    }
}

TEST_P(ServerStoreTest, AnotherStoresAdministratorCannotTakeOverOurRoles)
{
    const QString other = m_catalogue + "_ander";
    pg::PgAdmin otherAdmin(m_server, other);
    otherAdmin.createStore();
    otherAdmin.addUser("olga", {.password = QString("olga"), .admin = true});

    // The database administrator, asked to make our anna a user of the other store too:
    // that would set her password there. Refused, and she is as she was.
    try {
        otherAdmin.addUser("anna", {.password = QString("overgenomen")});
        ADD_FAILURE() << "our role was taken up by another store";
    } catch (const DwError &e) {
        EXPECT_TRUE(e.description().contains("die niet bij deze store hoort")) << e.description().toStdString();
    }
    // Olga with her own login, as with psql.
    const auto olgaSql = login(m_server, other, "olga", "olga");
    for (const QString &sql : QStringList{"ALTER ROLE anna PASSWORD 'overgenomen'", "GRANT " + other + "_users TO anna",
                                          "SET ROLE anna", "GRANT " + m_catalogue + "_users TO olga", "ALTER ROLE olga CREATEROLE"}) {
        EXPECT_THROW(olgaSql->exec(sql.toUtf8().constData()), DwError) << sql.toStdString();
    }
    DwFileStoreSession s;
    EXPECT_FALSE(s.Connect(m_server, "olga", "olga", m_catalogue, true));
    EXPECT_TRUE(s.Connect(m_server, "anna", "anna", m_catalogue, true)) << s.Database().LastError().toStdString();
    EXPECT_FALSE(s.Connect(m_server, "anna", "overgenomen", other, true));
    otherAdmin.dropStore();

    // The demo, whose users get known passwords, touches no role that exists.
    login(m_server, m_catalogue, QString(), QString())->exec("CREATE ROLE collega LOGIN PASSWORD 'eigen'");
    const auto [demo, refusal] = dwstore({"--server", m_server, "--catalog", "demo_" + m_catalogue, "demo"});
    EXPECT_EQ(demo, 1);
    EXPECT_TRUE(refusal.contains("De demo wijzigt geen bestaande rollen")) << refusal.toStdString();
    EXPECT_FALSE(pg::PgAdmin(m_server, "demo_" + m_catalogue).exists());
    EXPECT_NO_THROW(login(m_server, "postgres", "collega", "eigen"));
    login(m_server, m_catalogue, QString(), QString())->exec("DROP ROLE collega");
}

TEST_P(StoreTest, RemovingAUserReleasesOrKeepsTheirCheckOutsAndEndsTheirLogin)
{
    const qint32 bertsFile = addFile(*bert, "Van bert.txt", "b", tekeningen);
    ASSERT_TRUE(bert->Projects().CheckOutProject(bertsFile, "bezig"));
    const QStringList before = snapshot();
    EXPECT_THROW(admin().removeUser("bert", HeldFiles::Undecided), DwError);
    EXPECT_EQ(snapshot(), before);

    EXPECT_EQ(admin().removeUser("bert", HeldFiles::Release).released, 1);
    RecordsetPtr rs;
    ASSERT_TRUE(anna->Projects().GetProjectInfo(rs, bertsFile));
    EXPECT_FALSE(rs->value("CheckedOut").toBool());
    ASSERT_TRUE(anna->Projects().GetProjectHistory(rs, bertsFile));
    QStringList history;
    for (; !rs->isEof(); rs->moveNext())
        history << rs->value("Memo").toString();
    EXPECT_TRUE(history.contains("Voor bert. Gebruiker verwijderd.")) << history.join(" | ").toStdString();
    DwFileStoreSession gone;
    EXPECT_FALSE(gone.Connect(m_server, "bert", "bert", m_catalogue, true));
    EXPECT_FALSE(admin().nameTaken("bert"));

    // Kept: the file stays in the removed user's name, for an administrator to undo.
    const qint32 annasFile = addFile(*anna, "Van anna.txt", "a", tekeningen);
    ASSERT_TRUE(anna->Projects().CheckOutProject(annasFile, QString()));
    const RemovedUser kept = admin().removeUser("anna", HeldFiles::Keep);
    EXPECT_EQ(kept.kept, 1);
    ASSERT_TRUE(lezer->Projects().GetProjectInfo(rs, annasFile));
    EXPECT_EQ(rs->value("UserID").toString(), "anna");
}

// A user who opens a transaction, takes a file's row through a function and waits, with
// the time-outs of their own session turned off, holds another user's check-out no longer
// than the store's time-outs: the waiting check-out is refused after the lock time-out,
// the stuck session is ended once it has been idle past its limit, and the next try works.
TEST_P(ServerStoreTest, ASessionThatHoldsAFileIsEndedAfterTheStoresTimeOuts)
{
    auto &server = static_cast<pg::PgAdmin &>(admin());
    server.setSessionLimits({500, 1500, 60000});
    const qint32 file = addFile(*anna, "Vast.txt", "x", tekeningen);
    const auto bertSql = login(m_server, m_catalogue, "bert", "bert");
    EXPECT_EQ(bertSql->exec("SHOW lock_timeout").text(0, 0), "500ms");
    bertSql->script("SET idle_in_transaction_session_timeout = 0; SET statement_timeout = 0; SET lock_timeout = 0; BEGIN");
    bertSql->exec("SELECT dw.rename_project(?, 'Bezet.txt')", {file});

    const auto waiting = connect("anna");
    int attempts = 0;
    while (attempts < 40 && !waiting->Projects().CheckOutProject(file, QString())) {
        ++attempts;
        EXPECT_TRUE(waiting->Database().LastError().contains("door een andere sessie vastgehouden"))
            << waiting->Database().LastError().toStdString();
    }
    EXPECT_GT(attempts, 0);
    EXPECT_LT(attempts, 40);
    EXPECT_THROW(bertSql->exec("SELECT 1"), DwError);
}
