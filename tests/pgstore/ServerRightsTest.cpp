// A store user with the database's own tools (libpq and their own password, as with psql)
// can do no more than the store lets them: the tables are the owner's, and the functions
// check the caller.
#include "BackendFixture.h"

#include "pg/PgConnection.h"
#include "pg/PgSession.h"
#include "platform/DwError.h"

using namespace dwfm;
using namespace dwfm::store;

namespace {
class ServerRightsTest : public BackendTest {};

// Every row of the store's tables, for comparing before and after.
QStringList everything(pg::PgConnection &db)
{
    QStringList rows;
    for (const char *table : {"users", "locations", "user_roots", "projects", "history", "store_info"}) {
        const pg::PgResult r = db.exec((QByteArray("SELECT t::text FROM dw.") + table + " t ORDER BY 1").constData());
        for (int i = 0; i < r.rows(); ++i)
            rows << QString::fromLatin1(table) + ':' + r.text(i, 0);
    }
    return rows;
}
} // namespace

INSTANTIATE_TEST_SUITE_P(Server, ServerRightsTest, ::testing::Values(Backend::Server),
                         [](const auto &) { return "Server"; });

TEST_P(ServerRightsTest, AUserOwnLoginCannotGoAroundTheStore)
{
    const qint32 annas = addFile(*anna, projecten, "Van anna.txt", "a");
    const qint32 free = addFile(*anna, projecten, "Vrij.txt", "v");
    ASSERT_TRUE(anna->Projects().CheckOutProject(annas, QString()));
    pg::PgConnection admin(pg::PgSession::conninfo(m_server, m_catalogue, QString(), QString()));
    const QStringList before = everything(admin);

    pg::PgConnection bert(pg::PgSession::conninfo(m_server, m_catalogue, "bert", "bert"));
    pg::PgConnection lezer(pg::PgSession::conninfo(m_server, m_catalogue, "lezer", "lezer"));
    const QString a = QString::number(annas), f = QString::number(free), arch = QString::number(archief);
    const struct {
        pg::PgConnection *who;
        QString sql;
    } attempts[] = {
        {&bert, "UPDATE dw.projects SET checked_out = false, user_id = NULL WHERE project_id = " + a},
        {&bert, "UPDATE dw.projects SET user_id = 'bert' WHERE project_id = " + a},
        {&bert, "INSERT INTO dw.history (project_id, action, action_at, user_name) VALUES (" + a + ", 'Vrijgegeven', 0, 'anna')"},
        {&bert, "DELETE FROM dw.history"},
        {&bert, "UPDATE dw.users SET is_admin = true WHERE user_key = 'bert'"},
        {&bert, "INSERT INTO dw.projects (location_id, file_name, name_key) VALUES (" + arch + ", 'x', 'x')"},
        {&bert, "SELECT dw.check_in(" + a + ", '')"},
        {&bert, "SELECT dw.cancel_check_out(" + a + ", '')"},
        {&bert, "SELECT dw.delete_project(" + a + ")"},
        {&bert, "SELECT dw.check_out(" + a + ", 'pc', '/tmp', '')"},
        {&bert, "SELECT dw.add_project(" + arch + ", 'In archief.txt', true, '')"},
        {&bert, "SELECT dw.log_action(" + a + ", 'Vrijgegeven', '')"},
        {&bert, "SELECT dw.release(" + a + ", 'anna')"},
        {&bert, "CREATE TABLE dw.eigen (x int)"},
        {&lezer, "SELECT dw.check_out(" + f + ", 'pc', '/tmp', '')"},
        {&lezer, "SELECT dw.rename_project(" + f + ", 'Anders.txt')"},
    };
    for (const auto &attempt : attempts) {
        try {
            attempt.who->exec(attempt.sql.toUtf8().constData());
            ADD_FAILURE() << "allowed: " << attempt.sql.toStdString();
        } catch (const DwError &e) {
            EXPECT_EQ(e.number(), DwError::PermissionDenied) << attempt.sql.toStdString() << ": " << e.description().toStdString();
        }
    }
    EXPECT_EQ(everything(admin), before);
}
