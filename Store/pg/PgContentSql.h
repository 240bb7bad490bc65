#pragma once

namespace dwfm::store::pg {

// The functions of the files' content and versions, and what the users may call.
//
// An upload is a content of the uploader's own transaction: put_chunk starts it and adds
// its chunks, and the function that decides the change (add_project, check_in) turns it
// into a version of the file in the same transaction, or the transaction cannot commit
// (the deferred trigger on contents). A client that is killed or loses its connection
// leaves nothing anyone can see: the server rolls its transaction back, and its own
// clean-up (vacuum) reclaims the space. The SHA-256 that names a content is computed by
// its uploader; an upload whose hash matches stored content with the same bytes is
// dropped for it, so identical content is kept once and content with a false hash never
// takes another's place. Contents are read through a cursor that a function opens with the
// owner's rights; the users cannot read the content tables themselves.
//
// {owner} and {users} are replaced by the owner role and the group role of the users.
inline const char *const PgContentSql = R"SQL(
SET ROLE {owner};
SET search_path = dw, pg_temp;

-- Who may upload: a store user who may change things, or an administrator of the store's
-- database (a member of the owner role, moving content in). Answers the uploader's name.
CREATE FUNCTION uploader() RETURNS text LANGUAGE plpgsql STABLE SECURITY DEFINER SET search_path = dw, pg_temp AS $$
BEGIN
    IF pg_has_role(session_user, (SELECT nspowner FROM pg_namespace WHERE nspname = 'dw'), 'USAGE') THEN
        RETURN session_user::text;
    END IF;
    RETURN (writer()).user_key;
END $$;

-- The upload p_upload of the caller's running transaction (which no other transaction can
-- touch); anything else is refused.
CREATE FUNCTION own_upload(p_upload bigint) RETURNS contents LANGUAGE plpgsql SET search_path = dw, pg_temp AS $$
DECLARE c contents;
BEGIN
    SELECT * INTO c FROM contents WHERE content_id = p_upload;
    IF NOT FOUND OR NOT c.uploading OR c.uploader <> uploader() OR c.upload_xact <> pg_current_xact_id() THEN
        PERFORM refuse(format('Upload %s hoort niet bij deze gebruiker en transactie.', p_upload));
    END IF;
    RETURN c;
END $$;

-- Adds a chunk (at most 1 MiB; none when p_data is null) to an upload of the caller's
-- transaction and answers the upload; p_upload null starts a new one.
CREATE FUNCTION put_chunk(p_upload bigint, p_data bytea) RETURNS bigint
LANGUAGE plpgsql SECURITY DEFINER SET search_path = dw, pg_temp AS $$
DECLARE c contents;
BEGIN
    IF octet_length(p_data) > 1048576 THEN
        PERFORM refuse('Een deel van een upload is hoogstens 1 MiB groot.', '22023');
    END IF;
    IF p_upload IS NULL THEN
        INSERT INTO contents (uploader, upload_xact) VALUES (uploader(), pg_current_xact_id()) RETURNING * INTO c;
    ELSE
        c := own_upload(p_upload);
    END IF;
    IF p_data IS NOT NULL THEN
        INSERT INTO chunks (content_id, seq, data)
        VALUES (c.content_id, coalesce((SELECT max(seq) + 1 FROM chunks WHERE content_id = c.content_id), 0), p_data);
    END IF;
    RETURN c.content_id;
END $$;

