#pragma once

namespace dwfm::store::pg {

// Functions that spare a client round trips on a slow link: each does in one call what would
// otherwise take a statement per step, with the same checks as the functions it builds on.
//
// check_out_files takes the files of one check-out dialog in one call (each decided on its
// own, as copy_projects does) and answers with every file taken the folder its working copy
// goes to and its content: inline while it is small, else a cursor to fetch it from in the
// same transaction. check_in_last adds an upload's last (or only) chunk and checks it in, so
// that a small file's upload goes in one message with its COMMIT.
//
// {owner} and {users} are replaced by the owner role and the group role of the users.
inline const char *const PgSlowLinkSql = R"SQL(
SET ROLE {owner};
SET search_path = dw, pg_temp;

-- The folder below the working root p_root where the files of p_location are checked out:
-- the root joined with the location's path from the top (refused when that path is cut off).
CREATE FUNCTION working_folder(p_root text, p_location integer) RETURNS text LANGUAGE plpgsql STABLE
SET search_path = dw, pg_temp AS $$
DECLARE path text; top integer;
BEGIN
    SELECT string_agg(a.name, '/' ORDER BY a.depth DESC), (array_agg(a.location_id ORDER BY a.depth DESC))[1]
      INTO path, top FROM above(p_location) a;
    IF path IS NULL THEN
        PERFORM refuse(format('Locatie %s bestaat niet.', p_location), 'P0002');
    ELSIF (SELECT l.parent_id FROM locations l WHERE l.location_id = top) <> 0 THEN
        PERFORM refuse(format('Het pad van locatie %s is onvolledig.', p_location), 'XX000');
    END IF;
    RETURN CASE WHEN coalesce(p_root, '') = '' THEN path
                WHEN right(p_root, 1) = '/' THEN p_root || path
                ELSE p_root || '/' || path END;
END $$;

-- Reserves each file of p_projects for the caller as check_out does, its working copy in
-- working_folder(p_root, ...) (a file the caller holds already keeps its folder). Per file:
-- the refusal's SQL state and text, or its name, folder, whether the caller held it already,
-- and its content's hash and size with the content itself while it is at most 1 MiB and the
-- call's inline bytes (p_inline in all) last, else a cursor over it. A lock that could not be
-- had ends the whole call, as a lock wait of any statement does.
--
-- The files are decided all at once: one query reads their rows, contents and folders (each
-- location's once), the reservations and their history go in one statement each, and the
-- inline contents are read in one pass over their chunks.
CREATE FUNCTION check_out_files(p_projects integer[], p_computer text, p_root text, p_remark text, p_inline bigint)
RETURNS TABLE (state text, refusal text, file_name text, folder text, held boolean, content refcursor,
               sha256 bytea, size bigint, data bytea)
LANGUAGE plpgsql SECURITY DEFINER SET search_path = dw, pg_temp AS $$
#variable_conflict use_column
DECLARE u users; n integer := coalesce(array_length(p_projects, 1), 0); roots boolean;
        budget bigint := greatest(coalesce(p_inline, 0), 0); memo text := NULLIF(trim(coalesce(p_remark, '')), '');
        states text[] := array_fill(NULL::text, ARRAY[n]); refusals text[] := array_fill(NULL::text, ARRAY[n]);
        names text[] := array_fill(NULL::text, ARRAY[n]); folders text[] := array_fill(NULL::text, ARRAY[n]);
        helds boolean[] := array_fill(NULL::boolean, ARRAY[n]); cursors refcursor[] := array_fill(NULL::refcursor, ARRAY[n]);
        hashes bytea[] := array_fill(NULL::bytea, ARRAY[n]); sizes bigint[] := array_fill(NULL::bigint, ARRAY[n]);
        inlined bigint[] := array_fill(NULL::bigint, ARRAY[n]); c contents;
        taken integer[] := '{}'; taken_folders text[] := '{}'; changed integer[] := '{}'; f record;
        last_location integer; last_folder text; last_state text; last_refusal text;
BEGIN
    -- A refusal of the caller is every file's answer.
    BEGIN
        u := writer();
    EXCEPTION WHEN OTHERS THEN
        RETURN QUERY SELECT SQLSTATE::text, SQLERRM::text, NULL::text, NULL::text, NULL::boolean, NULL::refcursor,
                            NULL::bytea, NULL::bigint, NULL::bytea FROM unnest(p_projects);
        RETURN;
    END;
    roots := NOT u.is_admin AND EXISTS (SELECT 1 FROM user_roots r WHERE r.user_key = u.user_key);
    -- The rows locked as file_row locks one, in one order: two dialogs never wait on each
    -- other in a circle.
    PERFORM 1 FROM projects r WHERE r.project_id = ANY (p_projects) ORDER BY r.project_id FOR UPDATE;
    FOR f IN
        WITH a AS (SELECT x.p, x.ord FROM unnest(p_projects) WITH ORDINALITY x(p, ord)),
             s AS (SELECT a.ord, a.p, r.project_id IS NOT NULL AS found, r.file_name, r.location_id, r.version,
                          r.checked_out, r.locked, r.user_id, r.checkout_folder, ct.content_id, ct.sha256, ct.size
                     FROM a LEFT JOIN projects r ON r.project_id = a.p
                     LEFT JOIN versions v ON v.project_id = r.project_id AND v.version = r.version
                     LEFT JOIN contents ct ON ct.content_id = v.content_id),
             here AS (SELECT l.location_id, location_path(l.location_id) AS path,
                             NOT roots OR EXISTS (SELECT 1 FROM above(l.location_id) b JOIN user_roots ur
                                                      ON ur.location_id = b.location_id WHERE ur.user_key = u.user_key) AS reached
                        FROM (SELECT DISTINCT s.location_id FROM s WHERE s.found) l)
        SELECT s.*, h.path, h.reached FROM s LEFT JOIN here h ON h.location_id = s.location_id
         ORDER BY s.ord
    LOOP
        -- The checks in the order check_out makes them, each with its refusal.
        IF NOT f.found THEN
            states[f.ord] := 'P0002';
            refusals[f.ord] := format('Bestand %s bestaat niet in de store.', f.p);
        ELSIF NOT f.reached THEN
            states[f.ord] := '42501';
            refusals[f.ord] := format('De map ''%s'' ligt buiten de roots van gebruiker ''%s''.',
                                      coalesce(f.path, f.location_id::text), u.user_id);
        ELSIF f.version IS NULL THEN
            states[f.ord] := 'P0002';
            refusals[f.ord] := format('De inhoud van ''%s'' staat nog niet in de database.', f.file_name);
        ELSIF f.content_id IS NULL THEN
            states[f.ord] := 'P0002';
            refusals[f.ord] := format('Versie %s van ''%s'' bestaat niet.', NULL, f.file_name);
        ELSIF f.p = ANY (taken) THEN
            -- Named twice: taken a moment ago, so held now, in the folder it was given.
            helds[f.ord] := true;
            folders[f.ord] := taken_folders[array_position(taken, f.p)];
        ELSIF f.checked_out AND lower(f.user_id) = u.user_key THEN
            -- Held already: the working copy keeps its folder.
            helds[f.ord] := true;
            folders[f.ord] := f.checkout_folder;
        ELSIF f.locked THEN
            states[f.ord] := '42501';
            refusals[f.ord] := format('''%s'' is vergrendeld.', f.file_name);
        ELSIF f.checked_out THEN
            states[f.ord] := '42501';
            refusals[f.ord] := format('''%s'' is al in gebruik bij %s.', f.file_name, f.user_id);
        ELSE
            -- The files of one dialog mostly share a location: its folder is found once.
            IF last_location IS DISTINCT FROM f.location_id THEN
                last_location := f.location_id;
                last_state := NULL;
                BEGIN
                    last_folder := working_folder(p_root, f.location_id);
                EXCEPTION WHEN OTHERS THEN
                    last_state := SQLSTATE;
                    last_refusal := SQLERRM;
                END;
            END IF;
            IF last_state IS NOT NULL THEN
                states[f.ord] := last_state;
                refusals[f.ord] := last_refusal;
            ELSE
                helds[f.ord] := false;
                folders[f.ord] := last_folder;
                taken := taken || f.p;
                taken_folders := taken_folders || last_folder;
                IF NOT f.location_id = ANY (changed) THEN
                    changed := changed || f.location_id;
                END IF;
            END IF;
        END IF;
        IF states[f.ord] IS NULL THEN
            names[f.ord] := f.file_name;
            hashes[f.ord] := f.sha256;
            sizes[f.ord] := f.size;
            -- Inline while the budget lasts, in the order of the files; else a cursor.
            IF f.size <= least(budget, 1048576) THEN
                inlined[f.ord] := f.content_id;
                budget := budget - f.size;
            ELSE
                c.content_id := f.content_id;
                cursors[f.ord] := content_cursor(c);
            END IF;
        END IF;
    END LOOP;
    IF taken <> '{}' THEN
        UPDATE projects r SET checked_out = true, user_id = u.user_id, checkout_at = now_ms(),
               computer_name = p_computer, checkout_folder = t.folder, checkout_remark = NULLIF(p_remark, ''),
               checkout_version = r.version
          FROM unnest(taken, taken_folders) t(p, folder)
         WHERE r.project_id = t.p AND NOT r.checked_out AND NOT r.locked;
        INSERT INTO history (project_id, action, action_at, user_name, memo)
        SELECT t.p, 'In gebruik genomen', now_ms(), u.user_id, memo FROM unnest(taken) WITH ORDINALITY t(p, ord) ORDER BY t.ord;
        -- Each changed location is told once.
        PERFORM touched(l) FROM unnest(changed) l;
    END IF;
    RETURN QUERY
        SELECT x.st, x.re, x.nm, x.fo, x.he, x.cu, x.ha, x.si,
               CASE WHEN x.ic IS NOT NULL THEN coalesce(k.data, ''::bytea) END
          FROM unnest(states, refusals, names, folders, helds, cursors, hashes, sizes, inlined)
               WITH ORDINALITY x(st, re, nm, fo, he, cu, ha, si, ic, ord)
          LEFT JOIN (SELECT k.content_id, string_agg(k.data, ''::bytea ORDER BY k.seq) AS data FROM chunks k
                      WHERE k.content_id = ANY (inlined) GROUP BY k.content_id) k ON k.content_id = x.ic
         ORDER BY x.ord;
END $$;

-- Adds p_last as the last chunk of the caller's upload p_upload (a new upload when null) and
-- checks it in as check_in does; without either, the file's unchanged content is checked in.
CREATE FUNCTION check_in_last(p_project integer, p_upload bigint, p_last bytea, p_sha256 bytea, p_remark text)
RETURNS integer LANGUAGE plpgsql SECURITY DEFINER SET search_path = dw, pg_temp AS $$
BEGIN
    IF p_upload IS NOT NULL OR p_last IS NOT NULL THEN
        p_upload := put_chunk(p_upload, NULLIF(p_last, ''::bytea));
    END IF;
    RETURN check_in(p_project, p_upload, p_sha256, p_remark);
END $$;

RESET ROLE;
REVOKE ALL ON FUNCTION dw.working_folder(text, integer), dw.check_out_files(integer[], text, text, text, bigint),
    dw.check_in_last(integer, bigint, bytea, bytea, text) FROM PUBLIC;
GRANT EXECUTE ON FUNCTION dw.check_out_files(integer[], text, text, text, bigint),
    dw.check_in_last(integer, bigint, bytea, bytea, text) TO {users};
)SQL";

} // namespace dwfm::store::pg
