#include "admin/StoreAdmin.h"

#include "StoreFolders.h"
#include "db/Schema.h"
#include "fs/FileOps.h"
#include "fs/NameRules.h"
#include "platform/DwError.h"

#include <QDir>
#include <QFileInfo>

namespace dwfm::store {

void StoreAdmin::createStore(const QString &folder, const QString &catalogue)
{
    NameRules::require(catalogue);
    const QString dbPath = StoreFolders::databasePath(folder, catalogue);
    if (QFileInfo::exists(dbPath))
        throw DwError(DwError::FileAlreadyExists, QStringLiteral("Er bestaat al een store '%1' in '%2'.").arg(catalogue, folder));
    FileOps::makePath(folder);
    FileOps::makePath(StoreFolders::rootFolder(folder, catalogue));
    try {
        Schema::create(SqliteDb::open(dbPath, true));
    } catch (...) {
        QFile::remove(dbPath);
        throw;
    }
}

StoreAdmin::StoreAdmin(std::shared_ptr<DwFileStoreSession> session) : m_session(std::move(session))
{
}

void StoreAdmin::applyRoots(const QString &id, const QList<qint32> &roots)
{
    const SqliteDbPtr &db = m_session->context()->db();
    Statement clear(db, "DELETE FROM user_roots WHERE user_key = ?");
    clear.bind(1, NameRules::key(id)).exec();
    for (qint32 root : roots) {
        if (!m_session->context()->locationExists(root))
            throw DwError(DwError::ItemNotFound, QStringLiteral("Locatie %1 bestaat niet.").arg(root));
        Statement ins(db, "INSERT INTO user_roots (user_key, location_id) VALUES (?, ?)");
        ins.bind(1, NameRules::key(id)).bind(2, qint64(root)).exec();
    }
}

void StoreAdmin::addUser(const QString &id, const UserChange &settings, int iterations)
{
    NameRules::require(id);
    const SqliteDbPtr &db = m_session->context()->db();
    WriteTransaction tx(db);
    Statement ins(db, "INSERT INTO users (user_id, user_key, full_name) VALUES (?, ?, ?)");
    ins.bind(1, id).bind(2, NameRules::key(id)).bind(3, settings.name.value_or(id));
    try {
        ins.exec();
    } catch (const DwError &e) {
        if (e.number() == DwError::IntegrityViolation)
            throw DwError(e.number(), QStringLiteral("De gebruiker '%1' bestaat al.").arg(id));
        throw;
    }
    tx.commit();
    try {
        changeUser(id, settings, iterations);
    } catch (...) {
        Statement del(db, "DELETE FROM users WHERE user_key = ?");
        del.bind(1, NameRules::key(id)).exec();
        throw;
    }
}

void StoreAdmin::changeUser(const QString &id, const UserChange &change, int iterations)
{
    const SqliteDbPtr &db = m_session->context()->db();
    WriteTransaction tx(db);
    Statement find(db, "SELECT 1 FROM users WHERE user_key = ?");
    find.bind(1, NameRules::key(id));
    if (!find.step())
        throw DwError(DwError::ItemNotFound, QStringLiteral("De gebruiker '%1' bestaat niet.").arg(id));
    auto set = [&](const char *sql, const QVariant &value) {
        Statement upd(db, sql);
        upd.bind(1, value).bind(2, NameRules::key(id)).exec();
    };
    if (change.name)
        set("UPDATE users SET full_name = ? WHERE user_key = ?", *change.name);
    if (change.password)
        set("UPDATE users SET password_hash = ? WHERE user_key = ?",
            change.password->isEmpty() ? QVariant() : QVariant(PasswordHasher::hash(*change.password, iterations)));
    if (change.admin)
        set("UPDATE users SET is_admin = ? WHERE user_key = ?", int(*change.admin));
    if (change.readOnly)
        set("UPDATE users SET is_readonly = ? WHERE user_key = ?", int(*change.readOnly));
    if (change.workingRoot)
        set("UPDATE users SET working_root = ? WHERE user_key = ?",
            change.workingRoot->isEmpty() ? QVariant() : QVariant(QDir(*change.workingRoot).absolutePath()));
    if (change.roots)
        applyRoots(id, *change.roots);
    tx.commit();
}

QList<UserRecord> StoreAdmin::users()
{
    const SqliteDbPtr &db = m_session->context()->db();
    QList<UserRecord> list;
    Statement q(db, "SELECT user_id, full_name, is_admin, is_readonly, password_hash IS NOT NULL, working_root, user_key "
                    "FROM users ORDER BY user_key");
    while (q.step()) {
        UserRecord u;
        static_cast<UserInfo &>(u) = UserInfo{q.text(0), q.text(1), q.int64(2) != 0, q.int64(3) != 0, q.text(5)};
        u.hasPassword = q.int64(4) != 0;
        Statement r(db, "SELECT location_id FROM user_roots WHERE user_key = ? ORDER BY location_id");
        r.bind(1, q.text(6));
        while (r.step())
            u.roots << qint32(r.int64(0));
        list << u;
    }
    return list;
}

void StoreAdmin::setLocationKind(qint32 locationId, qint32 kind)
{
    if (kind != LocationKind::Files && kind != LocationKind::Archive)
        throw DwError(DwError::InputError, QStringLiteral("Het soort locatie %1 bestaat niet (9 = bestanden, 1 = archief).").arg(kind));
    const SqliteDbPtr &db = m_session->context()->db();
    WriteTransaction tx(db);
    m_session->context()->location(locationId);
    Statement upd(db, "UPDATE locations SET kind = ? WHERE location_id = ?");
    upd.bind(1, qint64(kind)).bind(2, qint64(locationId)).exec();
    tx.commit();
}

ImportResult StoreAdmin::importTree(const QString &source, qint32 parentId)
{
    const QFileInfo info(source);
    if (!info.isDir())
        throw DwError(DwError::PathNotFound, QStringLiteral("De map '%1' bestaat niet.").arg(source));
    // The store's own folder (or one that holds it) would be copied into itself.
    const QString inside = QDir::cleanPath(info.canonicalFilePath()) + QLatin1Char('/');
    for (const QString &own : {m_session->context()->folder(), m_session->context()->rootFolder()}) {
        const QString ownPath = QDir::cleanPath(QFileInfo(own).canonicalFilePath()) + QLatin1Char('/');
        if (ownPath.startsWith(inside) || inside.startsWith(ownPath)) {
            throw DwError(DwError::InputError,
                          QStringLiteral("De map '%1' hoort bij de store zelf en kan niet worden geïmporteerd.").arg(source));
        }
    }
    ImportResult result;
    auto &locations = static_cast<StoreLocations &>(m_session->Locations());
    const qint32 kind = parentId == 0 ? LocationKind::Files : m_session->context()->location(parentId).kind;
    result.locationId = locations.create(info.fileName(), QString(), parentId, kind);
    ++result.locations;
    importInto(info.absoluteFilePath(), result.locationId, result);
    return result;
}

void StoreAdmin::importInto(const QString &source, qint32 locationId, ImportResult &result)
{
    const QDir dir(source);
    auto &locations = static_cast<StoreLocations &>(m_session->Locations());
    for (const QFileInfo &entry : dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
        const qint32 id = m_session->Projects().AddProject(entry.absoluteFilePath(), locationId, QVariant(), true, true);
        if (id < 0)
            result.skipped << QStringLiteral("%1: %2").arg(entry.absoluteFilePath(), m_session->Database().LastError());
        else
            ++result.files;
    }
    for (const QFileInfo &entry : dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        qint32 child = 0;
        try {
            child = locations.create(entry.fileName(), QString(), locationId, m_session->context()->location(locationId).kind);
        } catch (const DwError &e) {
            result.skipped << QStringLiteral("%1: %2").arg(entry.absoluteFilePath(), e.description());
            continue;
        }
        ++result.locations;
        importInto(entry.absoluteFilePath(), child, result);
    }
}

} // namespace dwfm::store