-- Ends an upload of the caller's transaction as stored content with the SHA-256 its uploader
-- computed (the size the server counted). Stored content with that hash and the same bytes
-- is answered instead, and the upload dropped.
CREATE FUNCTION settle_upload(p_upload bigint, p_sha256 bytea) RETURNS contents
LANGUAGE plpgsql SET search_path = dw, pg_temp AS $$
DECLARE c contents := own_upload(p_upload); same contents;
BEGIN
    IF octet_length(p_sha256) IS DISTINCT FROM 32 THEN
        PERFORM refuse('De controlesom van de upload ontbreekt of is ongeldig.', '22023');
    END IF;
    -- A chunk stored out of line knows its size: counting reads no content.
    SELECT count(*), coalesce(sum(octet_length(data)), 0) INTO c.chunk_count, c.size FROM chunks
     WHERE content_id = c.content_id;
    FOR same IN SELECT * FROM contents WHERE sha256 = p_sha256 AND NOT uploading AND size = c.size
                   AND chunk_count = c.chunk_count ORDER BY content_id FOR KEY SHARE LOOP
        IF NOT EXISTS (SELECT 1 FROM (SELECT seq, data FROM chunks WHERE content_id = c.content_id) a
                              FULL JOIN (SELECT seq, data FROM chunks WHERE content_id = same.content_id) b USING (seq)
                        WHERE a.data IS DISTINCT FROM b.data) THEN
            DELETE FROM contents WHERE content_id = c.content_id;
            RETURN same;
        END IF;
    END LOOP;
    UPDATE contents SET sha256 = p_sha256, size = c.size, chunk_count = c.chunk_count, uploading = false, upload_xact = NULL
     WHERE content_id = c.content_id RETURNING * INTO c;
    RETURN c;
END $$;

-- The commit check: an upload must have become a version (settled) by then.
CREATE FUNCTION upload_settled() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER SET search_path = dw, pg_temp AS $$
BEGIN
    IF EXISTS (SELECT 1 FROM contents WHERE content_id = NEW.content_id AND uploading) THEN
        PERFORM refuse('Een upload die geen versie van een bestand werd, wordt niet bewaard.', '55000');
    END IF;
    RETURN NULL;
END $$;
CREATE CONSTRAINT TRIGGER contents_settled AFTER INSERT ON contents DEFERRABLE INITIALLY DEFERRED
    FOR EACH ROW EXECUTE FUNCTION upload_settled();

-- Makes content c the file's new current version; answers its number.
CREATE FUNCTION new_version(p_project integer, c contents, p_user text, p_remark text) RETURNS integer
LANGUAGE plpgsql SET search_path = dw, pg_temp AS $$
DECLARE n integer;
BEGIN
    SELECT coalesce(max(version), 0) + 1 INTO n FROM versions WHERE project_id = p_project;
    INSERT INTO versions (project_id, version, content_id, sha256, size, made_at, user_name, remark)
    VALUES (p_project, n, c.content_id, c.sha256, c.size, now_ms(), p_user, NULLIF(trim(coalesce(p_remark, '')), ''));
    UPDATE projects SET version = n WHERE project_id = p_project;
    RETURN n;
END $$;

-- The content of a version of the file (its current one when p_version is null).
CREATE FUNCTION version_content(r projects, p_version integer DEFAULT NULL) RETURNS contents
LANGUAGE plpgsql SET search_path = dw, pg_temp AS $$
DECLARE c contents;
BEGIN
    IF p_version IS NULL AND r.version IS NULL THEN
        PERFORM refuse(format('De inhoud van ''%s'' staat nog niet in de database.', r.file_name), 'P0002');
    END IF;
    SELECT ct.* INTO c FROM versions v JOIN contents ct USING (content_id)
     WHERE v.project_id = r.project_id AND v.version = coalesce(p_version, r.version);
    IF NOT FOUND THEN
        PERFORM refuse(format('Versie %s van ''%s'' bestaat niet.', p_version, r.file_name), 'P0002');
    END IF;
    RETURN c;
END $$;

-- A cursor over the chunks of content c, in order, opened with the owner's rights so that
-- the caller can fetch them in the same transaction.
CREATE FUNCTION content_cursor(c contents) RETURNS refcursor LANGUAGE plpgsql SET search_path = dw, pg_temp AS $$
DECLARE cur refcursor;
BEGIN
    OPEN cur FOR SELECT data FROM chunks WHERE content_id = c.content_id ORDER BY seq;
    RETURN cur;
END $$;

