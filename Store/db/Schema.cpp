#include "db/Schema.h"

#include "DwError.h"
#include "fs/FileOps.h"

#include <QFileInfo>

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

// Version 3: the serial of the last change to each location's files, taken from one
// counter over the whole store (the highest serial plus one), in a table of its own. A
// session that remembers the highest serial it saw finds what others changed with one
// index search. Triggers keep it, so no statement that changes files has to remember to.
const char *const ChangeSerialsSql = R"SQL(
CREATE TABLE location_changes (
    location_id   INTEGER PRIMARY KEY,
    change_serial INTEGER NOT NULL
);
CREATE INDEX location_changes_by_serial ON location_changes (change_serial);
CREATE TRIGGER projects_added AFTER INSERT ON projects BEGIN
    INSERT OR REPLACE INTO location_changes (location_id, change_serial)
    VALUES (NEW.location_id, (SELECT COALESCE(MAX(change_serial), 0) + 1 FROM location_changes));
END;
CREATE TRIGGER projects_changed AFTER UPDATE ON projects BEGIN
    INSERT OR REPLACE INTO location_changes (location_id, change_serial)
    VALUES (OLD.location_id, (SELECT COALESCE(MAX(change_serial), 0) + 1 FROM location_changes));
    INSERT OR REPLACE INTO location_changes (location_id, change_serial)
    VALUES (NEW.location_id, (SELECT COALESCE(MAX(change_serial), 0) + 1 FROM location_changes));
END;
CREATE TRIGGER projects_removed AFTER DELETE ON projects BEGIN
    INSERT OR REPLACE INTO location_changes (location_id, change_serial)
    VALUES (OLD.location_id, (SELECT COALESCE(MAX(change_serial), 0) + 1 FROM location_changes));
END;
)SQL";

// Version 4: every content a file has had. A file's versions are numbered from 1 (its
// addition or copy); each check-in and restore adds one. `projects.version` is the current
// one, `checkout_version` the one its holder's check-out started from. A content is named
// by its SHA-256 and kept once in the store's content folder when it is no longer a file's
// current content. A store from before versions gets version 1 for each file's current
// content, without hash and size: reading every file at the first connect would keep that
// user waiting for as long as the whole store takes to read. The store fills them in when
// it first needs them (a check-in or restore keeps that content aside, a copy or
// `dwstore repair` reads it), and a version without a hash is always its file's current one.
const char *const VersionsSql = R"SQL(
CREATE TABLE versions (
    project_id INTEGER NOT NULL,
    version    INTEGER NOT NULL,
    hash       TEXT,
    size       INTEGER,
    user_name  TEXT,
    made_at    INTEGER NOT NULL,
    remark     TEXT,
    PRIMARY KEY (project_id, version)
) WITHOUT ROWID;
CREATE INDEX versions_by_hash ON versions (hash);
ALTER TABLE projects ADD COLUMN version INTEGER NOT NULL DEFAULT 1;
ALTER TABLE projects ADD COLUMN checkout_version INTEGER;
ALTER TABLE pending_work ADD COLUMN keep_path TEXT;
INSERT INTO versions (project_id, version, user_name, made_at)
SELECT p.project_id, 1,
       (SELECT h.user_name FROM history h WHERE h.project_id = p.project_id
           AND (h.action IN ('Toegevoegd', 'Vrijgegeven') OR h.action LIKE 'Gekopieerd van%')
         ORDER BY h.history_id DESC LIMIT 1),
       COALESCE((SELECT h.action_at FROM history h WHERE h.project_id = p.project_id
           AND (h.action IN ('Toegevoegd', 'Vrijgegeven') OR h.action LIKE 'Gekopieerd van%')
         ORDER BY h.history_id DESC LIMIT 1), CAST(strftime('%s', 'now') AS INTEGER) * 1000)
  FROM projects p;
UPDATE projects SET checkout_version = 1 WHERE checked_out = 1;
)SQL";

