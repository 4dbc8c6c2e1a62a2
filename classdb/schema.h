#pragma once

// Inside classdb/ only: the class server's schema, step by step.

#include <array>
#include <string_view>

#include "classdb/schema_web.h"

namespace tutor::classdb {

// The schema's version is the one row of schema_version; a database without
// that table has none (0). Each step moves the schema one version up and
// runs in init's transaction; a step that adds a column learners send must
// also grant INSERT on it to every class's learners role.
inline constexpr std::string_view kVersionTable = R"(
CREATE TABLE schema_version(
  one_row boolean PRIMARY KEY DEFAULT true CHECK (one_row),
  version integer NOT NULL);
REVOKE ALL ON schema_version FROM PUBLIC;)";

// Version 1.
//
// classes: one row a class, with the two NOLOGIN roles made for it; role
//   names are the cluster's, so they carry the database's name.
// learners: one login role a learner, a member of its class's learners role.
// blocks: every block sent, keyed by the uid its computer gave it; learner is
//   always the role that sent it. keys holds the key tallies,
//   [{"key":12,"right":30,"wrong":2,"instead":[{"key":13,"count":2}]}, ...],
//   kana the word course's, [{"kana":"か","right":3,"wrong":1}, ...].
//
// Privileges (granted per class by add_class): a learners role may SELECT
// classes and learners (and blocks, before version 3) and INSERT the sent columns of blocks (not
// learner nor received_at, which take their defaults); a teachers role may
// SELECT the three. Nobody else has any, and nobody but the owner (the
// administrator who ran init) may UPDATE, DELETE or TRUNCATE.
//
// Row-level security, forced on the owner too, who is given every row by a
// policy of its own:
// - classes: a role sees the classes it learns in or teaches;
// - learners: a role sees itself, and the learners of the classes it teaches;
// - blocks: a role sees its own blocks and those of the learners it sees, so
//   a learner its own and a teacher its classes'; it adds blocks only as
//   itself. A block whose uid is already there is skipped by
//   ON CONFLICT DO NOTHING without being read or checked, so a learner
//   resending its block succeeds, and one sending another's uid changes
//   nothing and sees nothing.
// Memberships are looked up through pg_roles by oid, so that a role dropped
// by hand hides its rows instead of failing every query.
//
// Version 2: what a teacher's report of a class reads (report_queries.h).
//
// learners_by_class: every query of the report starts from the class's
//   learners, found by it rather than by reading every learner of the school.
// self_or_taught, written again with the taught classes as an array: the
//   same rows, but the planner now finds the learners a teacher sees through
//   learners_by_class, where IN (subquery) had it test every learner of the
//   school in each query a teacher makes of blocks (5 ms a query with 35,000
//   learners; bench/README.md).
//
// Version 3: what a learner may write, and what it may learn of others.
//
// - blocks are checked: finite times of this century, counts and seconds
//   within what a block can hold, texts and tallies bounded. Rows kept
//   before that are none of these are moved to refused_blocks, where only
//   the administrator reads them.
// - A block is added only by the learner's own login: a learner that has
//   SET ROLE to its class's role adds none.
// - Learners no longer read blocks (sending needs INSERT alone, ON CONFLICT
//   DO NOTHING with no target); a teacher's reads are found through
//   blocks_by_learner, so no other class's block is visited.
// - Role names tell nothing, since every login may read pg_roles and
//   pg_auth_members: each class's two roles get random names, and a
//   learner's name is kept in learners.name. Logins made before keep their
//   names until new-login gives them random ones.
// - One learner adds at most limits.blocks_a_day blocks a day (the server's
//   day), counted in sent_a_day by a trigger of the administrator's.
// - Nobody but the owner makes temporary tables here.
//
// Version 4: a class's pass mark for the word course ("20:90", kana a
// minute and percent right; none for the learner's own choice), which its
// teachers may set and its learners read.
//
// Version 5: the class's web service (schema_web.h).
inline constexpr std::array<std::string_view, 5> kSchemaSteps = {
    R"(
CREATE TABLE classes(
  name text PRIMARY KEY,
  learners_role name NOT NULL UNIQUE,
  teachers_role name NOT NULL UNIQUE);
CREATE TABLE learners(
  role name PRIMARY KEY,
  class text NOT NULL REFERENCES classes);
CREATE TABLE blocks(
  uid uuid PRIMARY KEY,
  learner name NOT NULL DEFAULT current_user,
  ended_at timestamptz NOT NULL,
  program text NOT NULL,
  step integer NOT NULL,
  seconds integer NOT NULL,
  typed_right integer NOT NULL,
  typed_wrong integer NOT NULL,
  evaluation text NOT NULL,
  result text NOT NULL,
  lesson text NOT NULL DEFAULT '',
  input text NOT NULL DEFAULT '',
  keys jsonb NOT NULL DEFAULT '[]' CHECK (jsonb_typeof(keys) = 'array'),
  kana jsonb NOT NULL DEFAULT '[]' CHECK (jsonb_typeof(kana) = 'array'),
  received_at timestamptz NOT NULL DEFAULT now());
CREATE INDEX blocks_by_learner ON blocks(learner, ended_at);
REVOKE ALL ON classes, learners, blocks FROM PUBLIC;

ALTER TABLE classes ENABLE ROW LEVEL SECURITY;
ALTER TABLE classes FORCE ROW LEVEL SECURITY;
ALTER TABLE learners ENABLE ROW LEVEL SECURITY;
ALTER TABLE learners FORCE ROW LEVEL SECURITY;
ALTER TABLE blocks ENABLE ROW LEVEL SECURITY;
ALTER TABLE blocks FORCE ROW LEVEL SECURITY;

CREATE POLICY administrator ON classes TO CURRENT_USER USING (true) WITH CHECK (true);
CREATE POLICY administrator ON learners TO CURRENT_USER USING (true) WITH CHECK (true);
CREATE POLICY administrator ON blocks TO CURRENT_USER USING (true) WITH CHECK (true);

CREATE POLICY learnt_or_taught ON classes FOR SELECT USING (
  EXISTS (SELECT FROM pg_roles r
          WHERE r.rolname IN (learners_role, teachers_role)
            AND pg_has_role(current_user, r.oid, 'MEMBER')));
CREATE POLICY self_or_taught ON learners FOR SELECT USING (
  role = current_user
  OR class IN (SELECT c.name FROM classes c JOIN pg_roles r ON r.rolname = c.teachers_role
               WHERE pg_has_role(current_user, r.oid, 'MEMBER')));
CREATE POLICY own_or_taught ON blocks FOR SELECT USING (
  learner = current_user OR learner IN (SELECT role FROM learners));
CREATE POLICY own ON blocks FOR INSERT WITH CHECK (learner = current_user);)",
    R"(
