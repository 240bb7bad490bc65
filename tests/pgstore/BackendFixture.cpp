#include "BackendFixture.h"

#include "PgCluster.h"
#include "admin/StoreAdmin.h"
#include "pg/PgAdmin.h"
#include "pg/PgConnection.h"
#include "pg/PgSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

using namespace dwfm;
using namespace dwfm::store;

QString freshCatalogue()
{
    static int counter = 0;
    return QStringLiteral("dwtest_%1_%2").arg(getpid()).arg(++counter);
}

void BackendTest::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    const QStringList users{QStringLiteral("anna"), QStringLiteral("bert"), QStringLiteral("lezer")};
    if (GetParam() == Backend::Embedded) {
        m_server = m_dir.filePath(QStringLiteral("store"));
        m_catalogue = QStringLiteral("Test");
        StoreAdmin::createStore(m_server, m_catalogue);
        StoreAdmin admin(DwFileStoreSession::openAsAdministrator(m_server, m_catalogue, QStringLiteral("beheer")));
        for (const QString &name : users) {
            UserChange c;
            c.password = name;
            c.admin = name == QLatin1String("anna");
            c.readOnly = name == QLatin1String("lezer");
            c.workingRoot = workingRoot(name);
            admin.addUser(name, c, 1000);
        }
    } else {
        QString why;
        if (!PgCluster::start(&why))
            GTEST_SKIP() << why.toStdString();
        m_server = PgCluster::server();
        m_catalogue = freshCatalogue();
        pg::PgAdmin admin(m_server, m_catalogue);
        admin.createStore(m_dir.filePath(QStringLiteral("gedeeld")));
        for (const QString &name : users) {
            pg::PgUserSettings c;
            c.password = name;
            c.admin = name == QLatin1String("anna");
            c.readOnly = name == QLatin1String("lezer");
            c.workingRoot = workingRoot(name);
            admin.addUser(name, c);
        }
    }
    anna = connect(QStringLiteral("anna"));
    bert = connect(QStringLiteral("bert"));
    lezer = connect(QStringLiteral("lezer"));
    ASSERT_TRUE(anna->Locations().CreateLocation(QStringLiteral("Projecten"), QString(), 0, projecten));
    ASSERT_TRUE(anna->Locations().CreateLocation(QStringLiteral("Archief"), QString(), 0, archief));
    // Making an archive is the administration's work, straight in the database.
    if (GetParam() == Backend::Embedded) {
        StoreAdmin(DwFileStoreSession::openAsAdministrator(m_server, m_catalogue, QStringLiteral("beheer")))
            .setLocationKind(archief, 1);
    } else {
        pg::PgConnection db(pg::PgSession::conninfo(m_server, m_catalogue, QString(), QString()));
        db.exec("UPDATE dw.locations SET kind = 1 WHERE location_id = ?", {archief});
    }
}

std::unique_ptr<DwFileStoreSession> BackendTest::connect(const QString &user)
{
    auto s = std::make_unique<DwFileStoreSession>();
    EXPECT_TRUE(s->Connect(m_server, user, user, m_catalogue, true)) << s->Database().LastError().toStdString();
    return s;
}

qint32 BackendTest::addFile(FileStoreSession &session, qint32 location, const QString &name, const QByteArray &content)
{
    const QString source = m_dir.filePath(QStringLiteral("bron/") + name);
    writeFile(source, content);
    const qint32 id = session.Projects().AddProject(source, location, QVariant(), true, true);
    EXPECT_GT(id, 0) << session.Database().LastError().toStdString();
    return id;
}

QByteArray BackendTest::readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<ontbreekt>");
}

void BackendTest::writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}