// Version 5 kept the search index in the store's database; version 6 keeps it in a database
// file of its own beside it ("<catalogue>.dwsearch"), attached to every connection as
// `search`. Its pages then never lie among the file table's, so listing a large location
// maps no index pages into memory, and the indexer's writes are no change of the store
// for the other sessions' change watch. The index holds nothing the store does not: a
// missing index file is made again from the store (names and remarks at once, document
// text by the indexer).
//
// Names and check-out remarks (search_names) and history remarks (search_memos) are kept
// folded (dw_fold: lower case, no accents) in full-text tables of three-character parts, so
// any part of them is found; triggers keep them, so they are right the moment a change
// commits. The text inside documents (search_text, in words) takes longer to read: a new or
// checked-in file waits in search_queue until an indexer, in the background after the
// commit, has read it; search_content keeps the stamp of the server file whose text is in
// the index, so content that did not change (an undone check-out) is not read again.
const char *const SearchTablesSql = R"SQL(
CREATE VIRTUAL TABLE search.search_names USING fts5(name, remark, tokenize = 'trigram');
CREATE VIRTUAL TABLE search.search_memos USING fts5(memo, project_id UNINDEXED, tokenize = 'trigram');
CREATE VIRTUAL TABLE search.search_text USING fts5(body, tokenize = 'unicode61 remove_diacritics 2');
CREATE TABLE search.search_content (
    project_id INTEGER PRIMARY KEY,
    stamp      TEXT NOT NULL
);
CREATE TABLE search.search_queue (
    project_id INTEGER PRIMARY KEY,
    queued     INTEGER NOT NULL,
    claimed_by TEXT
);
CREATE INDEX search.search_queue_in_order ON search_queue (queued);
INSERT INTO search.search_names (rowid, name, remark)
SELECT project_id, dw_fold(file_name), dw_fold(checkout_remark) FROM main.projects;
INSERT INTO search.search_memos (rowid, memo, project_id)
SELECT history_id, dw_fold(memo), project_id FROM main.history WHERE memo IS NOT NULL;
)SQL";

// What a store of version 5 had read of its documents moves along; its own tables and
// triggers go.
const char *const MoveSearchSql = R"SQL(
INSERT INTO search.search_text (rowid, body) SELECT rowid, body FROM main.search_text;
INSERT INTO search.search_content (project_id, stamp) SELECT project_id, stamp FROM main.search_content;
INSERT INTO search.search_queue (project_id, queued) SELECT project_id, queued FROM main.search_queue;
)SQL";
const char *const DropOldSearchSql = R"SQL(
DROP TRIGGER IF EXISTS main.search_project_added;
DROP TRIGGER IF EXISTS main.search_project_named;
DROP TRIGGER IF EXISTS main.search_project_released;
DROP TRIGGER IF EXISTS main.search_project_removed;
DROP TRIGGER IF EXISTS main.search_memo_added;
DROP TRIGGER IF EXISTS main.search_memo_removed;
DROP TABLE IF EXISTS main.search_names;
DROP TABLE IF EXISTS main.search_memos;
DROP TABLE IF EXISTS main.search_text;
DROP TABLE IF EXISTS main.search_content;
DROP TABLE IF EXISTS main.search_queue;
)SQL";

// The triggers that keep the index, temporary ones of each connection: a trigger of the
// store's database cannot reach the attached index. Names in their bodies are found in the
// attached index, the only place that has them.
const char *const KeepSearchSql = R"SQL(
CREATE TEMP TRIGGER IF NOT EXISTS search_project_added AFTER INSERT ON main.projects BEGIN
    INSERT INTO search_names (rowid, name, remark)
    VALUES (NEW.project_id, dw_fold(NEW.file_name), dw_fold(NEW.checkout_remark));
    INSERT OR REPLACE INTO search_queue (project_id, queued)
    VALUES (NEW.project_id, (SELECT COALESCE(MAX(queued), 0) + 1 FROM search_queue));
END;
CREATE TEMP TRIGGER IF NOT EXISTS search_project_named AFTER UPDATE OF file_name, checkout_remark ON main.projects BEGIN
    UPDATE search_names SET name = dw_fold(NEW.file_name), remark = dw_fold(NEW.checkout_remark)
     WHERE rowid = NEW.project_id;
END;
CREATE TEMP TRIGGER IF NOT EXISTS search_project_released AFTER UPDATE OF checked_out ON main.projects
WHEN OLD.checked_out = 1 AND NEW.checked_out = 0 BEGIN
    INSERT OR REPLACE INTO search_queue (project_id, queued)
    VALUES (NEW.project_id, (SELECT COALESCE(MAX(queued), 0) + 1 FROM search_queue));
END;
CREATE TEMP TRIGGER IF NOT EXISTS search_project_removed AFTER DELETE ON main.projects BEGIN
    DELETE FROM search_names WHERE rowid = OLD.project_id;
    DELETE FROM search_text WHERE rowid = OLD.project_id;
    DELETE FROM search_content WHERE project_id = OLD.project_id;
    DELETE FROM search_queue WHERE project_id = OLD.project_id;
END;
CREATE TEMP TRIGGER IF NOT EXISTS search_memo_added AFTER INSERT ON main.history WHEN NEW.memo IS NOT NULL BEGIN
    INSERT INTO search_memos (rowid, memo, project_id) VALUES (NEW.history_id, dw_fold(NEW.memo), NEW.project_id);
