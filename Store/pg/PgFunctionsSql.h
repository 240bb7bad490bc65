#pragma once

namespace dwfm::store::pg {

// The functions through which the server store's users change its records. Every function
// a user calls runs with the owner's rights (SECURITY DEFINER) and checks who calls it
// (session_user): a user's own login may read the record tables and call these functions,
// nothing else. Each change tells the listening sessions which location changed (NOTIFY
// dw_changes, the location's ID as payload). The functions of the files' content follow
// in PgContentSql.h, which also grants what the users may call.
//
// The script first drops every function of the schema, so that it serves a new store and
// the upgrade of an older one alike. {owner} is replaced by the owner role.
inline const char *const PgFunctionsSql = R"SQL(
SET ROLE {owner};
SET search_path = dw, pg_temp;
DO $$
DECLARE f regprocedure;
BEGIN
    FOR f IN SELECT p.oid FROM pg_proc p JOIN pg_namespace n ON n.oid = p.pronamespace WHERE n.nspname = 'dw' LOOP
        EXECUTE format('DROP FUNCTION %s CASCADE', f);
    END LOOP;
END $$;

-- Helpers, for the functions below only.
CREATE FUNCTION refuse(msg text, code text DEFAULT '42501') RETURNS void LANGUAGE plpgsql AS $$
BEGIN
    RAISE EXCEPTION USING MESSAGE = msg, ERRCODE = code;
END $$;

CREATE FUNCTION now_ms() RETURNS bigint LANGUAGE sql AS $$
    SELECT (extract(epoch FROM clock_timestamp()) * 1000)::bigint;
$$;

CREATE FUNCTION caller() RETURNS users LANGUAGE plpgsql STABLE SECURITY DEFINER SET search_path = dw, pg_temp AS $$
DECLARE u users;
BEGIN
    SELECT * INTO u FROM users WHERE user_key = lower(session_user::text);
    IF NOT FOUND THEN
        PERFORM refuse(format('De gebruiker ''%s'' is onbekend in deze store.', session_user));
    END IF;
    RETURN u;
END $$;

CREATE FUNCTION writer() RETURNS users LANGUAGE plpgsql STABLE SECURITY DEFINER SET search_path = dw, pg_temp AS $$
DECLARE u users := caller();
BEGIN
    IF u.is_readonly THEN
        PERFORM refuse(format('Gebruiker ''%s'' mag alleen lezen en kan niets wijzigen.', u.user_id));
    END IF;
    RETURN u;
END $$;

CREATE FUNCTION log_action(p_project integer, p_action text, p_memo text) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = dw, pg_temp AS $$
BEGIN
    INSERT INTO history (project_id, action, action_at, user_name, memo)
    VALUES (p_project, p_action, now_ms(), (caller()).user_id, NULLIF(trim(coalesce(p_memo, '')), ''));
END $$;

CREATE FUNCTION touched(p_location integer) RETURNS void LANGUAGE sql AS $$
    SELECT pg_notify('dw_changes', p_location::text);
$$;

-- The location and the ones above it, up to its top location (depth 0 the location itself).
CREATE FUNCTION above(p_location integer) RETURNS TABLE (location_id integer, name text, depth integer)
LANGUAGE sql STABLE SET search_path = dw, pg_temp AS $$
    WITH RECURSIVE up (location_id, parent_id, name, depth) AS (
        SELECT location_id, parent_id, name, 0 FROM locations WHERE location_id = p_location
        UNION ALL
        SELECT l.location_id, l.parent_id, l.name, up.depth + 1 FROM locations l JOIN up ON l.location_id = up.parent_id
         WHERE up.depth < 100000)
    SELECT location_id, name, depth FROM up;
$$;

-- The location's path below the top, parts joined by "/".
CREATE FUNCTION location_path(p_location integer) RETURNS text LANGUAGE sql STABLE SET search_path = dw, pg_temp AS $$
    SELECT string_agg(name, '/' ORDER BY depth DESC) FROM above(p_location);
$$;

-- Refuses a location outside the roots of `u`: an ordinary user with roots of their own
-- reaches those and what lies below them, the same locations the clients show them; an
-- administrator and a user without roots of their own reach every location.
CREATE FUNCTION reachable(u users, p_location integer) RETURNS void LANGUAGE plpgsql STABLE
SET search_path = dw, pg_temp AS $$
BEGIN
    IF u.is_admin OR NOT EXISTS (SELECT 1 FROM user_roots WHERE user_key = u.user_key) THEN
        RETURN;
    END IF;
    IF NOT EXISTS (SELECT 1 FROM above(p_location) a JOIN user_roots r USING (location_id) WHERE r.user_key = u.user_key) THEN
        PERFORM refuse(format('De map ''%s'' ligt buiten de roots van gebruiker ''%s''.',
                              coalesce(location_path(p_location), p_location::text), u.user_id));
    END IF;
END $$;

-- The file's row, locked for a change by `u`, within the roots of `u`.
CREATE FUNCTION file_row(u users, p_project integer) RETURNS projects LANGUAGE plpgsql SECURITY DEFINER
SET search_path = dw, pg_temp AS $$
DECLARE r projects;
BEGIN
    SELECT * INTO r FROM projects WHERE project_id = p_project FOR UPDATE;
    IF NOT FOUND THEN
        PERFORM refuse(format('Bestand %s bestaat niet in de store.', p_project), 'P0002');
    END IF;
    PERFORM reachable(u, r.location_id);
    RETURN r;
END $$;

-- Refuses a name already taken (case aside) in the location p_in, by a file or by a
-- sub-folder: both lie in one folder of the working copies. p_file and p_folder are the
-- file or folder being renamed.
CREATE FUNCTION name_free(p_in integer, p_name text, p_file integer DEFAULT 0, p_folder integer DEFAULT 0) RETURNS void
LANGUAGE plpgsql SET search_path = dw, pg_temp AS $$
DECLARE taken text;
BEGIN
    SELECT file_name INTO taken FROM projects WHERE location_id = p_in AND name_key = lower(p_name) AND project_id <> p_file;
    IF FOUND THEN
        PERFORM refuse(format('Er staat al een bestand ''%s'' in deze map.', taken), '23505');
    END IF;
    SELECT name INTO taken FROM locations WHERE parent_id = p_in AND name_key = lower(p_name) AND location_id <> p_folder;
    IF FOUND THEN
        PERFORM refuse(format('Er bestaat al een map ''%s'' op deze plaats.', taken), '23505');
    END IF;
END $$;

-- The same limit as the clients' on a location's path below the top, which becomes the
-- folder of the working copies.
CREATE FUNCTION path_ok(p_parent integer, p_name text) RETURNS void LANGUAGE plpgsql SET search_path = dw, pg_temp AS $$
DECLARE bytes integer := octet_length(concat_ws('/', CASE WHEN p_parent <> 0 THEN location_path(p_parent) END, p_name));
BEGIN
    IF bytes > 3072 THEN
        PERFORM refuse(format('Het pad van de map wordt te lang: %s bytes, hoogstens 3072.', bytes), '22023');
    END IF;
END $$;

-- The location, locked for a change by `u`, within their roots; a top location only an
-- administrator may change.
CREATE FUNCTION changeable_location(p_location integer, u users) RETURNS locations LANGUAGE plpgsql
SET search_path = dw, pg_temp AS $$
DECLARE l locations;
BEGIN
    SELECT * INTO l FROM locations WHERE location_id = p_location FOR UPDATE;
    IF NOT FOUND THEN
        PERFORM refuse(format('Locatie %s bestaat niet.', p_location), 'P0002');
    ELSIF l.parent_id = 0 AND NOT u.is_admin THEN
        PERFORM refuse(format('Alleen een beheerder mag de hoofdlocatie ''%s'' wijzigen.', l.name));
    END IF;
    PERFORM reachable(u, p_location);
    RETURN l;
END $$;

-- The same rule as the clients': at most 220 bytes, so that a kept-aside name still fits
-- in 255; no separators, no characters the control refuses, no control characters.
CREATE FUNCTION name_ok(p_name text) RETURNS void LANGUAGE plpgsql AS $$
BEGIN
    IF p_name IS NULL OR trim(p_name) = '' OR octet_length(p_name) > 220 OR p_name IN ('.', '..')
       OR p_name ~ '[/\\<>:|"[:cntrl:]]' OR position('..' in p_name) > 0 THEN
        PERFORM refuse(format('De naam ''%s'' is niet toegestaan.', p_name), '22023');
    END IF;
END $$;

CREATE FUNCTION files_allowed(p_location integer) RETURNS void LANGUAGE plpgsql SECURITY DEFINER
SET search_path = dw, pg_temp AS $$
DECLARE l locations;
BEGIN
    SELECT * INTO l FROM locations WHERE location_id = p_location;
    IF NOT FOUND THEN
        PERFORM refuse(format('Locatie %s bestaat niet.', p_location), 'P0002');
    ELSIF l.kind <> 9 THEN
        PERFORM refuse(format('In de map ''%s'' mogen geen bestanden worden geplaatst.', l.name));
    END IF;
END $$;

CREATE FUNCTION release(p_project integer, p_holder text) RETURNS void LANGUAGE sql AS $$
    UPDATE dw.projects SET checked_out = false, user_id = NULL, checkout_at = NULL, computer_name = NULL,
           checkout_folder = NULL, checkout_remark = NULL, checkout_version = NULL
     WHERE project_id = p_project AND checked_out AND user_id = p_holder;
$$;

CREATE FUNCTION cancel_check_out(p_project integer, p_remark text) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = dw, pg_temp AS $$
DECLARE u users := writer(); r projects := file_row(u, p_project); mine boolean;
BEGIN
    IF NOT r.checked_out THEN
        PERFORM refuse(format('''%s'' is niet in gebruik genomen.', r.file_name));
    END IF;
    mine := lower(r.user_id) = u.user_key;
    IF NOT mine AND NOT u.is_admin THEN
        PERFORM refuse(format('Alleen een beheerder mag het in gebruik nemen van ''%s'' door %s ongedaan maken.',
                              r.file_name, r.user_id));
    END IF;
    PERFORM release(p_project, r.user_id);
    PERFORM log_action(p_project, 'In gebruik nemen ongedaan gemaakt',
                       CASE WHEN mine THEN p_remark ELSE trim(format('Voor %s. %s', r.user_id, p_remark)) END);
    PERFORM touched(r.location_id);
END $$;

CREATE FUNCTION rename_project(p_project integer, p_name text) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = dw, pg_temp AS $$
DECLARE u users := writer(); r projects := file_row(u, p_project);
BEGIN
    PERFORM name_ok(p_name);
    IF r.checked_out AND lower(r.user_id) <> u.user_key THEN
        PERFORM refuse(format('''%s'' kan niet worden hernoemd: het is in gebruik bij %s.', r.file_name, r.user_id));
    ELSIF r.checked_out THEN
        PERFORM refuse(format('''%s'' is in gebruik genomen; geef het eerst vrij en wijzig dan de naam.', r.file_name));
    END IF;
    PERFORM name_free(r.location_id, p_name, p_file => p_project);
    UPDATE projects SET file_name = p_name, name_key = lower(p_name) WHERE project_id = p_project;
    PERFORM log_action(p_project, 'Naam gewijzigd', format('Van ''%s'' in ''%s''', r.file_name, p_name));
    PERFORM touched(r.location_id);
END $$;

CREATE FUNCTION create_location(p_name text, p_remark text, p_parent integer) RETURNS integer
LANGUAGE plpgsql SECURITY DEFINER SET search_path = dw, pg_temp AS $$
DECLARE u users := writer(); k integer := 9; id integer;
BEGIN
    PERFORM name_ok(p_name);
    IF p_parent = 0 THEN
        IF NOT u.is_admin THEN
            PERFORM refuse('Alleen een beheerder mag een hoofdlocatie maken.');
        END IF;
    ELSE
        SELECT kind INTO k FROM locations WHERE location_id = p_parent;
        IF NOT FOUND THEN
            PERFORM refuse(format('Locatie %s bestaat niet.', p_parent), 'P0002');
        END IF;
        PERFORM reachable(u, p_parent);
    END IF;
    PERFORM path_ok(p_parent, p_name);
    PERFORM name_free(p_parent, p_name);
    INSERT INTO locations (parent_id, name, name_key, remark, kind) VALUES (p_parent, p_name, lower(p_name), p_remark, k)
    RETURNING location_id INTO id;
    PERFORM touched(p_parent);
    RETURN id;
END $$;

CREATE FUNCTION rename_location(p_location integer, p_name text) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = dw, pg_temp AS $$
DECLARE u users := writer(); l locations; busy bigint;
BEGIN
    PERFORM name_ok(p_name);
    l := changeable_location(p_location, u);
    IF l.name = p_name THEN
        RETURN;
    END IF;
    PERFORM path_ok(l.parent_id, p_name);
    PERFORM name_free(l.parent_id, p_name, p_folder => p_location);
    WITH RECURSIVE below (location_id) AS (
        SELECT p_location UNION ALL
        SELECT c.location_id FROM locations c JOIN below b ON c.parent_id = b.location_id)
    SELECT count(*) INTO busy FROM projects WHERE checked_out AND location_id IN (SELECT location_id FROM below);
    IF busy > 0 THEN
        PERFORM refuse(format('De map ''%s'' kan niet worden hernoemd: er zijn nog %s bestand(en) in gebruik.',
                              l.name, busy));
    END IF;
    UPDATE locations SET name = p_name, name_key = lower(p_name) WHERE location_id = p_location;
    PERFORM touched(l.parent_id);
    PERFORM touched(p_location);
END $$;

CREATE FUNCTION delete_location(p_location integer) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = dw, pg_temp AS $$
DECLARE u users := writer(); l locations := changeable_location(p_location, u); files bigint; folders bigint; holder text;
BEGIN
    SELECT count(*) INTO files FROM projects WHERE location_id = p_location;
    SELECT count(*) INTO folders FROM locations WHERE parent_id = p_location;
    IF files > 0 OR folders > 0 THEN
        PERFORM refuse(format('De map ''%s'' is niet leeg: er staan nog %s bestand(en) en %s map(pen) in.',
                              l.name, files, folders));
    END IF;
    -- A user whose last root went would reach every location.
    SELECT min(s.user_id) INTO holder FROM user_roots r JOIN users s USING (user_key) WHERE r.location_id = p_location;
    IF holder IS NOT NULL AND NOT u.is_admin THEN
        PERFORM refuse(format('De map ''%s'' is een root van gebruiker ''%s''; alleen een beheerder mag hem verwijderen.',
                              l.name, holder));
    END IF;
    DELETE FROM user_roots WHERE location_id = p_location;
    DELETE FROM locations WHERE location_id = p_location;
    PERFORM touched(l.parent_id);
END $$;
RESET ROLE;
)SQL";

} // namespace dwfm::store::pg
