// A store user with the database's own tools (libpq and their own password, as with psql)
// can do no more than the store lets them: the tables are the owner's, and the functions
// check the caller.
#include "StoreFixture.h"

#include "pg/PgConnection.h"
#include "pg/PgSession.h"
#include "DwError.h"

#include <functional>

using namespace dwfm;
using namespace dwfm::store;

TEST_P(ServerStoreTest, AUserOwnLoginCannotGoAroundTheStore)
{
    const qint32 annas = addFile(*anna, "Van anna.txt", "a", projecten);
    const qint32 free = addFile(*anna, "Vrij.txt", "v", projecten);
    ASSERT_TRUE(anna->Projects().CheckOutProject(annas, QString()));
    const QStringList before = snapshot();

    pg::PgConnection bertSql(pg::PgSession::conninfo(m_server, m_catalogue, "bert", "bert"));
    pg::PgConnection lezerSql(pg::PgSession::conninfo(m_server, m_catalogue, "lezer", "lezer"));
    const QString a = QString::number(annas), f = QString::number(free), arch = QString::number(archief);
    const struct {
        pg::PgConnection *who;
        QString sql;
    } attempts[] = {
        {&bertSql, "UPDATE dw.projects SET checked_out = false, user_id = NULL WHERE project_id = " + a},
        {&bertSql, "UPDATE dw.projects SET user_id = 'bert' WHERE project_id = " + a},
        {&bertSql, "INSERT INTO dw.history (project_id, action, action_at, user_name) VALUES (" + a + ", 'Vrijgegeven', 0, 'anna')"},
        {&bertSql, "DELETE FROM dw.history"},
        {&bertSql, "UPDATE dw.users SET is_admin = true WHERE user_key = 'bert'"},
        {&bertSql, "INSERT INTO dw.projects (location_id, file_name, name_key) VALUES (" + arch + ", 'x', 'x')"},
        {&bertSql, "SELECT dw.check_in(" + a + ", '')"},
        {&bertSql, "SELECT dw.cancel_check_out(" + a + ", '')"},
        {&bertSql, "SELECT dw.delete_project(" + a + ")"},
        {&bertSql, "SELECT dw.check_out(" + a + ", 'pc', '/tmp', '')"},
        {&bertSql, "SELECT dw.add_project(" + arch + ", 'In archief.txt', true, '')"},
        {&bertSql, "SELECT dw.log_action(" + a + ", 'Vrijgegeven', '')"},
        {&bertSql, "SELECT dw.release(" + a + ", 'anna')"},
        {&bertSql, "CREATE TABLE dw.eigen (x int)"},
        {&lezerSql, "SELECT dw.check_out(" + f + ", 'pc', '/tmp', '')"},
        {&lezerSql, "SELECT dw.rename_project(" + f + ", 'Anders.txt')"},
    };
    for (const auto &attempt : attempts) {
        try {
            attempt.who->exec(attempt.sql.toUtf8().constData());
            ADD_FAILURE() << "allowed: " << attempt.sql.toStdString();
        } catch (const DwError &e) {
            EXPECT_EQ(e.number(), DwError::PermissionDenied) << attempt.sql.toStdString() << ": " << e.description().toStdString();
        }
    }
    EXPECT_EQ(snapshot(), before);
}

// The server's refusals reach the caller with their class and their own words; its other
// errors are marked as database errors, with the server's words.
TEST_P(ServerStoreTest, RefusalsKeepTheirNumberAndText)
{
    const qint32 annas = addFile(*anna, "Van anna.txt", "a", projecten);
    const qint32 free = addFile(*anna, "Vrij.txt", "v", projecten);
    ASSERT_TRUE(anna->Projects().CheckOutProject(annas, QString()));
    const struct {
        DwFileStoreSession *who;
        std::function<bool(ProjectsService &)> call;
        qint32 number;
        QString text;
    } refusals[] = {
        {lezer.get(), [&](ProjectsService &p) { return p.CheckOutProject(free, QString()); }, DwError::PermissionDenied,
         "Gebruiker 'lezer' mag alleen lezen en kan niets wijzigen."},
        {bert.get(), [&](ProjectsService &p) { return p.CheckOutProject(annas, QString()); }, DwError::PermissionDenied,
         "'Van anna.txt' is al in gebruik bij anna."},
        {bert.get(), [&](ProjectsService &p) { return p.RenameProject(free, "Van anna.txt"); },
         DwError::IntegrityViolation, "Er staat al een bestand 'Van anna.txt' in deze map."},
    };
    for (const auto &refusal : refusals) {
        EXPECT_FALSE(refusal.call(refusal.who->Projects())) << refusal.text.toStdString();
        EXPECT_EQ(refusal.who->Database().LastErrorNumber(), refusal.number) << refusal.text.toStdString();
        EXPECT_EQ(refusal.who->Database().LastError(), refusal.text);
    }

    pg::PgConnection bertSql(pg::PgSession::conninfo(m_server, m_catalogue, "bert", "bert"));
    const struct {
        const char *state;
        qint32 number;
        QString text;
    } errors[] = {
        {"XX000", DwError::DatabaseError, "Databasefout: stuk."},
        {"23503", DwError::IntegrityViolation, "Databasefout: stuk."},
        {"P0002", DwError::ItemNotFound, "stuk"},
    };
    for (const auto &error : errors) {
        const QByteArray raise = QByteArray("DO $$ BEGIN RAISE EXCEPTION USING MESSAGE = 'stuk', ERRCODE = '") +
                                 error.state + "'; END $$";
        try {
            bertSql.exec(raise.constData());
            ADD_FAILURE() << "no error for " << error.state;
        } catch (const DwError &e) {
            EXPECT_EQ(e.number(), error.number) << error.state;
            EXPECT_EQ(e.description(), error.text) << error.state;
        }
    }
}
