#include "StoreFixture.h"

#include "StoreFolders.h"
#include "db/SqliteDb.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>

using namespace dwfm;
using namespace dwfm::store;

void StoreTest::SetUp()
{
    ASSERT_TRUE(m_dir.isValid());
    StoreAdmin::createStore(storeFolder(), QStringLiteral("Test"));
    StoreAdmin admin(DwFileStoreSession::openAsAdministrator(storeFolder(), QStringLiteral("Test"), QStringLiteral("beheer")));
    for (const char *name : {"anna", "bert", "lezer"}) {
        UserChange c;
        c.password = QString::fromLatin1(name);
        c.admin = QLatin1String(name) == QLatin1String("anna");
        c.readOnly = QLatin1String(name) == QLatin1String("lezer");
        c.workingRoot = workingRoot(QString::fromLatin1(name));
        admin.addUser(QString::fromLatin1(name), c, 1000);
    }
    auto &locations = admin.session().Locations();
    ASSERT_TRUE(locations.CreateLocation(QStringLiteral("Projecten"), QString(), 0, projecten));
    ASSERT_TRUE(locations.CreateLocation(QStringLiteral("Tekeningen"), QString(), projecten, tekeningen));
    ASSERT_TRUE(locations.CreateLocation(QStringLiteral("Archief"), QString(), 0, archief));
    admin.setLocationKind(archief, 1);
    anna = connect(QStringLiteral("anna"));
    bert = connect(QStringLiteral("bert"));
    lezer = connect(QStringLiteral("lezer"));
}

std::unique_ptr<DwFileStoreSession> StoreTest::connect(const QString &user)
{
    auto s = std::make_unique<DwFileStoreSession>();
    EXPECT_TRUE(s->Connect(storeFolder(), user, user, QStringLiteral("Test"), true)) << s->Database().LastError().toStdString();
    return s;
}

QString StoreTest::root() const
{
    return StoreFolders::rootFolder(storeFolder(), QStringLiteral("Test"));
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

QStringList StoreTest::snapshot() const
{
    QStringList lines;
    auto db = SqliteDb::open(StoreFolders::databasePath(storeFolder(), QStringLiteral("Test")), false);
    for (const char *table : {"users", "locations", "user_roots", "projects", "history", "pending_work"}) {
        Statement q(db, (QByteArray("SELECT * FROM ") + table + " ORDER BY 1, 2").constData());
        while (q.step()) {
            QStringList cells{QString::fromLatin1(table)};
            for (int i = 0; i < q.columnCount(); ++i)
                cells << q.value(i).toString();
            lines << cells.join(QLatin1Char('|'));
        }
    }
    for (const QString &base : {root(), m_dir.filePath(QStringLiteral("werk")),
                                StoreFolders::stagingFolder(storeFolder(), QStringLiteral("Test"))}) {
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
