#pragma once

namespace dwfm::store::pg {

// Finding files in the server store: names and remarks by any part (trigram indexes of
// pg_trgm over the text folded to lower case without accents), holders, and the text inside
// documents (PostgreSQL's full-text search, `dutch` configuration, over folded text).
//
// The text of a document is read by the clients, not by the server: a content that became
// a file's version waits in search_queue until a client that has the store open claims it
// (claim_text), reads its text and hands it back (store_text). A claim is a session-level
// advisory lock of the claiming connection, so two clients never read the same content, and
// a client that dies or loses its connection leaves it to the next one. Text is kept per
// content: copies share it, and a version restored needs no reading.
//
// The fold function and pg_trgm live in a schema of their own (dw_search), which the
// rebuild of the functions (PgFunctionsSql.h drops every function of dw) leaves alone, so
// the indexes over the fold stay. The users can neither read the text nor call the fold.
//
// Made for a new store, by the upgrade, and for a store made before it could search;
// safe to run again. Replaced: {owner}, {users}, {trgm} (the schema holding pg_trgm),
// {collate} (a COLLATE clause under which lower() knows every letter, or nothing), and
// {shown} (the files below a user's roots with their location's path, ShownFiles).

// Run first, so that the schema of pg_trgm is known for the rest.
inline const char *const PgSearchExtensionSql = R"SQL(
SET ROLE {owner};
CREATE SCHEMA IF NOT EXISTS dw_search AUTHORIZATION {owner};
CREATE EXTENSION IF NOT EXISTS pg_trgm SCHEMA dw_search;
RESET ROLE;
)SQL";

inline const char *const PgSearchSql = R"SQL(
SET ROLE {owner};
SET search_path = dw, pg_temp;

-- Lower case without accents: compatibility decomposition, combining marks dropped.
CREATE OR REPLACE FUNCTION dw_search.fold(t text) RETURNS text LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
RETURN lower(regexp_replace(normalize(t, NFKD), '[\u0300-\u036f\u1ab0-\u1aff\u1dc0-\u1dff\u20d0-\u20ff\ufe20-\ufe2f]', '',
                            'g') {collate});

-- The folded name is kept beside the name: the index answers candidates only, and each one
-- is checked again against its name, which must not mean folding 10,000 names per search.
ALTER TABLE projects ADD COLUMN IF NOT EXISTS name_folded text GENERATED ALWAYS AS (dw_search.fold(file_name)) STORED;
DROP INDEX IF EXISTS projects_name_search;
CREATE INDEX IF NOT EXISTS projects_name_folded_search ON projects USING gin (name_folded {trgm}.gin_trgm_ops);
CREATE INDEX IF NOT EXISTS projects_remark_search ON projects
    USING gin (dw_search.fold(checkout_remark) {trgm}.gin_trgm_ops);
CREATE INDEX IF NOT EXISTS history_memo_search ON history USING gin (dw_search.fold(memo) {trgm}.gin_trgm_ops);

CREATE TABLE IF NOT EXISTS search_text (
    content_id bigint PRIMARY KEY REFERENCES contents ON DELETE CASCADE,
    body       tsvector NOT NULL);
CREATE INDEX IF NOT EXISTS search_text_body ON search_text USING gin (body);
-- tries: claims so far; a content whose reading failed three times (a client that died on
-- it) is left alone.
CREATE TABLE IF NOT EXISTS search_queue (
    content_id bigint PRIMARY KEY REFERENCES contents ON DELETE CASCADE,
    queued_at  bigint NOT NULL,
    tries      integer NOT NULL DEFAULT 0);
CREATE INDEX IF NOT EXISTS search_queue_by_age ON search_queue (queued_at, content_id);

-- The current contents that have no text yet, for a store that kept content before.
INSERT INTO search_queue (content_id, queued_at)
SELECT DISTINCT v.content_id, 0 FROM versions v JOIN projects p ON p.project_id = v.project_id AND p.version = v.version
 WHERE NOT EXISTS (SELECT 1 FROM search_text t WHERE t.content_id = v.content_id)
ON CONFLICT DO NOTHING;

-- New versions whose content has no text yet wait for a client to read it; the clients
-- listening on dw_text hear of it at the commit. Once per statement: a paste of many files
-- adds their versions in one.
CREATE OR REPLACE FUNCTION queue_texts() RETURNS trigger LANGUAGE plpgsql SET search_path = dw, pg_temp AS $$
BEGIN
    INSERT INTO search_queue (content_id, queued_at)
    SELECT DISTINCT a.content_id, now_ms() FROM added a
     WHERE NOT EXISTS (SELECT 1 FROM search_text t WHERE t.content_id = a.content_id)
    ON CONFLICT DO NOTHING;
    -- Contents queued before were told of when they were queued.
    IF FOUND THEN
        PERFORM pg_notify('dw_text', '');
    END IF;
    RETURN NULL;
