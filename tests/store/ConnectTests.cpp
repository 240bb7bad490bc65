#include "StoreFixture.h"

#include "StoreFolders.h"
#include "SessionRegistry.h"
#include "db/SqliteDb.h"
#include "DwError.h"

#include <QFile>

using namespace dwfm;
using namespace dwfm::store;

namespace {
// Connects and answers the last error ("" when the connection was made).
QString refusal(const QString &server, const QString &user, const QString &password, const QString &catalogue,
                bool sql = true)
{
    DwFileStoreSession s;
    if (s.Connect(server, user, password, catalogue, sql))
        return QString();
    EXPECT_TRUE(s.IsReadOnlySession());
    return s.Database().LastError();
}
} // namespace

TEST_P(StoreTest, ConnectRefusesWithOneReadableSentence)
{
    // The server does not say whether a user is unknown or the password wrong.
    const struct {
        QString server, user, password, catalogue, expected;
    } cases[] = {
        {m_server, "ANNA", "anna", m_catalogue, ""}, // user names without regard to case
        {m_server, "anna", "ANNA", m_catalogue, "wachtwoord"},
        {m_server, "niemand", "x", m_catalogue, embedded() ? "onbekend" : "wachtwoord"},
        {m_server, "anna", "anna", "Anders", embedded() ? "ontbreekt" : "ontbreekt op de server"},
        {"127.0.0.1:1", "anna", "anna", m_catalogue, "niet bereikbaar"},
    };
    for (const auto &c : cases) {
        const QString why = refusal(c.server, c.user, c.password, c.catalogue);
        EXPECT_TRUE(c.expected.isEmpty() ? why.isEmpty() : why.contains(c.expected))
            << c.user.toStdString() << "@" << c.catalogue.toStdString() << ": " << why.toStdString();
    }
}

TEST_P(EmbeddedStoreTest, ConnectRefusesWhatIsNoStoreAndKeepsPasswordsSlowHashed)
{
    const QString folder = storeFolder();
    EXPECT_TRUE(refusal(m_dir.filePath("bestaatniet"), "anna", "anna", "Test").contains("bestaat niet"));
    writeFile(StoreFolders::databasePath(folder, "Rommel"), QByteArray(4096, 'x'));
    EXPECT_TRUE(refusal(folder, "anna", "anna", "Rommel").contains("geen database"));

    auto db = SqliteDb::open(StoreFolders::databasePath(storeFolder(), "Test"), false);
    {
        Statement q(db, "SELECT password_hash FROM users WHERE user_id = 'anna'");
        ASSERT_TRUE(q.step());
        const QString stored = q.text(0);
        EXPECT_TRUE(stored.startsWith("pbkdf2-sha256$1000$"));
        EXPECT_FALSE(stored.contains("anna"));
        // Same password, different salt.
        Statement other(db, "SELECT password_hash FROM users WHERE user_id = 'bert'");
        ASSERT_TRUE(other.step());
        EXPECT_NE(stored.section('$', 2, 2), other.text(0).section('$', 2, 2));
    }

    // A newer schema is refused rather than misread.
    db->exec("UPDATE store_info SET value = '99' WHERE key = 'schema_version'");
    EXPECT_TRUE(refusal(folder, "anna", "anna", "Test").contains("schemaversie 99"));
}

TEST_P(StoreTest, SessionDescribesItsUserAndConnection)
{
    EXPECT_EQ(anna->CurrentUser().CurrentUserID(), "anna");
    EXPECT_TRUE(anna->CurrentUser().IsAdministrator());
    EXPECT_FALSE(bert->CurrentUser().IsAdministrator());
    EXPECT_TRUE(lezer->IsReadOnlySession());
    EXPECT_FALSE(bert->IsReadOnlySession());
    EXPECT_EQ(anna->Database().ConnectionProperty("Data Source").toString(), m_server);
    EXPECT_EQ(anna->Database().DefaultDatabase(), m_catalogue);
    EXPECT_THROW(anna->Database().ConnectionProperty("Bestaat niet"), DwError);

    // Without roots of one's own, every top location is a root.
    RecordsetPtr roots;
    ASSERT_TRUE(bert->CurrentUser().GetRoots(roots));
    QStringList names;
    for (; !roots->isEof(); roots->moveNext())
        names << roots->value("tekstnode").toString() + "=" + roots->value("ROOTID").toString();
    EXPECT_EQ(names, QStringList({"Archief=" + QString::number(archief), "Projecten=" + QString::number(projecten)}));

    UserChange only;
    only.roots = QList<qint32>{tekeningen};
    admin().changeUser("bert", only);
    ASSERT_TRUE(bert->CurrentUser().GetRoots(roots));
    EXPECT_EQ(roots->value("RootID").toInt(), tekeningen);
    roots->moveNext();
    EXPECT_TRUE(roots->isEof());
}

TEST_P(StoreTest, ReportLastErrorHandsTheTextToTheReporter)
{
    QString reported;
    SessionRegistry::setLastErrorReporter([&](const QString &t) { reported = t; });
    EXPECT_FALSE(bert->Locations().RenameLocation(9999, "x"));
    bert->Database().ReportLastError();
    SessionRegistry::setLastErrorReporter(nullptr);
    EXPECT_TRUE(reported.contains("9999"));
    EXPECT_EQ(bert->Database().LastErrorNumber(), DwError::ItemNotFound);
}