-- The content to check in: the upload, or with none the file's current content (a
-- check-in without changes), whose hash the caller must know.
CREATE FUNCTION checked_in_content(r projects, p_upload bigint, p_sha256 bytea) RETURNS contents
LANGUAGE plpgsql SET search_path = dw, pg_temp AS $$
DECLARE c contents;
BEGIN
    IF p_upload IS NOT NULL THEN
        RETURN settle_upload(p_upload, p_sha256);
    END IF;
    c := version_content(r);
    IF c.sha256 IS DISTINCT FROM p_sha256 THEN
        PERFORM refuse(format('De nieuwe inhoud van ''%s'' ontbreekt.', r.file_name), '22023');
    END IF;
    RETURN c;
END $$;

-- Removes contents no version uses any more; one taken into use meanwhile stays. The
-- content's row is locked before its users are counted, so that two transactions that each
-- drop one of its last two users do not both count the other's and leave it to nobody: the
-- second counts after the first committed.
CREATE FUNCTION drop_unused(p_contents bigint[]) RETURNS void LANGUAGE plpgsql SET search_path = dw, pg_temp AS $$
DECLARE c bigint;
BEGIN
    FOREACH c IN ARRAY coalesce(p_contents, '{}') LOOP
        BEGIN
            PERFORM 1 FROM contents WHERE content_id = c FOR UPDATE;
            DELETE FROM contents WHERE content_id = c AND NOT uploading
               AND NOT EXISTS (SELECT 1 FROM versions WHERE content_id = c);
        EXCEPTION WHEN foreign_key_violation THEN
            NULL;
        END;
    END LOOP;
END $$;

-- The functions the users call.

