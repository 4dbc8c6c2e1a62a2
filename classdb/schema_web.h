#pragma once

// Inside classdb/ only: the schema's step to version 5, the class's web
// service (velmora-class serve).

#include <string_view>

namespace tutor::classdb {

// Version 5: the class's web service (velmora-class serve), which signs
// learners and teachers in at a browser and acts for them.
//
// web_logins: the service's own login roles. Each is NOINHERIT and a member
//   of every learner's and teacher's login, so that it may SET ROLE to one,
//   and has no privilege of its own but the functions below.
// web_sessions: a signed-in browser, kept by the hash of its cookie's token.
//   A session is opened only by the learner's or teacher's own login,
//   through open_web_session, so the service becomes a role only after that
//   role's password was checked by the server itself; 30 minutes unused
//   ends it. Kept here, any instance of the service serves it.
// web_sign_in_failures: wrong passwords by class and name, which slow that
//   name down.
// add_learners_taught: a teacher adds its class's learners from its page.
// learner_files: the learner's records, word-course passes, settings and
//   own lessons, which follow the learner from browser to browser; each
//   learner reads and writes its own rows alone.
inline constexpr std::string_view kWebServiceStep = R"(
CREATE TABLE web_logins(role name PRIMARY KEY);
CREATE TABLE web_sessions(
  token_hash bytea PRIMARY KEY,
  role name NOT NULL,
  csrf text NOT NULL,
  opened_at timestamptz NOT NULL DEFAULT now(),
  seen_at timestamptz NOT NULL DEFAULT now());
CREATE INDEX web_sessions_by_role ON web_sessions(role);
CREATE TABLE web_sign_in_failures(
  class text NOT NULL,
  name text NOT NULL,
  at timestamptz NOT NULL DEFAULT now());
CREATE INDEX web_sign_in_failures_by_name ON web_sign_in_failures(class, name, at);
CREATE TABLE learner_files(
  learner name NOT NULL DEFAULT current_user,
  path text NOT NULL CHECK (length(path) BETWEEN 1 AND 200),
  content bytea NOT NULL CHECK (octet_length(content) <= 1048576),
  revision bigint NOT NULL DEFAULT 1,
  updated_at timestamptz NOT NULL DEFAULT now(),
  PRIMARY KEY (learner, path));
REVOKE ALL ON web_logins, web_sessions, web_sign_in_failures, learner_files FROM PUBLIC;
ALTER TABLE web_logins ENABLE ROW LEVEL SECURITY;
ALTER TABLE web_logins FORCE ROW LEVEL SECURITY;
ALTER TABLE web_sessions ENABLE ROW LEVEL SECURITY;
ALTER TABLE web_sessions FORCE ROW LEVEL SECURITY;
ALTER TABLE web_sign_in_failures ENABLE ROW LEVEL SECURITY;
ALTER TABLE web_sign_in_failures FORCE ROW LEVEL SECURITY;
ALTER TABLE learner_files ENABLE ROW LEVEL SECURITY;
ALTER TABLE learner_files FORCE ROW LEVEL SECURITY;
CREATE POLICY administrator ON web_logins TO CURRENT_USER USING (true) WITH CHECK (true);
CREATE POLICY administrator ON web_sessions TO CURRENT_USER USING (true) WITH CHECK (true);
CREATE POLICY administrator ON web_sign_in_failures TO CURRENT_USER USING (true) WITH CHECK (true);
CREATE POLICY administrator ON learner_files TO CURRENT_USER USING (true) WITH CHECK (true);
CREATE POLICY own ON learner_files USING (learner = current_user) WITH CHECK (learner = current_user);

-- Run by the learner's or teacher's own login: session_user is the role
-- whose password the server checked, whatever role it has set since.
CREATE FUNCTION open_web_session(OUT token text, OUT csrf text) LANGUAGE plpgsql SECURITY DEFINER AS $$
BEGIN
  token := replace(gen_random_uuid()::text, '-', '') || replace(gen_random_uuid()::text, '-', '');
  csrf := replace(gen_random_uuid()::text, '-', '');
  DELETE FROM web_sessions WHERE seen_at < now() - interval '1 day';
  INSERT INTO web_sessions(token_hash, role, csrf)
    VALUES (sha256(convert_to(token, 'UTF8')), session_user, csrf);
END $$;

-- The service's: the signed-in role of a token not 30 minutes unused,
-- marked as used (at most once a minute, so that a teacher's live page
-- does not write on every look), and what it is.
CREATE FUNCTION web_session(token text, OUT role name, OUT csrf text, OUT teacher boolean,
                            OUT class text, OUT name text)
  LANGUAGE plpgsql SECURITY DEFINER AS $$
DECLARE
  s web_sessions;
BEGIN
  SELECT * INTO s FROM web_sessions
   WHERE token_hash = sha256(convert_to(token, 'UTF8')) AND seen_at > now() - interval '30 minutes';
  IF NOT FOUND THEN
    RETURN;
  END IF;
  IF s.seen_at < now() - interval '1 minute' THEN
    UPDATE web_sessions SET seen_at = now() WHERE token_hash = s.token_hash;
  END IF;
  role := s.role;
  csrf := s.csrf;
  SELECT l.class, l.name INTO class, name FROM learners l WHERE l.role = s.role;
  teacher := NOT FOUND;
  IF teacher THEN
    name := s.role;
  END IF;
END $$;

CREATE FUNCTION end_web_session(token text) RETURNS void LANGUAGE sql SECURITY DEFINER AS $$
  DELETE FROM web_sessions WHERE token_hash = sha256(convert_to(token, 'UTF8'));
$$;

-- The login to check a password against: the learner of that name in the
-- class, or a teacher of the class by its name; and the wrong passwords
-- given for the name in the last minute.
CREATE FUNCTION web_sign_in_role(class_name text, given_name text, OUT role name, OUT failures integer)
  LANGUAGE plpgsql SECURITY DEFINER AS $$
BEGIN
  SELECT l.role INTO role FROM learners l WHERE l.class = class_name AND l.name = given_name;
  IF NOT FOUND THEN
    SELECT r.rolname INTO role FROM classes c, pg_roles r, pg_roles t
     WHERE c.name = class_name AND r.rolname = given_name AND r.rolcanlogin
       AND t.rolname = c.teachers_role AND pg_has_role(r.oid, t.oid, 'MEMBER');
  END IF;
  SELECT count(*) INTO failures FROM web_sign_in_failures f
   WHERE f.class = class_name AND f.name = given_name AND f.at > now() - interval '1 minute';
END $$;

CREATE FUNCTION note_web_sign_in_failure(class_name text, given_name text) RETURNS void
  LANGUAGE sql SECURITY DEFINER AS $$
  DELETE FROM web_sign_in_failures WHERE at < now() - interval '1 hour';
  INSERT INTO web_sign_in_failures(class, name) VALUES (left(class_name, 40), left(given_name, 64));
$$;


-- A teacher's, from its page (velmora-class serve): its class's learners
-- added as add-learner adds them, each with a random login and password,
-- made here by the administrator's right to make roles. The teacher is the
-- role the session acts as (SET ROLE), or the login itself.
CREATE FUNCTION add_learners_taught(class_name text, names text[])
  RETURNS TABLE(name text, role name, password text) LANGUAGE plpgsql SECURITY DEFINER AS $$
DECLARE
  caller name := CASE WHEN current_setting('role') = 'none' THEN session_user
                      ELSE current_setting('role')::name END;
  c classes;
  n text;
  w record;
BEGIN
  SELECT * INTO c FROM classes WHERE classes.name = class_name;
  IF NOT FOUND OR NOT EXISTS (
      SELECT FROM pg_roles t, pg_roles me
       WHERE t.rolname = c.teachers_role AND me.rolname = caller
         AND pg_has_role(me.oid, t.oid, 'MEMBER')) THEN
    RAISE EXCEPTION 'only a teacher of the class adds its learners' USING ERRCODE = 'insufficient_privilege';
  END IF;
  FOREACH n IN ARRAY names LOOP
    IF n !~ '^[a-z][a-z0-9_]{0,31}$' OR n LIKE 'pg\_%' THEN
      RAISE EXCEPTION 'bad learner name "%"', n USING ERRCODE = 'invalid_parameter_value';
    END IF;
    IF EXISTS (SELECT FROM learners l WHERE l.class = class_name AND l.name = n) THEN
      RAISE EXCEPTION 'there is already a learner "%" in class "%"', n, class_name
        USING ERRCODE = 'unique_violation';
    END IF;
    name := n;
    role := 'velmora_' || substr(md5(gen_random_uuid()::text), 1, 16);
    password := substr(translate(encode(uuid_send(gen_random_uuid()) || uuid_send(gen_random_uuid()),
                                        'base64'), '+/=', ''), 1, 24);
    EXECUTE format('CREATE ROLE %I LOGIN PASSWORD %L IN ROLE %I', role, password, c.learners_role);
    INSERT INTO learners(role, class, name) VALUES (role, class_name, n);
    FOR w IN SELECT l.role FROM web_logins l LOOP
      EXECUTE format('GRANT %I TO %I', role, w.role);
    END LOOP;
    RETURN NEXT;
  END LOOP;
END $$;

REVOKE ALL ON FUNCTION open_web_session(), web_session(text), end_web_session(text),
  web_sign_in_role(text, text), note_web_sign_in_failure(text, text),
  add_learners_taught(text, text[]) FROM PUBLIC;
DO $$
DECLARE
  c record;
BEGIN
  EXECUTE format('ALTER FUNCTION open_web_session() SET search_path = %I, pg_temp', current_schema());
  EXECUTE format('ALTER FUNCTION web_session(text) SET search_path = %I, pg_temp', current_schema());
  EXECUTE format('ALTER FUNCTION end_web_session(text) SET search_path = %I, pg_temp', current_schema());
  EXECUTE format('ALTER FUNCTION web_sign_in_role(text, text) SET search_path = %I, pg_temp',
                 current_schema());
  EXECUTE format('ALTER FUNCTION note_web_sign_in_failure(text, text) SET search_path = %I, pg_temp',
                 current_schema());
  EXECUTE format('ALTER FUNCTION add_learners_taught(text, text[]) SET search_path = %I, pg_temp',
                 current_schema());
  FOR c IN SELECT learners_role, teachers_role FROM classes LOOP
    IF EXISTS (SELECT FROM pg_roles WHERE rolname = c.learners_role) THEN
      EXECUTE format('GRANT SELECT, INSERT, UPDATE, DELETE ON learner_files TO %I', c.learners_role);
      EXECUTE format('GRANT EXECUTE ON FUNCTION open_web_session() TO %I', c.learners_role);
    END IF;
    IF EXISTS (SELECT FROM pg_roles WHERE rolname = c.teachers_role) THEN
      EXECUTE format('GRANT EXECUTE ON FUNCTION open_web_session(), add_learners_taught(text, text[]) TO %I',
                     c.teachers_role);
    END IF;
  END LOOP;
END $$;)";

// The functions a web login may call, and nothing else of the class server.
inline constexpr std::string_view kWebFunctions =
    "web_session(text), end_web_session(text), web_sign_in_role(text, text), "
    "note_web_sign_in_failure(text, text)";

}  // namespace tutor::classdb
