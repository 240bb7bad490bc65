#include "db/Schema.h"

#include "platform/DwError.h"

namespace dwfm::store::Schema {

namespace {
// Location and file names are compared without regard to case through name_key, a
// case-folded copy made by the store (the same folding on every backend).
const char *const CreateSqlite = R"SQL(
CREATE TABLE store_info (
    key   TEXT PRIMARY KEY,
    value TEXT NOT NULL
);
CREATE TABLE users (
    user_id       TEXT PRIMARY KEY,
    user_key      TEXT NOT NULL UNIQUE,
    full_name     TEXT NOT NULL DEFAULT '',
    password_hash TEXT,
    is_admin      INTEGER NOT NULL DEFAULT 0,
    is_readonly   INTEGER NOT NULL DEFAULT 0,
    working_root  TEXT
);
CREATE TABLE locations (
    location_id INTEGER PRIMARY KEY,
    parent_id   INTEGER NOT NULL DEFAULT 0,
    name        TEXT NOT NULL,
    name_key    TEXT NOT NULL,
    remark      TEXT,
    kind        INTEGER NOT NULL DEFAULT 9,
    UNIQUE (parent_id, name_key)
);
CREATE TABLE user_roots (
    user_key    TEXT NOT NULL,
    location_id INTEGER NOT NULL,
    PRIMARY KEY (user_key, location_id)
);
CREATE TABLE projects (
    project_id      INTEGER PRIMARY KEY,
    location_id     INTEGER NOT NULL,
    file_name       TEXT NOT NULL,
    name_key        TEXT NOT NULL,
    checked_out     INTEGER NOT NULL DEFAULT 0,
    user_id         TEXT,
    checkout_at     INTEGER,
    computer_name   TEXT,
    checkout_folder TEXT,
    checkout_remark TEXT,
    locked          INTEGER NOT NULL DEFAULT 0,
    default_project INTEGER NOT NULL DEFAULT 0,
    UNIQUE (location_id, name_key)
);
CREATE INDEX projects_by_user ON projects (user_id) WHERE checked_out = 1;
CREATE TABLE history (
    history_id INTEGER PRIMARY KEY,
    project_id INTEGER NOT NULL,
    action     TEXT NOT NULL,
    action_at  INTEGER NOT NULL,
    user_name  TEXT,
    memo       TEXT
);
CREATE INDEX history_by_project ON history (project_id, history_id);
)SQL";

// Version 2: the disk steps that follow a committed change until they are done.
const char *const PendingWorkSql = R"SQL(
CREATE TABLE IF NOT EXISTS pending_work (
    work_id   INTEGER PRIMARY KEY,
    kind      INTEGER NOT NULL,
    from_path TEXT NOT NULL,
    to_path   TEXT,
    item_id   INTEGER NOT NULL DEFAULT 0,
    name_key  TEXT,
    owner     TEXT NOT NULL,
    noted_at  INTEGER NOT NULL
);
)SQL";
} // namespace

void create(const SqliteDbPtr &db)
{
    db->exec("PRAGMA journal_mode=WAL");
    WriteTransaction tx(db);
    db->exec(CreateSqlite);
    db->exec(PendingWorkSql);
    Statement ins(db, "INSERT INTO store_info (key, value) VALUES ('schema_version', ?)");
    ins.bind(1, QString::number(CurrentVersion)).exec();
    tx.commit();
}

void verify(const SqliteDbPtr &db, const QString &path)
{
    int version = 0;
    try {
        Statement q(db, "SELECT value FROM store_info WHERE key = 'schema_version'");
        if (q.step())
            version = q.text(0).toInt();
    } catch (const DwError &) {
        version = 0;
    }
    if (version <= 0) {
        throw DwError(DwError::DatabaseError,
                      QStringLiteral("Het bestand '%1' is geen database van een documentenstore.").arg(path));
    }
    if (version > CurrentVersion) {
        throw DwError(DwError::DatabaseError,
                      QStringLiteral("De store '%1' heeft schemaversie %2; dit programma kent alleen versie %3 en "
                                     "ouder.").arg(path).arg(version).arg(CurrentVersion));
    }
    if (version < CurrentVersion) {
        // An older store gets the newer tables; a store that cannot be written (read-only
        // media) is still read as it is.
        try {
            WriteTransaction tx(db);
            db->exec(PendingWorkSql);
            Statement upd(db, "UPDATE store_info SET value = ? WHERE key = 'schema_version'");
            upd.bind(1, QString::number(CurrentVersion)).exec();
            tx.commit();
        } catch (const DwError &) {
        }
    }
}

} // namespace dwfm::store::Schema