END $$;
DROP TRIGGER IF EXISTS versions_queue_text ON versions;
DROP FUNCTION IF EXISTS queue_text();
DROP TRIGGER IF EXISTS versions_queue_texts ON versions;
CREATE TRIGGER versions_queue_texts AFTER INSERT ON versions REFERENCING NEW TABLE AS added
    FOR EACH STATEMENT EXECUTE FUNCTION queue_texts();

-- Whether `u` sees the location: the roots rule of reachable(), as an answer.
CREATE OR REPLACE FUNCTION sees(u users, p_location integer) RETURNS boolean LANGUAGE sql STABLE
SET search_path = dw, pg_temp AS $$
    SELECT u.is_admin OR NOT EXISTS (SELECT 1 FROM user_roots WHERE user_key = u.user_key)
        OR EXISTS (SELECT 1 FROM above(p_location) a JOIN user_roots r USING (location_id) WHERE r.user_key = u.user_key);
$$;

-- The condition that `p_folded` (a folded text) holds every word, the words as LIKE patterns.
CREATE OR REPLACE FUNCTION holds_all(p_folded text, p_words text[]) RETURNS text LANGUAGE sql IMMUTABLE AS $$
    SELECT string_agg(format('%s LIKE %L', p_folded,
                             '%' || replace(replace(replace(w, '\', '\\'), '%', '\%'), '_', '\_') || '%'), ' AND ')
      FROM unnest(p_words) w;
$$;

-- The files below the caller's roots (the locations their tree shows) whose name holds every
-- word of p_text, whose check-out remark or a remark in whose history does, that the user
-- p_text names (user ID, or every word in the full name) holds, or whose current content's
-- text holds every word (words, or their beginnings): their file rows, each with its
-- location's path, by name and path. The rows come whole, so that the caller need not look
-- each file up again.
DROP FUNCTION IF EXISTS search_projects(text);
CREATE FUNCTION search_projects(p_text text)
RETURNS TABLE (project_id integer, file_name text, checked_out boolean, user_id text, checkout_at bigint,
               computer_name text, checkout_folder text, checkout_remark text, locked boolean,
               default_project boolean, location_id integer, location_path text)
LANGUAGE plpgsql STABLE SECURITY DEFINER SET search_path = dw, pg_temp AS $f$
DECLARE
    u users := caller();
    w text[] := ARRAY(SELECT dw_search.fold(x) FROM regexp_split_to_table(coalesce(p_text, ''), '\s+') x WHERE x <> '');
    x text;
    part tsquery;
    q tsquery;
    found text;
BEGIN
    IF cardinality(w) = 0 THEN
        RETURN;
    END IF;
    -- Each word as the beginning of a word of the text, as written or as its Dutch stem.
    FOREACH x IN ARRAY w LOOP
        x := '''' || replace(replace(x, '\', '\\'), '''', '''''') || ''':*';
        part := to_tsquery('dutch', x) || to_tsquery('simple', x);
        q := CASE WHEN q IS NULL THEN part ELSE q && part END;
    END LOOP;
    found := format('SELECT project_id FROM projects WHERE %1$s '
                    'UNION SELECT project_id FROM projects WHERE %2$s '
                    'UNION SELECT project_id FROM history WHERE %3$s '
                    'UNION SELECT project_id FROM projects WHERE checked_out AND user_id IN '
                    '  (SELECT user_id FROM users WHERE user_key = $3 OR (%4$s)) '
                    'UNION SELECT v.project_id FROM search_text t JOIN versions v ON v.content_id = t.content_id '
                    '  JOIN projects c ON c.project_id = v.project_id AND c.version = v.version WHERE t.body @@ $4',
                    holds_all('name_folded', w), holds_all('dw_search.fold(checkout_remark)', w),
                    holds_all('dw_search.fold(memo)', w), holds_all('dw_search.fold(full_name)', w));
    RETURN QUERY EXECUTE format($q${shown}$q$, found)
        USING u.user_key, 0, lower(trim(p_text)), q;
END $f$;

-- The key of the advisory lock that is the claim of a content.
CREATE OR REPLACE FUNCTION text_claim_key(p_content bigint) RETURNS bigint LANGUAGE sql IMMUTABLE AS $$
    SELECT (1685550200::bigint << 32) | (p_content & 4294967295);
$$;

-- The contents waiting for their text that the caller may read: used by a file's current
-- version below their roots.
CREATE OR REPLACE FUNCTION readable_waiting(u users) RETURNS SETOF search_queue LANGUAGE sql STABLE
SET search_path = dw, pg_temp AS $$
    SELECT s.* FROM search_queue s
     WHERE s.tries < 3 AND EXISTS (SELECT 1 FROM versions v JOIN projects p ON p.project_id = v.project_id
                                    AND p.version = v.version WHERE v.content_id = s.content_id AND sees(u, p.location_id))
     ORDER BY s.queued_at, s.content_id;
$$;

-- Claims the oldest waiting content no other client reads, for this connection, and answers
-- it: its ID, the name of a file it is the content of (which tells an office document), and
-- a cursor over its chunks for the running transaction. No row of values when nothing waits
-- that this caller may read; a user who may only read indexes nothing.
CREATE OR REPLACE FUNCTION claim_text(OUT content_id bigint, OUT file_name text, OUT content refcursor)
LANGUAGE plpgsql SECURITY DEFINER SET search_path = dw, pg_temp AS $$
DECLARE u users := caller(); s search_queue; id bigint; c contents;
BEGIN
    IF u.is_readonly THEN
        RETURN;
    END IF;
    FOR s IN SELECT * FROM readable_waiting(u) LOOP
        id := s.content_id;
        CONTINUE WHEN NOT pg_try_advisory_lock(text_claim_key(id));
        -- Another client may have stored it between the look and the lock, or be storing it.
        PERFORM 1 FROM search_queue q WHERE q.content_id = id FOR UPDATE SKIP LOCKED;
        IF NOT FOUND THEN
            PERFORM pg_advisory_unlock(text_claim_key(id));
            CONTINUE;
        END IF;
        UPDATE search_queue q SET tries = q.tries + 1 WHERE q.content_id = id;
        SELECT * INTO c FROM contents ct WHERE ct.content_id = id;
        SELECT p.file_name INTO file_name FROM versions v JOIN projects p ON p.project_id = v.project_id
           AND p.version = v.version WHERE v.content_id = id ORDER BY p.project_id LIMIT 1;
        content_id := id;
        content := content_cursor(c);
        RETURN;
    END LOOP;
END $$;

-- Gives a claim back unread (the client stopped); it does not count as a try.
CREATE OR REPLACE FUNCTION release_text(p_content bigint) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = dw, pg_temp AS $$
BEGIN
    IF pg_advisory_unlock(text_claim_key(p_content)) THEN
        UPDATE search_queue SET tries = greatest(tries - 1, 0) WHERE content_id = p_content;
    END IF;
END $$;

-- Keeps the text the claiming connection read of the content (folded; its words as they are
-- and as `dutch` stems) and tells the locations of the files it is the content of, so that
-- searches shown there look again. Only the connection holding the claim may.
CREATE OR REPLACE FUNCTION store_text(p_content bigint, p_text text) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = dw, pg_temp AS $$
DECLARE u users := writer(); folded text; body tsvector;
BEGIN
    IF NOT pg_advisory_unlock(text_claim_key(p_content)) THEN
        PERFORM refuse(format('De tekst van inhoud %s is niet door deze verbinding opgehaald.', p_content));
    END IF;
    IF NOT EXISTS (SELECT 1 FROM search_queue WHERE content_id = p_content) THEN
        RETURN; -- gone meanwhile
    END IF;
    -- The words as written (a search by the beginning of a word) and their Dutch stems.
    folded := dw_search.fold(coalesce(p_text, ''));
    BEGIN
        body := to_tsvector('dutch', folded) || to_tsvector('simple', folded);
    EXCEPTION WHEN program_limit_exceeded THEN
        -- Too many different words for one tsvector: the beginning of the text.
        folded := left(folded, 100000);
        body := to_tsvector('dutch', folded) || to_tsvector('simple', folded);
    END;
    INSERT INTO search_text (content_id, body) VALUES (p_content, body)
    ON CONFLICT (content_id) DO UPDATE SET body = EXCLUDED.body;
    DELETE FROM search_queue WHERE content_id = p_content;
    -- Open searches look again; no location's files changed, so no list is read again.
    PERFORM pg_notify('dw_text_stored', '');
END $$;

-- How many contents the caller may read still wait for their text.
CREATE OR REPLACE FUNCTION text_waiting() RETURNS bigint LANGUAGE sql STABLE SECURITY DEFINER
SET search_path = dw, pg_temp AS $$
    SELECT count(*) FROM readable_waiting(caller());
$$;

RESET ROLE;
REVOKE ALL ON SCHEMA dw_search FROM PUBLIC;
REVOKE ALL ON dw.search_text, dw.search_queue FROM PUBLIC, {users};
REVOKE ALL ON ALL FUNCTIONS IN SCHEMA dw FROM PUBLIC;
GRANT EXECUTE ON FUNCTION dw.search_projects(text), dw.claim_text(), dw.release_text(bigint),
    dw.store_text(bigint, text), dw.text_waiting() TO {users};
)SQL";

} // namespace dwfm::store::pg
