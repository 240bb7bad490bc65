#include "DwFileStoreSession.h"

#include "StoreFolders.h"
#include "db/Schema.h"
#include "fs/NameRules.h"
#include "DwError.h"
#include "security/PasswordHasher.h"
#include "services/PendingWork.h"

#include <QDir>
#include <QFileInfo>

namespace dwfm::store {

namespace {
bool looksLikeFolder(const QString &server)
{
    if (pg::PgSession::isConnectionText(server))
        return false;
    return server.contains(QLatin1Char('/')) || server.contains(QLatin1Char('\\')) || server.startsWith(QLatin1Char('.'))
        || server.startsWith(QLatin1Char('~')) || QFileInfo(server).isDir();
}

UserInfo readUser(const SqliteDbPtr &db, const QString &userId, QString *passwordHash)
{
    Statement q(db, "SELECT user_id, full_name, password_hash, is_admin, is_readonly, working_root FROM users "
                    "WHERE user_key = ?");
    q.bind(1, NameRules::key(userId));
    if (!q.step())
        throw DwError(DwError::PermissionDenied, QStringLiteral("De gebruiker '%1' is onbekend in deze store.").arg(userId));
    if (passwordHash)
        *passwordHash = q.text(2);
    return UserInfo{q.text(0), q.text(1), q.int64(3) != 0, q.int64(4) != 0, q.text(5)};
}
} // namespace

bool DwFileStoreSession::isServerAddress(const QString &server)
{
    const QString srv = server.trimmed();
    return !srv.isEmpty() && !looksLikeFolder(srv);
}

DwFileStoreSession::DwFileStoreSession() = default;
DwFileStoreSession::~DwFileStoreSession()
{
    // The indexer stops before the store it reads is let go.
    m_indexer.reset();
}

SqliteDbPtr DwFileStoreSession::openStore(const QString &server, const QString &catalogue, QString &folder,
                                          QString &catalogueOut)
{
    const QString srv = server.trimmed();
    if (srv.isEmpty()) {
        folder = StoreFolders::defaultStoreFolder();
    } else if (looksLikeFolder(srv)) {
        folder = srv.startsWith(QLatin1Char('~')) ? QDir::homePath() + srv.mid(1) : srv;
        folder = QDir::cleanPath(QDir(folder).absolutePath());
    } else {
        throw DwError(DwError::CannotCreateObject,
                      QStringLiteral("'%1' is geen map maar een server: een serverstore wordt beheerd met "
                                     "dwstore --server.").arg(srv));
    }
    catalogueOut = catalogue.trimmed().isEmpty() ? StoreFolders::defaultCatalogue() : catalogue.trimmed();
    NameRules::require(catalogueOut);
    if (!QFileInfo(folder).isDir())
        throw DwError(DwError::PathNotFound, QStringLiteral("De map van de store '%1' bestaat niet.").arg(folder));
    const QString dbPath = StoreFolders::databasePath(folder, catalogueOut);
    if (!QFileInfo(dbPath).isFile()) {
        throw DwError(DwError::FileNotFound, QStringLiteral("In de map '%1' staat geen store '%2' (het bestand '%3' "
                                                            "ontbreekt).").arg(folder, catalogueOut, dbPath));
    }
    SqliteDbPtr db = SqliteDb::open(dbPath, false);
    Schema::verify(db, dbPath, StoreFolders::searchDatabasePath(folder, catalogueOut));
    StoreChangeWatch::tellLocationChanges(db);
    // Work that a killed process left half done is finished (or its leftovers removed)
    // before this session reads anything. A store that cannot be written stays as it is.
    try {
        PendingWork::recover(db, folder, catalogueOut);
    } catch (const DwError &) {
    }
    return db;
}

bool DwFileStoreSession::Connect(const QString &strServer, const QString &strUser, const QString &strPassWord,
                                 const QString &strCatalog, bool bSQLSecurity)
{
    m_indexer.reset();
    m_server.reset();
    if (isServerAddress(strServer)) {
        m_changes.reset();
        m_context.reset();
        m_server = std::make_unique<pg::PgSession>();
        return m_server->Connect(strServer, strUser, strPassWord, strCatalog, bSQLSecurity);
    }
    return connectWith([&] {
        QString folder, catalogue;
        SqliteDbPtr db = openStore(strServer, strCatalog, folder, catalogue);
        UserInfo user;
        if (bSQLSecurity) {
            QString hash;
            user = readUser(db, strUser.trimmed(), &hash);
            if (hash.isEmpty() || !PasswordHasher::verify(strPassWord, hash))
                throw DwError(DwError::PermissionDenied, QStringLiteral("Het wachtwoord van gebruiker '%1' is onjuist.").arg(user.id));
        } else {
            const QString account = StoreFolders::osAccount();
            try {
                user = readUser(db, account, nullptr);
            } catch (const DwError &) {
                throw DwError(DwError::PermissionDenied,
                              QStringLiteral("Het account '%1' van het besturingssysteem is geen gebruiker van deze "
                                             "store.").arg(account));
            }
        }
        m_changes = std::make_unique<StoreChangeWatch>(db);
        m_context = std::make_shared<StoreContext>(std::move(db), folder, catalogue, std::move(user));
        if (ContentIndexer::enabled()) {
            m_indexer = std::make_unique<ContentIndexer>(folder, catalogue);
            m_indexer->start(QThread::LowPriority);
        }
    }, [&] { m_changes.reset(); });
}

bool DwFileStoreSession::IsReadOnlySession()
{
    return m_server ? m_server->IsReadOnlySession() : StoreSession::IsReadOnlySession();
}

std::shared_ptr<DwFileStoreSession> DwFileStoreSession::openAsAdministrator(const QString &folder,
                                                                            const QString &catalogue,
                                                                            const QString &actingUser)
{
    QString resolved, cat;
    SqliteDbPtr db = openStore(folder.isEmpty() ? QString() : QDir(folder).absolutePath(), catalogue, resolved, cat);
    auto session = std::make_shared<DwFileStoreSession>();
    UserInfo admin{actingUser, actingUser, true, false, QString()};
    session->m_context = std::make_shared<StoreContext>(std::move(db), resolved, cat, admin);
    return session;
}

} // namespace dwfm::store