CREATE INDEX learners_by_class ON learners(class, role);
ALTER POLICY self_or_taught ON learners USING (
  role = current_user
  OR class = ANY (ARRAY(SELECT c.name FROM classes c JOIN pg_roles r ON r.rolname = c.teachers_role
                        WHERE pg_has_role(current_user, r.oid, 'MEMBER'))));)",
    R"(
ALTER TABLE blocks
  ADD CONSTRAINT block_time CHECK (
    ended_at >= '2000-01-01 00:00:00+00' AND ended_at < '2100-01-01 00:00:00+00') NOT VALID,
  ADD CONSTRAINT block_counts CHECK (
    step BETWEEN 0 AND 100000 AND seconds BETWEEN 0 AND 86400
    AND typed_right BETWEEN 0 AND 10000000 AND typed_wrong BETWEEN 0 AND 10000000) NOT VALID,
  ADD CONSTRAINT block_texts CHECK (
    length(program) <= 40 AND length(evaluation) <= 32 AND length(result) <= 100
    AND length(lesson) <= 260 AND length(input) <= 20) NOT VALID,
  ADD CONSTRAINT block_tallies CHECK (
    octet_length(keys::text) <= 65536 AND octet_length(kana::text) <= 65536) NOT VALID;
CREATE TABLE refused_blocks (LIKE blocks);
REVOKE ALL ON refused_blocks FROM PUBLIC;
ALTER TABLE refused_blocks ENABLE ROW LEVEL SECURITY;
ALTER TABLE refused_blocks FORCE ROW LEVEL SECURITY;
CREATE POLICY administrator ON refused_blocks TO CURRENT_USER USING (true) WITH CHECK (true);
DO $$
DECLARE
  c record;
BEGIN
  FOR c IN SELECT conname, pg_get_expr(conbin, conrelid) AS holds FROM pg_constraint
            WHERE conrelid = 'blocks'::regclass AND contype = 'c' AND NOT convalidated LOOP
    EXECUTE format('WITH moved AS (DELETE FROM blocks WHERE (%s) IS FALSE RETURNING *)'
                   ' INSERT INTO refused_blocks SELECT * FROM moved', c.holds);
    EXECUTE format('ALTER TABLE blocks VALIDATE CONSTRAINT %I', c.conname);
  END LOOP;
END $$;

ALTER POLICY own ON blocks WITH CHECK (
  learner = current_user AND EXISTS (SELECT FROM learners l WHERE l.role = current_user));
ALTER POLICY own_or_taught ON blocks USING (learner = ANY (ARRAY(SELECT role FROM learners)));

