// A store user with the database's own tools (libpq and their own password, as with psql)
// can do no more than the store lets them: the tables are the owner's, the functions check
// the caller and keep them within their roots, and the files' content is reached only
// through the functions. Another store's administrator on the same cluster can do nothing.
#include "StoreFixture.h"

#include "pg/PgAdmin.h"
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
    // Outside the roots bert (Projecten) and lezer (Tekeningen) get: anna's own location,
    // with a file of hers and one bert took before his roots were set.
    const qint32 prive = makeLocation(*anna, "Privé", 0), intern = makeLocation(*anna, "Intern", prive);
    const qint32 secret = addFile(*anna, "Geheim.txt", "g", prive), taken = addFile(*bert, "Meegenomen.txt", "m", prive);
    ASSERT_TRUE(anna->Projects().CheckOutProject(annas, QString()));
    ASSERT_TRUE(bert->Projects().CheckOutProject(berts, QString()));
    ASSERT_TRUE(bert->Projects().CheckOutProject(taken, QString()));
    qint32 deep = tekeningen; // a path of 3,035 bytes: a sub-folder's name of 36 bytes fits, not one of 37
    for (int level = 0; level < 15; ++level)
        deep = makeLocation(*bert, QString(200, QChar('a' + level)), deep);
    for (const auto &[user, root] : {std::pair{"bert", projecten}, std::pair{"lezer", tekeningen}}) {
        UserChange c;
        c.roots = QList<qint32>{root};
        admin().changeUser(user, c);
    }
    // Another store's administrator cannot even connect; the rights of our schema hold for
    // them too where the database lets every login connect.
    pg::PgAdmin otherStore(m_server, m_catalogue + "_ander");
    otherStore.createStore();
    otherStore.addUser("otto", {.password = QString("otto"), .admin = true});
    const QString otto = pg::PgSession::conninfo(m_server, m_catalogue, "otto", "otto");
    EXPECT_THROW(pg::PgConnection{otto}, DwError);
    execAsOwner("GRANT CONNECT ON DATABASE " + m_catalogue.toUtf8() + " TO PUBLIC");
    const QStringList before = snapshot();

    pg::PgConnection bertSql(pg::PgSession::conninfo(m_server, m_catalogue, "bert", "bert"));
    pg::PgConnection lezerSql(pg::PgSession::conninfo(m_server, m_catalogue, "lezer", "lezer"));
    pg::PgConnection ottoSql(otto);
    const QString a = QString::number(annas), f = QString::number(free), b = QString::number(berts),
                  arch = QString::number(archief), upload = "dw.put_chunk(NULL, 'nep'::bytea)", hash = sha256Of("nep"),
                  p = QString::number(projecten), t = QString::number(tekeningen), s = QString::number(secret),
                  m = QString::number(taken), pr = QString::number(prive), in = QString::number(intern);
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
        // Outside one's roots: no reading, check-out, check-in, delete, rename, copy or move
        // either way, add, or change of a folder; and no root of another user goes.
        {&bertSql, "SELECT * FROM dw.open_content(" + s + ", NULL)"},
        {&lezerSql, "SELECT * FROM dw.open_content(" + f + ", NULL)"},
        {&bertSql, "SELECT dw.check_out(" + s + ", 'pc', '/tmp', '')"},
        {&bertSql, "SELECT dw.check_in(" + m + ", NULL, " + sha256Of("m") + ", '')"},
        {&bertSql, "SELECT dw.cancel_check_out(" + m + ", '')"},
        {&bertSql, "SELECT dw.rename_project(" + s + ", 'Anders.txt')"},
        {&bertSql, "SELECT dw.copy_project(" + s + ", " + p + ", '')"},
        {&bertSql, "SELECT dw.copy_project(" + f + ", " + pr + ", '')"},
        {&bertSql, "SELECT dw.delete_project(" + s + ")"},
        {&bertSql, "SELECT dw.add_project(" + pr + ", 'Nieuw.txt', true, '', " + upload + ", " + hash + ")"},
        {&bertSql, "SELECT dw.create_location('Sub', '', " + in + ")"},
        {&bertSql, "SELECT dw.rename_location(" + in + ", 'Extern')"},
        {&bertSql, "SELECT dw.delete_location(" + in + ")"},
        // A file and a folder of one location never share a name.
        {&bertSql, "SELECT dw.create_location('van anna.txt', '', " + p + ")", DwError::IntegrityViolation},
        {&bertSql, "SELECT dw.rename_project(" + f + ", 'TEKENINGEN')", DwError::IntegrityViolation},
        {&bertSql, "SELECT dw.add_project(" + p + ", 'Tekeningen', true, '', " + upload + ", " + hash + ")",
         DwError::IntegrityViolation},
        {&bertSql, "SELECT dw.rename_location(" + t + ", 'Vrij.txt')", DwError::IntegrityViolation},
        {&bertSql, "SELECT dw.delete_location(" + t + ")"},
        {&bertSql, "SELECT dw.create_location(repeat('z', 37), '', " + QString::number(deep) + ")", DwError::InputError},
        // History is written by the server, as the caller: no origin from the caller, no
        // other user's name, no change afterwards.
        {&bertSql, "SELECT dw.copy_project(" + f + ", " + t + ", '', 'Archief')", DwError::DatabaseError},
        {&bertSql, "SET SESSION AUTHORIZATION anna"},
        {&bertSql, "SET ROLE anna"},
        {&bertSql, "UPDATE dw.history SET memo = 'Gekopieerd van Archief' WHERE project_id = " + f},
        // No function without its step: no file without content, no check-in of other content.
        {&bertSql, "SELECT dw.add_project(" + p + ", 'Leeg.txt', true, '', NULL, NULL)"},
        {&bertSql, "SELECT dw.check_in(" + b + ", NULL, " + hash + ", '')", DwError::InputError},
        {&bertSql, "SELECT dw.settle_upload(" + upload + ", " + hash + ")"},
        // Document text is kept by the server and searched only through its function.
        {&bertSql, "SELECT * FROM dw.search_text"},
        {&bertSql, "DELETE FROM dw.search_queue"},
        {&bertSql, "SELECT dw_search.fold('x')"},
        {&bertSql, "SELECT dw.store_text(content_id, 'nep') FROM dw.versions WHERE project_id = " + b},
        {&lezerSql, "SELECT dw.store_text(content_id, 'nep') FROM dw.versions WHERE project_id = " + f},
        // Change notices come from the functions' changes only.
        {&bertSql, "SELECT dw.touched(" + p + ")"},
        {&lezerSql, "SELECT dw.touched(0)"},
        {&ottoSql, "SELECT * FROM dw.projects"},
        {&ottoSql, "SELECT dw.check_out(" + f + ", 'pc', '/tmp', '')"},
        {&ottoSql, "SELECT dw.create_location('Van otto', '', 0)"},
        {&ottoSql, "CREATE SCHEMA otto"},
        {&ottoSql, "CREATE TABLE public.otto (x int)"},
        {&ottoSql, "SET ROLE " + m_catalogue + "_users"},
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