-- Reserves the file for the caller and answers a cursor over its current content (with
-- the content's hash and size), from which the caller makes the working copy before the
-- commit.
CREATE FUNCTION check_out(p_project integer, p_computer text, p_folder text, p_remark text,
                          OUT content refcursor, OUT sha256 bytea, OUT size bigint)
LANGUAGE plpgsql SECURITY DEFINER SET search_path = dw, pg_temp AS $$
DECLARE u users := writer(); r projects := file_row(u, p_project); c contents := version_content(r);
BEGIN
    content := content_cursor(c);
    sha256 := c.sha256;
    size := c.size;
    IF r.checked_out AND lower(r.user_id) = u.user_key THEN
        RETURN; -- one's own: the client puts a missing working copy back
    ELSIF r.locked THEN
        PERFORM refuse(format('''%s'' is vergrendeld.', r.file_name));
    ELSIF r.checked_out THEN
        PERFORM refuse(format('''%s'' is al in gebruik bij %s.', r.file_name, r.user_id));
    END IF;
    UPDATE projects SET checked_out = true, user_id = u.user_id, checkout_at = now_ms(), computer_name = p_computer,
           checkout_folder = p_folder, checkout_remark = NULLIF(p_remark, ''), checkout_version = r.version
     WHERE project_id = p_project AND NOT checked_out AND NOT locked;
    PERFORM log_action(p_project, 'In gebruik genomen', p_remark);
    PERFORM touched(r.location_id);
END $$;

-- Makes the caller's upload (or, without one, the unchanged content) the file's new
-- version and releases the file; answers the version's number.
CREATE FUNCTION check_in(p_project integer, p_upload bigint, p_sha256 bytea, p_remark text) RETURNS integer
LANGUAGE plpgsql SECURITY DEFINER SET search_path = dw, pg_temp AS $$
DECLARE u users := writer(); r projects := file_row(u, p_project); n integer;
BEGIN
    IF NOT r.checked_out THEN
        PERFORM refuse(format('''%s'' is niet in gebruik genomen.', r.file_name));
    ELSIF lower(r.user_id) <> u.user_key THEN
        PERFORM refuse(format('''%s'' kan niet worden vrijgegeven: het is in gebruik bij %s.', r.file_name, r.user_id));
    END IF;
    n := new_version(p_project, checked_in_content(r, p_upload, p_sha256), u.user_id, p_remark);
    PERFORM release(p_project, r.user_id);
    PERFORM log_action(p_project, 'Vrijgegeven', p_remark);
    PERFORM touched(r.location_id);
    RETURN n;
END $$;

-- A new file in p_location with the caller's upload as its content; with p_log its history
-- says it was added, from p_source when the client names the file it read.
CREATE FUNCTION add_project(p_location integer, p_name text, p_log boolean, p_source text, p_upload bigint,
                            p_sha256 bytea) RETURNS integer
LANGUAGE plpgsql SECURITY DEFINER SET search_path = dw, pg_temp AS $$
DECLARE u users := writer(); id integer;
BEGIN
    PERFORM files_allowed(p_location);
    PERFORM reachable(u, p_location);
    PERFORM name_ok(p_name);
    PERFORM name_free(p_location, p_name);
    INSERT INTO projects (location_id, file_name, name_key) VALUES (p_location, p_name, lower(p_name))
    RETURNING project_id INTO id;
    PERFORM new_version(id, settle_upload(p_upload, p_sha256), u.user_id, NULL);
    IF p_log THEN
        PERFORM log_action(id, 'Toegevoegd', 'Van ' || NULLIF(trim(p_source), ''));
    END IF;
    PERFORM touched(p_location);
    RETURN id;
END $$;

-- A new file in p_target with the current content of p_project (shared, not copied); its
-- history names the location it came from, p_remark is the caller's own words.
CREATE FUNCTION copy_project(p_project integer, p_target integer, p_remark text) RETURNS integer
LANGUAGE plpgsql SECURITY DEFINER SET search_path = dw, pg_temp AS $$
DECLARE u users := writer(); r projects := file_row(u, p_project); c contents := version_content(r); id integer;
BEGIN
    PERFORM files_allowed(p_target);
    PERFORM reachable(u, p_target);
    PERFORM name_free(p_target, r.file_name);
    INSERT INTO projects (location_id, file_name, name_key, default_project)
    VALUES (p_target, r.file_name, r.name_key, r.default_project) RETURNING project_id INTO id;
    PERFORM new_version(id, c, u.user_id, p_remark);
    PERFORM log_action(id, 'Gekopieerd van ' || location_path(r.location_id), p_remark);
    PERFORM touched(p_target);
    RETURN id;
END $$;

CREATE FUNCTION delete_project(p_project integer) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = dw, pg_temp AS $$
DECLARE u users := writer(); r projects := file_row(u, p_project); used bigint[];
BEGIN
    IF r.checked_out AND lower(r.user_id) <> u.user_key THEN
        PERFORM refuse(format('''%s'' kan niet worden verwijderd: het is in gebruik bij %s.', r.file_name, r.user_id));
    END IF;
    used := ARRAY(SELECT DISTINCT content_id FROM versions WHERE project_id = p_project ORDER BY 1);
    DELETE FROM history WHERE project_id = p_project;
    DELETE FROM projects WHERE project_id = p_project;
    PERFORM drop_unused(used);
    PERFORM touched(r.location_id);
END $$;

-- Many copies in one call, each decided on its own as copy_project decides it: a refused file
-- answers -1 (false) with the refusal's SQL state and text, and the others go on. The files
-- are read, checked and copied as a set (a paste of a thousand files is a few statements, not
-- a few thousand), sharing their content; of several with one name the first is copied.
CREATE FUNCTION copy_projects(p_projects integer[], p_target integer, p_remark text)
RETURNS TABLE (new_id integer, state text, refusal text)
LANGUAGE plpgsql SECURITY DEFINER SET search_path = dw, pg_temp AS $$
#variable_conflict use_column
DECLARE u users := writer(); n integer := coalesce(array_length(p_projects, 1), 0);
        roots boolean := NOT u.is_admin AND EXISTS (SELECT 1 FROM user_roots r WHERE r.user_key = u.user_key);
        memo text := NULLIF(trim(coalesce(p_remark, '')), '');
        ids integer[] := array_fill(-1, ARRAY[n]); states text[] := array_fill(NULL::text, ARRAY[n]);
        refusals text[] := array_fill(NULL::text, ARRAY[n]);
        made integer[] := '{}'; sources integer[] := '{}'; paths text[] := '{}'; f record; id integer;
        serial regclass := pg_get_serial_sequence('dw.projects', 'project_id')::regclass;
BEGIN
    PERFORM files_allowed(p_target);
    PERFORM reachable(u, p_target);
    -- The sources locked as file_row locks one, in one order: two pastes never wait on each
    -- other in a circle.
    PERFORM 1 FROM projects r WHERE r.project_id = ANY (p_projects) ORDER BY r.project_id FOR UPDATE;
    FOR f IN
        WITH a AS (SELECT x.p, x.ord FROM unnest(p_projects) WITH ORDINALITY x(p, ord)),
             s AS (SELECT a.ord, a.p, r.project_id AS found, r.file_name, r.name_key, r.location_id,
                          v.content_id IS NOT NULL AS has_content
                     FROM a LEFT JOIN projects r ON r.project_id = a.p
                     LEFT JOIN versions v ON v.project_id = r.project_id AND v.version = r.version),
             here AS (SELECT l.location_id, location_path(l.location_id) AS path,
                             NOT roots OR EXISTS (SELECT 1 FROM above(l.location_id) b JOIN user_roots ur
                                                      ON ur.location_id = b.location_id WHERE ur.user_key = u.user_key) AS reached
                        FROM (SELECT DISTINCT s.location_id FROM s WHERE s.found IS NOT NULL) l),
             c AS (SELECT s.*, h.path, h.reached,
                          CASE WHEN s.found IS NULL THEN 1 WHEN NOT h.reached THEN 2 WHEN NOT s.has_content THEN 3 END AS problem
                     FROM s LEFT JOIN here h ON h.location_id = s.location_id)
        SELECT c.*,
               (SELECT t.file_name FROM projects t WHERE t.location_id = p_target AND t.name_key = c.name_key) AS file_there,
               (SELECT l.name FROM locations l WHERE l.parent_id = p_target AND l.name_key = c.name_key) AS folder_there,
               first_value(c.file_name) OVER w AS first_name, row_number() OVER w AS nth
          FROM c WINDOW w AS (PARTITION BY c.problem IS NULL, c.name_key ORDER BY c.ord)
         ORDER BY c.ord
    LOOP
        IF f.problem = 1 THEN
            states[f.ord] := 'P0002';
            refusals[f.ord] := format('Bestand %s bestaat niet in de store.', f.p);
        ELSIF f.problem = 2 THEN
            states[f.ord] := '42501';
            refusals[f.ord] := format('De map ''%s'' ligt buiten de roots van gebruiker ''%s''.',
                                      coalesce(f.path, f.location_id::text), u.user_id);
        ELSIF f.problem = 3 THEN
            states[f.ord] := 'P0002';
            refusals[f.ord] := format('De inhoud van ''%s'' staat nog niet in de database.', f.file_name);
        ELSIF f.file_there IS NOT NULL OR f.nth > 1 THEN
            states[f.ord] := '23505';
            refusals[f.ord] := format('Er staat al een bestand ''%s'' in deze map.', coalesce(f.file_there, f.first_name));
        ELSIF f.folder_there IS NOT NULL THEN
            states[f.ord] := '23505';
            refusals[f.ord] := format('Er bestaat al een map ''%s'' op deze plaats.', f.folder_there);
        ELSE
            id := nextval(serial);
            ids[f.ord] := id;
            made := made || id;
            sources := sources || f.p;
            paths := paths || f.path;
        END IF;
    END LOOP;
    IF made <> '{}' THEN
        INSERT INTO projects (project_id, location_id, file_name, name_key, default_project, version)
        SELECT m.id, p_target, r.file_name, r.name_key, r.default_project, 1
          FROM unnest(made, sources) m(id, src) JOIN projects r ON r.project_id = m.src;
        INSERT INTO versions (project_id, version, content_id, sha256, size, made_at, user_name, remark)
        SELECT m.id, 1, v.content_id, v.sha256, v.size, now_ms(), u.user_id, memo
          FROM unnest(made, sources) m(id, src) JOIN projects r ON r.project_id = m.src
          JOIN versions v ON v.project_id = r.project_id AND v.version = r.version;
        INSERT INTO history (project_id, action, action_at, user_name, memo)
        SELECT m.id, 'Gekopieerd van ' || m.path, now_ms(), u.user_id, memo FROM unnest(made, paths) m(id, path);
        PERFORM touched(p_target);
    END IF;
    RETURN QUERY SELECT * FROM unnest(ids, states, refusals);
END $$;

-- Many deletions in one call, each decided on its own: a refused file answers false with the
-- refusal's SQL state and text, and the others go on.
CREATE FUNCTION delete_projects(p_projects integer[]) RETURNS TABLE (done boolean, state text, refusal text)
LANGUAGE plpgsql SECURITY DEFINER SET search_path = dw, pg_temp AS $$
DECLARE p integer;
BEGIN
    FOREACH p IN ARRAY p_projects LOOP
        BEGIN
            PERFORM delete_project(p);
            done := true;
            state := NULL;
            refusal := NULL;
        EXCEPTION WHEN OTHERS THEN
            done := false;
            state := SQLSTATE;
            refusal := SQLERRM;
        END;
        RETURN NEXT;
    END LOOP;
END $$;

-- A cursor over a version's content (the current one when p_version is null) with the
-- content's hash and size, for any user of the store within their roots.
CREATE FUNCTION open_content(p_project integer, p_version integer,
                             OUT content refcursor, OUT sha256 bytea, OUT size bigint)
LANGUAGE plpgsql SECURITY DEFINER SET search_path = dw, pg_temp AS $$
DECLARE u users := caller(); r projects; c contents;
BEGIN
    SELECT * INTO r FROM projects WHERE project_id = p_project;
    IF NOT FOUND THEN
        PERFORM refuse(format('Bestand %s bestaat niet in de store.', p_project), 'P0002');
    END IF;
    PERFORM reachable(u, r.location_id);
    c := version_content(r, p_version);
    content := content_cursor(c);
    sha256 := c.sha256;
    size := c.size;
END $$;

-- Makes an earlier version's content the file's new version (its remark p_remark, or the
-- history's words when there is none), while the file is free or the caller's own; answers
-- the new version's number.
CREATE FUNCTION restore_version(p_project integer, p_version integer, p_remark text) RETURNS integer
LANGUAGE plpgsql SECURITY DEFINER SET search_path = dw, pg_temp AS $$
DECLARE u users := writer(); r projects := file_row(u, p_project); n integer;
        said text := format('Versie %s teruggezet', p_version);
BEGIN
    IF r.checked_out AND lower(r.user_id) <> u.user_key THEN
        PERFORM refuse(format('''%s'' kan niet worden teruggezet: het is in gebruik bij %s.', r.file_name, r.user_id));
    ELSIF p_version = r.version THEN
        PERFORM refuse(format('Versie %s is al de huidige inhoud van ''%s''.', p_version, r.file_name), '22023');
    END IF;
    n := new_version(p_project, version_content(r, p_version), u.user_id, coalesce(NULLIF(trim(p_remark), ''), said));
    PERFORM log_action(p_project, said, p_remark);
    PERFORM touched(r.location_id);
    RETURN n;
END $$;

RESET ROLE;
REVOKE ALL ON SCHEMA dw FROM PUBLIC;
REVOKE ALL ON ALL TABLES IN SCHEMA dw FROM PUBLIC, {users};
REVOKE ALL ON ALL FUNCTIONS IN SCHEMA dw FROM PUBLIC;
GRANT USAGE ON SCHEMA dw TO {users};
GRANT SELECT ON dw.store_info, dw.users, dw.locations, dw.user_roots, dw.projects, dw.history, dw.versions TO {users};
GRANT EXECUTE ON FUNCTION dw.check_out(integer, text, text, text), dw.check_in(integer, bigint, bytea, text),
    dw.cancel_check_out(integer, text), dw.add_project(integer, text, boolean, text, bigint, bytea),
    dw.copy_project(integer, integer, text), dw.copy_projects(integer[], integer, text), dw.rename_project(integer, text),
    dw.delete_project(integer), dw.delete_projects(integer[]), dw.create_location(text, text, integer),
    dw.rename_location(integer, text), dw.delete_location(integer), dw.put_chunk(bigint, bytea),
    dw.open_content(integer, integer), dw.restore_version(integer, integer, text)
    TO {users};
)SQL";

} // namespace dwfm::store::pg
