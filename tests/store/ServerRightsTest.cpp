// A store user with the database's own tools (libpq and their own password, as with psql)
// can do no more than the store lets them: the tables are the owner's, the functions check
// the caller, and the files' content is reached only through the functions.
#include "StoreFixture.h"

#include "pg/PgConnection.h"
#include "pg/PgSession.h"
#include "DwError.h"

#include <QCryptographicHash>

#include <functional>

using namespace dwfm;
using namespace dwfm::store;

namespace {
// A bytea literal of the SHA-256 of `data`.
QString sha256Of(const QByteArray &data)
{
    return "'\\x" + QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex()) + "'::bytea";
}
} // namespace

TEST_P(ServerStoreTest, AUserOwnLoginCannotGoAroundTheStore)
{
    const qint32 annas = addFile(*anna, "Van anna.txt", "a", projecten);
    const qint32 free = addFile(*anna, "Vrij.txt", "v", projecten);
    const qint32 berts = addFile(*bert, "Van bert.txt", "b", projecten);
    ASSERT_TRUE(anna->Projects().CheckOutProject(annas, QString()));
    ASSERT_TRUE(bert->Projects().CheckOutProject(berts, QString()));
    const QStringList before = snapshot();

    pg::PgConnection bertSql(pg::PgSession::conninfo(m_server, m_catalogue, "bert", "bert"));
    pg::PgConnection lezerSql(pg::PgSession::conninfo(m_server, m_catalogue, "lezer", "lezer"));
    const QString a = QString::number(annas), f = QString::number(free), b = QString::number(berts),
                  arch = QString::number(archief), upload = "dw.put_chunk(NULL, 'nep'::bytea)", hash = sha256Of("nep");
    const struct {
        pg::PgConnection *who;
        QString sql;
        qint32 number = DwError::PermissionDenied;
    } attempts[] = {
        {&bertSql, "UPDATE dw.projects SET checked_out = false, user_id = NULL WHERE project_id = " + a},
        {&bertSql, "UPDATE dw.projects SET user_id = 'bert' WHERE project_id = " + a},
        {&bertSql, "INSERT INTO dw.history (project_id, action, action_at, user_name) VALUES (" + a + ", 'Vrijgegeven', 0, 'anna')"},
        {&bertSql, "DELETE FROM dw.history"},
        {&bertSql, "UPDATE dw.users SET is_admin = true WHERE user_key = 'bert'"},
        {&bertSql, "INSERT INTO dw.projects (location_id, file_name, name_key) VALUES (" + arch + ", 'x', 'x')"},
        {&bertSql, "SELECT dw.check_in(" + a + ", NULL, NULL, '')"},
        {&bertSql, "SELECT dw.cancel_check_out(" + a + ", '')"},
        {&bertSql, "SELECT dw.delete_project(" + a + ")"},
        {&bertSql, "SELECT dw.check_out(" + a + ", 'pc', '/tmp', '')"},
        {&bertSql, "SELECT dw.add_project(" + arch + ", 'In archief.txt', true, '', NULL, NULL)"},
        {&bertSql, "SELECT dw.log_action(" + a + ", 'Vrijgegeven', '')"},
        {&bertSql, "SELECT dw.release(" + a + ", 'anna')"},
        {&bertSql, "CREATE TABLE dw.eigen (x int)"},
        {&lezerSql, "SELECT dw.check_out(" + f + ", 'pc', '/tmp', '')"},
        {&lezerSql, "SELECT dw.rename_project(" + f + ", 'Anders.txt')"},
        // The content: never read or written directly, not even one's own.
        {&bertSql, "SELECT data FROM dw.chunks"},
        {&lezerSql, "SELECT sha256, size FROM dw.contents"},
        {&bertSql, "UPDATE dw.chunks SET data = 'nep'::bytea"},
        {&bertSql, "DELETE FROM dw.contents"},
        {&bertSql, "INSERT INTO dw.versions SELECT project_id, 99, content_id, sha256, size, 0 FROM dw.versions WHERE project_id = " + b},
        {&bertSql, "UPDATE dw.projects SET version = 1 WHERE project_id = " + b},
        {&bertSql, "SELECT dw.content_cursor(c) FROM dw.contents c"},
        {&bertSql, "SELECT dw.new_version(" + b + ", dw.settle_upload(" + upload + ", " + hash + "), 'bert', '')"},
        // An upload becomes nobody else's file, no file the uploader does not hold, nothing in
        // a location that takes no files, and nothing at all from a read-only user.
        {&bertSql, "SELECT dw.check_in(" + a + ", " + upload + ", " + hash + ", '')"},
        {&bertSql, "SELECT dw.check_in(" + f + ", " + upload + ", " + hash + ", '')"},
        {&bertSql, "SELECT dw.add_project(" + arch + ", 'Nep.txt', true, '', " + upload + ", " + hash + ")"},
        {&lezerSql, "SELECT dw.put_chunk(NULL, 'nep'::bytea)"},
        {&lezerSql, "SELECT dw.restore_version(" + f + ", 1, '')"},
        {&bertSql, "SELECT dw.restore_version(" + a + ", 1, '')"},
        // An upload that does not become a version is not kept, nor one of another transaction.
        {&bertSql, "SELECT dw.put_chunk(NULL, 'nep'::bytea)", DwError::DatabaseError},
        {&bertSql, "SELECT dw.check_in(" + b + ", 1, " + hash + ", '')"},
    };
    for (const auto &attempt : attempts) {
        try {
            attempt.who->exec(attempt.sql.toUtf8().constData());
            ADD_FAILURE() << "allowed: " << attempt.sql.toStdString();
        } catch (const DwError &e) {
            EXPECT_EQ(e.number(), attempt.number) << attempt.sql.toStdString() << ": " << e.description().toStdString();
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

// Identical content is stored once, but an upload whose hash is false never takes the
// place of the content that hash names (the bytes are compared before content is shared),
// and the deep check finds it, as it finds a byte that changed in the database.
TEST_P(ServerStoreTest, ContentIsSharedOnlyWhenItsBytesAgreeAndIsCheckedAgainstItsHash)
{
    pg::PgConnection bertSql(pg::PgSession::conninfo(m_server, m_catalogue, "bert", "bert"));
    const QByteArray real = "het echte document";
    bertSql.exec(("SELECT dw.add_project(" + QString::number(tekeningen) + ", 'Vals.txt', false, '', "
                  "dw.put_chunk(NULL, 'nep'::bytea), " + sha256Of(real) + ")").toUtf8().constData());
    const qint32 id = addFile(*anna, "Echt.txt", real, projecten);
    const qint32 again = addFile(*anna, "Nog eens.txt", real, projecten);
    EXPECT_EQ(storedContent(id), real);
    EXPECT_EQ(storedContent(again), real);
    EXPECT_EQ(admin().storedContent().contents, 2) << "the real content once, the false one apart";
    QStringList found = checkStore(true);
    ASSERT_EQ(found.size(), 1) << found.join('\n').toStdString();
    EXPECT_TRUE(found[0].contains("Beschadigde inhoud") && found[0].contains("Vals.txt")) << found[0].toStdString();

    execAsOwner("UPDATE dw.chunks SET data = set_byte(data, 3, get_byte(data, 3) # 32) WHERE content_id = "
                "(SELECT content_id FROM dw.versions WHERE project_id = " + QByteArray::number(id) + ")");
    EXPECT_EQ(checkStore(false), QStringList()) << "sizes alone do not show it";
    found = checkStore(true);
    EXPECT_EQ(found.filter("Echt.txt").size(), 1) << found.join('\n').toStdString();
    QString view;
    EXPECT_FALSE(anna->Projects().GetViewCopy(again, view)) << "damaged content is not handed out";
    EXPECT_FALSE(anna->Projects().CheckOutProject(again, ""));
    EXPECT_EQ(admin().repair(true).filter("Niet te herstellen").size(), 2);
}
