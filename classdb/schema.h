#pragma once

// Inside classdb/ only: the class server's schema, step by step.

#include <array>
#include <string_view>

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
// classes, learners and blocks and INSERT the sent columns of blocks (not
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
inline constexpr std::array<std::string_view, 2> kSchemaSteps = {
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
};
inline constexpr int kSchemaVersion = static_cast<int>(kSchemaSteps.size());

// The columns a learner's computer sends; the others take their defaults.
inline constexpr std::string_view kSentColumns =
    "uid, ended_at, program, step, seconds, typed_right, typed_wrong, evaluation, result, lesson, "
    "input, keys, kana";

}  // namespace tutor::classdb