ALTER TABLE learners ADD COLUMN name text;
UPDATE learners SET name = role;
ALTER TABLE learners ALTER COLUMN name SET NOT NULL;
ALTER TABLE learners ADD CONSTRAINT one_name_a_class UNIQUE (class, name);
DO $$
DECLARE
  c record;
  fresh_learners name;
  fresh_teachers name;
BEGIN
  FOR c IN SELECT * FROM classes LOOP
    fresh_learners := 'velmora_' || substr(md5(gen_random_uuid()::text), 1, 16);
    fresh_teachers := 'velmora_' || substr(md5(gen_random_uuid()::text), 1, 16);
    IF EXISTS (SELECT FROM pg_roles WHERE rolname = c.learners_role) THEN
      EXECUTE format('ALTER ROLE %I RENAME TO %I', c.learners_role, fresh_learners);
      EXECUTE format('REVOKE SELECT ON blocks FROM %I', fresh_learners);
    END IF;
    IF EXISTS (SELECT FROM pg_roles WHERE rolname = c.teachers_role) THEN
      EXECUTE format('ALTER ROLE %I RENAME TO %I', c.teachers_role, fresh_teachers);
    END IF;
    UPDATE classes SET learners_role = fresh_learners, teachers_role = fresh_teachers
     WHERE name = c.name;
  END LOOP;
  EXECUTE format('REVOKE TEMPORARY ON DATABASE %I FROM PUBLIC', current_database());
END $$;

CREATE TABLE limits(
  one_row boolean PRIMARY KEY DEFAULT true CHECK (one_row),
  blocks_a_day integer NOT NULL CHECK (blocks_a_day BETWEEN 0 AND 10000000));
INSERT INTO limits(blocks_a_day) VALUES (1000);
CREATE TABLE sent_a_day(
  learner name NOT NULL,
  day date NOT NULL,
  blocks integer NOT NULL,
  PRIMARY KEY (learner, day));
REVOKE ALL ON limits, sent_a_day FROM PUBLIC;
ALTER TABLE limits ENABLE ROW LEVEL SECURITY;
ALTER TABLE limits FORCE ROW LEVEL SECURITY;
ALTER TABLE sent_a_day ENABLE ROW LEVEL SECURITY;
ALTER TABLE sent_a_day FORCE ROW LEVEL SECURITY;
CREATE POLICY administrator ON limits TO CURRENT_USER USING (true) WITH CHECK (true);
CREATE POLICY administrator ON sent_a_day TO CURRENT_USER USING (true) WITH CHECK (true);

CREATE FUNCTION count_sent_block() RETURNS trigger LANGUAGE plpgsql SECURITY DEFINER AS $$
DECLARE
  sent integer;
  most integer;
BEGIN
  INSERT INTO sent_a_day AS s(learner, day, blocks) VALUES (NEW.learner, current_date, 1)
    ON CONFLICT (learner, day) DO UPDATE SET blocks = s.blocks + 1
    RETURNING s.blocks INTO sent;
  SELECT blocks_a_day INTO most FROM limits;
  IF sent > most THEN
    RAISE EXCEPTION 'the class server takes at most % blocks a day from one learner: the rest wait for tomorrow', most
      USING ERRCODE = 'configuration_limit_exceeded';
  END IF;
  RETURN NULL;
END $$;
REVOKE ALL ON FUNCTION count_sent_block() FROM PUBLIC;
DO $$ BEGIN
  EXECUTE format('ALTER FUNCTION count_sent_block() SET search_path = %I, pg_temp', current_schema());
END $$;
CREATE TRIGGER count_sent AFTER INSERT ON blocks FOR EACH ROW EXECUTE FUNCTION count_sent_block();)",
    R"(
ALTER TABLE classes ADD COLUMN pass_mark text
  CHECK (pass_mark ~ '^[0-9]{1,3}:[0-9]{1,3}$');
CREATE POLICY taught ON classes FOR UPDATE USING (
  EXISTS (SELECT FROM pg_roles r
          WHERE r.rolname = teachers_role AND pg_has_role(current_user, r.oid, 'MEMBER')));
DO $$
DECLARE
  c record;
BEGIN
  FOR c IN SELECT teachers_role FROM classes
            WHERE EXISTS (SELECT FROM pg_roles WHERE rolname = teachers_role) LOOP
    EXECUTE format('GRANT UPDATE (pass_mark) ON classes TO %I', c.teachers_role);
  END LOOP;
END $$;)", kWebServiceStep,
};
inline constexpr int kSchemaVersion = static_cast<int>(kSchemaSteps.size());

// The most limits.blocks_a_day may be.
inline constexpr int kMostBlocksADay = 10'000'000;

// The columns a learner's computer sends; the others take their defaults.
inline constexpr std::string_view kSentColumns =
    "uid, ended_at, program, step, seconds, typed_right, typed_wrong, evaluation, result, lesson, "
    "input, keys, kana";

}  // namespace tutor::classdb
