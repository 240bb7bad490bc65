#include "admin/StoreAdmin.h"

#include "StoreFolders.h"
#include "admin/StoreCheck.h"
#include "admin/VersionPruning.h"
#include "db/Schema.h"
#include "fs/FileOps.h"
#include "fs/NameRules.h"
#include "DwError.h"

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
    const QString anchor = QDir(folder).absolutePath();
    FileOps::makeFolder(AnchoredPath::below(anchor, StoreFolders::rootFolder(anchor, catalogue)));
    // The content folder's sub-folders exist from the start, so that keeping a content
    // never has to make (and flush) a folder first.
    const QString contents = StoreFolders::contentFolder(anchor, catalogue);
    for (int i = 0; i < 256; ++i)
        FileOps::makeFolder(AnchoredPath::below(anchor, FileOps::join(contents, QStringLiteral("%1").arg(i, 2, 16, QLatin1Char('0')))));
    // Made here rather than by SQLite, which would give it mode 0644 whatever the umask:
    // with a group's umask (002) every account of the group can then write it, and SQLite
    // gives its journal files the database's mode.
    const AnchoredPath db = AnchoredPath::below(anchor, StoreFolders::databasePath(anchor, catalogue));
    FileOps::createFile(db);
    const QString searchPath = StoreFolders::searchDatabasePath(anchor, catalogue);
    try {
        Schema::create(SqliteDb::open(dbPath, true), searchPath);
    } catch (...) {
        FileOps::discard(db);
        if (QFileInfo::exists(searchPath))
            FileOps::discard(AnchoredPath::below(anchor, searchPath));
        throw;
    }
}

StoreAdmin::StoreAdmin(std::shared_ptr<DwFileStoreSession> session, int iterations)
    : m_session(std::move(session)), m_iterations(iterations)
{
}

QString StoreAdmin::defaultWorkingRoot(const QString &userId)
{
    return StoreFolders::defaultWorkingRoot(m_session->context()->catalogue(), userId);
}

PruneResult StoreAdmin::prune(const PruneRules &rules)
{
    return VersionPruning(m_session->context()).prune(rules);
}

ContentTotals StoreAdmin::storedContent()
{
    return VersionPruning(m_session->context()).totals();
}

QStringList StoreAdmin::check(bool deep)
{
    return StoreCheck(m_session->context()).check(deep);
}

QStringList StoreAdmin::repair(bool deep)
{
    return StoreCheck(m_session->context()).repair(deep);
}

QString StoreAdmin::lostFolder()
{
    return StoreCheck(m_session->context()).lostFolder();
}

QStringList StoreAdmin::ownFolders()
{
    return {m_session->context()->folder(), m_session->context()->rootFolder()};
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
        u.id = q.text(0);
        u.name = q.text(1);
        u.admin = q.int64(2) != 0;
        u.readOnly = q.int64(3) != 0;
        u.workingRoot = q.text(5);
        u.hasPassword = q.int64(4) != 0;
        Statement r(db, "SELECT location_id FROM user_roots WHERE user_key = ? ORDER BY location_id");
        r.bind(1, q.text(6));
        while (r.step())
            u.roots << qint32(r.int64(0));
        list << u;
    }
    return list;
}

void StoreAdmin::requireAddable(const QString &id)
{
    NameRules::require(id);
    if (nameTaken(id))
        throw DwError(DwError::IntegrityViolation, QStringLiteral("De gebruiker '%1' bestaat al.").arg(id));
}

bool StoreAdmin::nameTaken(const QString &id)
{
    Statement find(m_session->context()->db(), "SELECT 1 FROM users WHERE user_key = ?");
    find.bind(1, NameRules::key(id));
    return find.step();
}

RemovedUser StoreAdmin::removeUser(const QString &id, HeldFiles held)
{
    const SqliteDbPtr &db = m_session->context()->db();
    QString userId;
    QList<qint32> files;
    {
        Statement find(db, "SELECT user_id FROM users WHERE user_key = ?");
        find.bind(1, NameRules::key(id));
        if (!find.step())
            throw DwError(DwError::ItemNotFound, QStringLiteral("De gebruiker '%1' bestaat niet.").arg(id));
        userId = find.text(0);
        Statement q(db, "SELECT project_id FROM projects WHERE checked_out = 1 AND user_id = ?");
        q.bind(1, userId);
        while (q.step())
            files << qint32(q.int64(0));
    }
    requireDecision(userId, files.size(), held);
    RemovedUser removed;
    if (held == HeldFiles::Release) {
        // As an administrator undoing them: the history says for whom; their working copies
        // on their own computer are not touched.
        for (qint32 file : std::as_const(files)) {
            if (!m_session->Projects().CancelCheckOut(file, QStringLiteral("Gebruiker verwijderd."), false))
                throw DwError(m_session->Database().LastErrorNumber(), m_session->Database().LastError());
            ++removed.released;
        }
    } else {
        removed.kept = int(files.size());
    }
    WriteTransaction tx(db);
    for (const char *sql : {"DELETE FROM user_roots WHERE user_key = ?", "DELETE FROM users WHERE user_key = ?"}) {
        Statement del(db, sql);
        del.bind(1, NameRules::key(id)).exec();
    }
    tx.commit();
    return removed;
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

} // namespace dwfm::store