END;
CREATE TEMP TRIGGER IF NOT EXISTS search_memo_removed AFTER DELETE ON main.history BEGIN
    DELETE FROM search_memos WHERE rowid = OLD.history_id;
END;
)SQL";

// Whether the store's database (or, `inIndex`, the attached index) has the table.
bool hasTable(const SqliteDbPtr &db, bool inIndex, const char *table)
{
    Statement q(db, inIndex ? "SELECT 1 FROM search.sqlite_master WHERE name = ?"
                            : "SELECT 1 FROM main.sqlite_master WHERE name = ?");
    q.bind(1, QString::fromLatin1(table));
    return q.step();
}

// The index's tables, filled from the store, when the attached index has none; inside the
// caller's write transaction. The text of a store of version 5 moves along, otherwise every
// file waits to be read.
void completeSearch(const SqliteDbPtr &db)
{
    const bool old = hasTable(db, false, "search_text");
    if (!hasTable(db, true, "search_queue")) {
        db->exec(SearchTablesSql);
        if (old)
            db->exec(MoveSearchSql);
        else
            db->exec("INSERT INTO search.search_queue (project_id, queued) SELECT project_id, project_id FROM main.projects");
    }
    if (old)
        db->exec(DropOldSearchSql);
}

int readVersion(const SqliteDbPtr &db)
{
    try {
        Statement q(db, "SELECT value FROM store_info WHERE key = 'schema_version'");
        return q.step() ? q.text(0).toInt() : 0;
    } catch (const DwError &) {
        return 0;
    }
}

// Brings a store of an older version up to this one; inside the caller's write transaction.
void upgrade(const SqliteDbPtr &db, int from)
{
    if (from < 2)
        db->exec(PendingWorkSql);
    if (from < 3)
        db->exec(ChangeSerialsSql);
    if (from < 4)
        db->exec(VersionsSql);
    completeSearch(db);
    Statement set(db, "UPDATE store_info SET value = ? WHERE key = 'schema_version'");
    set.bind(1, QString::number(CurrentVersion)).exec();
}
} // namespace

void create(const SqliteDbPtr &db, const QString &searchPath)
{
    db->exec("PRAGMA journal_mode=WAL");
    attachSearch(db, searchPath);
    WriteTransaction tx(db);
    db->exec(CreateSqlite);
    Statement ins(db, "INSERT INTO store_info (key, value) VALUES ('schema_version', '1')");
    ins.exec();
    upgrade(db, 1);
    tx.commit();
}

void attachSearch(const SqliteDbPtr &db, const QString &searchPath)
{
    if (!QFileInfo::exists(searchPath)) {
        // Made here rather than by SQLite, with the modes the store's database has.
        try {
            FileOps::createFile(AnchoredPath::below(QFileInfo(searchPath).absolutePath(), searchPath));
        } catch (const DwError &) {
            // A store that cannot be written: an empty index in memory, so that listing
            // works; searching reports that there is no index.
            db->exec("ATTACH DATABASE ':memory:' AS search");
            return;
        }
    }
    Statement attach(db, "ATTACH DATABASE ? AS search");
    attach.bind(1, searchPath).exec();
    try {
        db->exec("PRAGMA search.journal_mode=WAL");
    } catch (const DwError &) {
        // Read-only: read as it is.
    }
}

void verify(const SqliteDbPtr &db, const QString &path, const QString &searchPath)
{
    const int version = readVersion(db);
    if (version <= 0) {
        throw DwError(DwError::DatabaseError,
                      QStringLiteral("Het bestand '%1' is geen database van een documentenstore.").arg(path));
    }
    if (version > CurrentVersion) {
        throw DwError(DwError::DatabaseError,
                      QStringLiteral("De store '%1' heeft schemaversie %2; dit programma kent alleen versie %3 en "
                                     "ouder.").arg(path).arg(version).arg(CurrentVersion));
    }
    attachSearch(db, searchPath);
    if (version < CurrentVersion || !hasTable(db, true, "search_queue")) {
        // Another process may be upgrading at the same moment: the version is read again
        // under the write lock. A store that cannot be written (read-only media) is still
        // read as it is.
        try {
            WriteTransaction tx(db);
            const int locked = readVersion(db);
            if (locked < CurrentVersion)
                upgrade(db, locked);
            else
                completeSearch(db);
            tx.commit();
        } catch (const DwError &) {
        }
    }
    db->exec(KeepSearchSql);
}

} // namespace dwfm::store::Schema
