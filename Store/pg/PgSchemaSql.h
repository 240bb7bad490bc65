#pragma once

namespace dwfm::store::pg {

// The server store's tables, owned by the store's owner role. Its users read the record
// tables and change them only through the functions (PgFunctionsSql.h, PgContentSql.h);
// the content tables they can neither read nor write.
//
// {owner} is replaced by the owner role. The scripts run as the database administrator.

// The version of the tables and functions these scripts make (store_info 'schema_version').
// 1: content in a shared folder; 2: content and its versions in the database; 3: the
// functions that take a dialog's check-outs in one call and a small check-in in one message.
inline constexpr int PgSchemaVersion = 3;

// The record tables, for a new store.
inline const char *const PgRecordTablesSql = R"SQL(
CREATE SCHEMA dw AUTHORIZATION {owner};
SET ROLE {owner};
SET search_path = dw, pg_temp;

CREATE TABLE store_info (key text PRIMARY KEY, value text NOT NULL);
CREATE TABLE users (
    user_id      text PRIMARY KEY,
    user_key     text NOT NULL UNIQUE,
    full_name    text NOT NULL DEFAULT '',
    is_admin     boolean NOT NULL DEFAULT false,
    is_readonly  boolean NOT NULL DEFAULT false,
    working_root text);
CREATE TABLE locations (
    location_id serial PRIMARY KEY,
    parent_id   integer NOT NULL DEFAULT 0,
    name        text NOT NULL,
    name_key    text NOT NULL,
    remark      text,
    kind        integer NOT NULL DEFAULT 9,
    UNIQUE (parent_id, name_key));
CREATE TABLE user_roots (
    user_key    text NOT NULL,
    location_id integer NOT NULL,
    PRIMARY KEY (user_key, location_id));
CREATE TABLE projects (
    project_id      serial PRIMARY KEY,
    location_id     integer NOT NULL REFERENCES locations,
    file_name       text NOT NULL,
    name_key        text NOT NULL,
    checked_out     boolean NOT NULL DEFAULT false,
    user_id         text,
    checkout_at     bigint,
    computer_name   text,
    checkout_folder text,
    checkout_remark text,
    locked          boolean NOT NULL DEFAULT false,
    default_project boolean NOT NULL DEFAULT false,
    UNIQUE (location_id, name_key));
CREATE INDEX projects_by_user ON projects (user_id) WHERE checked_out;
CREATE TABLE history (
    history_id bigserial PRIMARY KEY,
    project_id integer NOT NULL,
    action     text NOT NULL,
    action_at  bigint NOT NULL,
    user_name  text,
    memo       text);
CREATE INDEX history_by_project ON history (project_id, history_id);
RESET ROLE;
)SQL";

// The content of the files, for a new store and for one of version 1, whose files lay in a
// shared folder (their content is moved in afterwards: a file without a version has none yet).
// A content is stored once, in chunks of at most 1 MiB (bytea, not compressed: documents
// are mostly compressed already, and uncompressed chunks are read and written fastest),
// named by its SHA-256 and counted by the server (size, chunks). While it is being uploaded
// it belongs to its uploader's transaction only (uploading, upload_xact); a deferred check
// refuses the commit of a transaction that leaves an upload that did not become a file's
// version, so an upload is either a version or gone with its transaction.
inline const char *const PgContentTablesSql = R"SQL(
SET ROLE {owner};
SET search_path = dw, pg_temp;
CREATE TABLE contents (
    content_id  bigserial PRIMARY KEY,
    sha256      bytea,
    size        bigint NOT NULL DEFAULT 0,
    chunk_count integer NOT NULL DEFAULT 0,
    uploading   boolean NOT NULL DEFAULT true,
    uploader    text NOT NULL,
    upload_xact xid8,
    CHECK (uploading OR octet_length(sha256) = 32));
CREATE INDEX contents_by_hash ON contents (sha256) WHERE NOT uploading;
CREATE TABLE chunks (
    content_id bigint NOT NULL REFERENCES contents ON DELETE CASCADE,
    seq        integer NOT NULL,
    data       bytea NOT NULL,
    PRIMARY KEY (content_id, seq));
ALTER TABLE chunks ALTER COLUMN data SET STORAGE EXTERNAL;
-- Every add, copy, check-in and restore makes a version; the file's row names its current
-- one, and while it is checked out the version the check-out started from.
CREATE TABLE versions (
    project_id integer NOT NULL REFERENCES projects ON DELETE CASCADE,
    version    integer NOT NULL,
    content_id bigint NOT NULL REFERENCES contents,
    sha256     bytea NOT NULL,
    size       bigint NOT NULL,
    made_at    bigint NOT NULL,
    user_name  text,
    remark     text,
    PRIMARY KEY (project_id, version));
CREATE INDEX versions_by_content ON versions (content_id);
ALTER TABLE projects ADD COLUMN version integer, ADD COLUMN checkout_version integer;
RESET ROLE;
)SQL";

} // namespace dwfm::store::pg
