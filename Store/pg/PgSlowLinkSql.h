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
CREATE FUNCTION check_out_files(p_projects integer[], p_computer text, p_root text, p_remark text, p_inline bigint)
RETURNS TABLE (state text, refusal text, file_name text, folder text, held boolean, content refcursor,
               sha256 bytea, size bigint, data bytea)
LANGUAGE plpgsql SECURITY DEFINER SET search_path = dw, pg_temp AS $$
#variable_conflict use_column
DECLARE u users; r projects; c contents; p integer; budget bigint := greatest(coalesce(p_inline, 0), 0);
        memo text := NULLIF(trim(coalesce(p_remark, '')), ''); changed integer[] := '{}';
        last_location integer; last_folder text; l integer;
BEGIN
    FOREACH p IN ARRAY p_projects LOOP
        state := NULL; refusal := NULL; file_name := NULL; folder := NULL; held := NULL; content := NULL;
        sha256 := NULL; size := NULL; data := NULL;
        BEGIN
            -- Who calls is asked once; a refusal of the caller is every file's answer.
            IF u IS NULL THEN
                u := writer();
            END IF;
            r := file_row(u, p);
            c := version_content(r);
            held := r.checked_out AND lower(r.user_id) = u.user_key;
            IF held THEN
                folder := r.checkout_folder;
            ELSIF r.locked THEN
                PERFORM refuse(format('''%s'' is vergrendeld.', r.file_name));
            ELSIF r.checked_out THEN
                PERFORM refuse(format('''%s'' is al in gebruik bij %s.', r.file_name, r.user_id));
            ELSE
                -- The files of one dialog mostly share a location: its folder is found once.
                IF last_location IS DISTINCT FROM r.location_id THEN
                    last_folder := working_folder(p_root, r.location_id);
                    last_location := r.location_id;
                END IF;
                folder := last_folder;
                UPDATE projects SET checked_out = true, user_id = u.user_id, checkout_at = now_ms(),
                       computer_name = p_computer, checkout_folder = folder, checkout_remark = NULLIF(p_remark, ''),
                       checkout_version = r.version
                 WHERE project_id = p AND NOT checked_out AND NOT locked;
                INSERT INTO history (project_id, action, action_at, user_name, memo)
                VALUES (p, 'In gebruik genomen', now_ms(), u.user_id, memo);
                IF NOT r.location_id = ANY (changed) THEN
                    changed := changed || r.location_id;
                END IF;
            END IF;
            file_name := r.file_name;
            sha256 := c.sha256;
            size := c.size;
            IF c.size <= least(budget, 1048576) THEN
                data := coalesce((SELECT string_agg(k.data, ''::bytea ORDER BY k.seq) FROM chunks k
                                   WHERE k.content_id = c.content_id), ''::bytea);
                budget := budget - c.size;
            ELSE
                content := content_cursor(c);
            END IF;
        EXCEPTION WHEN lock_not_available THEN
            RAISE;
        WHEN OTHERS THEN
            state := SQLSTATE;
            refusal := SQLERRM;
            file_name := NULL; folder := NULL; held := NULL; content := NULL; sha256 := NULL; size := NULL; data := NULL;
        END;
        RETURN NEXT;
    END LOOP;
    -- Each changed location is told once.
    FOREACH l IN ARRAY changed LOOP
        PERFORM touched(l);
    END LOOP;
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
