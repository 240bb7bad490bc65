#pragma once

namespace dwfm::store::pg {

// What keeps one session from holding the others: the time-outs every store user's
// sessions get (kept in store_info in milliseconds and set on each user's role in this
// database: a lock wait, a transaction left idle, one statement), and the function that
// ends the sessions of store users that turned their own time-outs off and hold a
// transaction open past them. A client whose lock wait ran out calls it; a session that
// keeps to its time-outs has been ended by the server itself before it would find one.
// The owner role may read every session's state and end a session (pg_read_all_stats,
// pg_signal_backend); the function ends only sessions of this store's users in this
// database. Applied after PgSchemaSql, and to a store made before it (it checks first).
//
// {owner} and {users} are replaced by the owner role and the group role of the users.
inline const char *const PgSessionLimitsSql = R"SQL(
GRANT pg_signal_backend, pg_read_all_stats TO {owner};
SET ROLE {owner};
SET search_path = dw, pg_temp;

INSERT INTO store_info (key, value) VALUES ('lock_timeout', '5000'), ('idle_in_transaction_session_timeout', '60000'),
    ('statement_timeout', '120000') ON CONFLICT (key) DO NOTHING;

CREATE FUNCTION end_stuck_sessions() RETURNS integer LANGUAGE plpgsql SECURITY DEFINER SET search_path = dw, pg_temp AS $$
DECLARE
    u users := caller();
    idle interval := (SELECT value || ' ms' FROM store_info WHERE key = 'idle_in_transaction_session_timeout')::interval;
    busy interval := (SELECT value || ' ms' FROM store_info WHERE key = 'statement_timeout')::interval;
    s record;
    ended integer := 0;
BEGIN
    FOR s IN SELECT a.pid FROM pg_stat_activity a
              WHERE a.datname = current_database() AND a.pid <> pg_backend_pid()
                AND a.usename IN (SELECT user_key FROM users)
                AND ((a.state LIKE 'idle in transaction%' AND a.state_change < clock_timestamp() - idle)
                     OR (a.state = 'active' AND a.query_start < clock_timestamp() - busy))
    LOOP
        IF pg_terminate_backend(s.pid, 5000) THEN
            ended := ended + 1;
        END IF;
    END LOOP;
    RETURN ended;
END $$;

RESET ROLE;
REVOKE ALL ON FUNCTION dw.end_stuck_sessions() FROM PUBLIC;
GRANT EXECUTE ON FUNCTION dw.end_stuck_sessions() TO {users};
)SQL";

} // namespace dwfm::store::pg
