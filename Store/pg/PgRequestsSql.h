#pragma once

namespace dwfm::store::pg {

// What a client asks after its connection broke while a commit was on its way: each change
// of a session is committed together with a mark (a random request ID the client made), in
// one message with its COMMIT, so the mark exists exactly when the change landed. The answer
// to "did request R land?" waits for the transaction that wrote R to end (the unique index
// makes the question's own insert of R wait for it), so an answer never comes while the
// lost commit may still happen. Marks are for the question that follows at once; each mark
// prunes a few that are a day old, skipping any another transaction holds.
//
// Made or brought up to date for a new store and by the upgrade; safe to run again.
// {owner} and {users} are replaced by the owner role and the group role of the users.
inline const char *const PgRequestsSql = R"SQL(
SET ROLE {owner};
SET search_path = dw, pg_temp;

CREATE TABLE IF NOT EXISTS request_marks (
    request   uuid PRIMARY KEY,
    user_key  text NOT NULL,
    marked_at timestamptz NOT NULL DEFAULT now());
CREATE INDEX IF NOT EXISTS request_marks_by_age ON request_marks (marked_at);

CREATE OR REPLACE FUNCTION mark_request(p_request uuid) RETURNS void
LANGUAGE sql SECURITY DEFINER SET search_path = dw, pg_temp AS $$
    DELETE FROM request_marks WHERE request IN (
        SELECT request FROM request_marks WHERE marked_at < now() - interval '1 day'
         ORDER BY marked_at LIMIT 20 FOR UPDATE SKIP LOCKED);
    INSERT INTO request_marks (request, user_key) VALUES (p_request, session_user);
$$;

CREATE OR REPLACE FUNCTION request_landed(p_request uuid) RETURNS boolean
LANGUAGE plpgsql SECURITY DEFINER SET search_path = dw, pg_temp AS $$
BEGIN
    INSERT INTO request_marks (request, user_key) VALUES (p_request, session_user) ON CONFLICT DO NOTHING;
    IF FOUND THEN
        -- Not there: the lost transaction rolled back, and its mark can no longer come.
        DELETE FROM request_marks WHERE request = p_request;
        RETURN false;
    END IF;
    RETURN true;
END $$;

RESET ROLE;
REVOKE ALL ON dw.request_marks FROM PUBLIC, {users};
REVOKE ALL ON FUNCTION dw.mark_request(uuid), dw.request_landed(uuid) FROM PUBLIC;
GRANT EXECUTE ON FUNCTION dw.mark_request(uuid), dw.request_landed(uuid) TO {users};
)SQL";

} // namespace dwfm::store::pg
