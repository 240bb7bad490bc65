#include "StoreFixture.h"

#include "PgCluster.h"
#include "StoreFolders.h"
#include "admin/StoreAdmin.h"
#include "admin/StoreCheck.h"
#include "db/SqliteDb.h"
#include "pg/PgAdmin.h"
#include "pg/PgConnection.h"
#include "pg/PgSession.h"
#include "pg/PgStoreCheck.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>

#include <unistd.h>

using namespace dwfm;
using namespace dwfm::store;

namespace {
std::string backendName(const ::testing::TestParamInfo<Backend> &info)
{
    return info.param == Backend::Embedded ? "Embedded" : "Server";
}
} // namespace

INSTANTIATE_TEST_SUITE_P(Backends, StoreTest, ::testing::Values(Backend::Embedded, Backend::Server), backendName);
INSTANTIATE_TEST_SUITE_P(Embedded, EmbeddedStoreTest, ::testing::Values(Backend::Embedded), backendName);
INSTANTIATE_TEST_SUITE_P(Server, ServerStoreTest, ::testing::Values(Backend::Server), backendName);

void StoreTest::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    if (embedded()) {
        m_server = storeFolder();
        m_catalogue = QStringLiteral("Test");
        StoreAdmin::createStore(m_server, m_catalogue);
        m_admin = std::make_unique<StoreAdmin>(DwFileStoreSession::openAsAdministrator(m_server, m_catalogue, "beheer"), 1000);
    } else {
        QString why;
        if (!PgCluster::start(&why))
            FAIL() << why.toStdString(); // the server store would go untested
        static int counter = 0;
        m_server = PgCluster::server();
        m_catalogue = QStringLiteral("dwtest_%1_%2").arg(getpid()).arg(++counter);
        auto admin = std::make_unique<pg::PgAdmin>(m_server, m_catalogue);
        admin->createStore();
        m_admin = std::move(admin);
    }
    for (const QString name : {"anna", "bert", "lezer"}) {
        UserChange c;
        c.password = name;
        c.admin = name == "anna";
        c.readOnly = name == "lezer";
        c.workingRoot = workingRoot(name);
        m_admin->addUser(name, c);
    }
    anna = connect("anna");
    bert = connect("bert");
    lezer = connect("lezer");
    auto &locations = anna->Locations();
    ASSERT_TRUE(locations.CreateLocation("Projecten", QString(), 0, projecten));
    ASSERT_TRUE(locations.CreateLocation("Tekeningen", QString(), projecten, tekeningen));
    ASSERT_TRUE(locations.CreateLocation("Archief", QString(), 0, archief));
    m_admin->setLocationKind(archief, 1);
}

void StoreTest::TearDown()
{
    anna.reset();
    bert.reset();
    lezer.reset();
    if (auto *server = dynamic_cast<pg::PgAdmin *>(m_admin.get()))
        server->dropStore();
}

std::unique_ptr<DwFileStoreSession> StoreTest::connect(const QString &user)
{
    auto s = std::make_unique<DwFileStoreSession>();
    EXPECT_TRUE(s->Connect(m_server, user, user, m_catalogue, true)) << s->Database().LastError().toStdString();
    return s;
}

QString StoreTest::makeSource(const QString &name, const QByteArray &content)
{
    const QString path = m_dir.filePath(QStringLiteral("bron/") + name);
    writeFile(path, content);
    return path;
}

qint32 StoreTest::addFile(DwFileStoreSession &s, const QString &name, const QByteArray &content, qint32 location)
{
    const qint32 id = s.Projects().AddProject(makeSource(name, content), location, QVariant(), true, true);
    EXPECT_GT(id, 0) << s.Database().LastError().toStdString();
    return id;
}

qint32 StoreTest::makeLocation(DwFileStoreSession &s, const QString &name, qint32 parent)
{
    qint32 id = 0;
    EXPECT_TRUE(s.Locations().CreateLocation(name, QString(), parent, id)) << s.Database().LastError().toStdString();
    return id;
}

QByteArray StoreTest::readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<ontbreekt>");
}

void StoreTest::writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

void StoreTest::execAsOwner(const QByteArray &sql)
{
    if (embedded())
        SqliteDb::open(StoreFolders::databasePath(m_server, m_catalogue), false)->exec(sql.constData());
    else
        pg::PgConnection(pg::PgSession::conninfo(m_server, m_catalogue, QString(), QString())).script(QString::fromUtf8(sql));
}

QByteArray StoreTest::storedContent(qint32 id)
{
    if (embedded()) {
        auto &p = anna->Projects();
        const QString name = p.GetProjectFileName(id);
        return name.isEmpty() ? QByteArray("<ontbreekt>") : readFile(root() + "/" + p.GetProjectLocationPath(id) + name);
    }
    pg::PgConnection db(pg::PgSession::conninfo(m_server, m_catalogue, QString(), QString()));
    const pg::PgResult r = db.exec("SELECT encode(string_agg(c.data, ''::bytea ORDER BY c.seq), 'hex') FROM dw.projects p "
                                   "JOIN dw.versions v ON v.project_id = p.project_id AND v.version = p.version "
                                   "LEFT JOIN dw.chunks c ON c.content_id = v.content_id WHERE p.project_id = ? "
                                   "GROUP BY p.project_id",
                                   {id});
    return r.rows() == 0 ? QByteArray("<ontbreekt>") : QByteArray::fromHex(r.raw(0, 0));
}

QStringList StoreTest::checkStore(bool deep)
{
    if (embedded())
        return StoreCheck(anna->context()).check();
    return pg::PgStoreCheck(static_cast<pg::PgAdmin &>(admin()).db()).check(deep);
}

QStringList StoreTest::snapshot() const
{
    QStringList lines;
    if (embedded()) {
        auto db = SqliteDb::open(StoreFolders::databasePath(m_server, m_catalogue), false);
        for (const char *table : {"users", "locations", "user_roots", "projects", "history", "pending_work", "versions"}) {
            Statement q(db, (QByteArray("SELECT * FROM ") + table).constData());
            while (q.step()) {
                QStringList cells{QString::fromLatin1(table)};
                for (int i = 0; i < q.columnCount(); ++i)
                    cells << q.value(i).toString();
                lines << cells.join(QLatin1Char('|'));
            }
        }
    } else {
        pg::PgConnection db(pg::PgSession::conninfo(m_server, m_catalogue, QString(), QString()));
        for (const char *table : {"users", "locations", "user_roots", "projects", "history", "versions", "contents"}) {
            const pg::PgResult r = db.exec((QByteArray("SELECT t::text FROM dw.") + table + " t").constData());
            for (int i = 0; i < r.rows(); ++i)
                lines << QString::fromLatin1(table) + '|' + r.text(i, 0);
        }
        const pg::PgResult r = db.exec("SELECT content_id, seq, md5(data) FROM dw.chunks");
        for (int i = 0; i < r.rows(); ++i)
            lines << QStringLiteral("chunks|%1|%2|%3").arg(r.text(i, 0), r.text(i, 1), r.text(i, 2));
    }
    for (const QString &base : {root(), m_dir.filePath(QStringLiteral("werk")),
                                StoreFolders::stagingFolder(storeFolder(), QStringLiteral("Test")),
                                StoreFolders::contentFolder(storeFolder(), QStringLiteral("Test"))}) {
        QDirIterator it(base, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            lines << path + QLatin1Char('|')
                    + QString::fromLatin1(QCryptographicHash::hash(readFile(path), QCryptographicHash::Md5).toHex());
        }
    }
    lines.sort();
    return lines;
}
