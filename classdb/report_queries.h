#pragma once

// Inside classdb/ only: the queries of a teacher's report of a class. Each
// sums on the server and sends back a row per learner and program, per
// learner and day, per key or per kana: never the blocks themselves.
//
// Every query starts from the class's learners (found by learners_by_class,
// schema version 2) and reaches each learner's blocks through
// blocks_by_learner; row-level security adds its own conditions, so a
// teacher sums only the blocks it may read.

#include <string_view>

namespace tutor::classdb::report_sql {

// Whether the user may make the report: a teacher of the class, or the
// administrator who owns the tables and sees every class; and the user's
// name, a learner's as the learner knows it. $1 the class.
inline constexpr std::string_view kWhoAsks = R"(
SELECT coalesce((SELECT name FROM learners WHERE role = current_user), current_user::text),
       pg_has_role(current_user,
                   (SELECT relowner FROM pg_class WHERE oid = 'blocks'::regclass), 'MEMBER'),
       EXISTS (SELECT FROM classes WHERE name = $1),
       EXISTS (SELECT FROM classes c JOIN pg_roles r ON r.rolname = c.teachers_role
               WHERE c.name = $1 AND pg_has_role(current_user, r.oid, 'MEMBER')))";

// The classes the user teaches, by name. The teachers' roles are looked up
// by oid, as the policies do, so that a role dropped by hand hides its class
// rather than failing the query.
inline constexpr std::string_view kClassesTaught = R"(
SELECT c.name FROM classes c JOIN pg_roles r ON r.rolname = c.teachers_role
 WHERE pg_has_role(current_user, r.oid, 'MEMBER') ORDER BY c.name)";

// $1 the class.
inline constexpr std::string_view kLearners = R"(
SELECT name FROM learners WHERE class = $1 ORDER BY name)";

// Put before the two queries below: the class's blocks with their evaluation
// as a number, read as the progress program reads one (the number it starts
// with, commas dropped, 0 for none) and kept within what a double holds, as
// an edited history may hold any text; each learner by name. A block of a
// time that is no time (infinity, kept before the server checked blocks) is
// left out: one such row must not stop the report. $1 the class.
inline constexpr std::string_view kEvaluatedBlocks = R"(
WITH evaluated AS (
  SELECT b.uid, l.name AS learner, b.program, b.input, b.step, b.seconds,
         b.ended_at, b.evaluation, b.result, b.lesson,
         least(greatest(coalesce(substring(replace(b.evaluation, ',', '')
                                           FROM '^\s*([-+]?([0-9]{1,20}\.?[0-9]{0,20}|\.[0-9]{1,20}))')::numeric,
                                 0), -1e15), 1e15)::float8 AS value
    FROM learners l JOIN blocks b ON b.learner = l.role
   WHERE l.class = $1 AND isfinite(b.ended_at)))";

// Per learner, program and input: the count, the time in all and since $2
// (seconds since 1970), the highest step, and the best and latest block. The
// best is the highest evaluation of the blocks whose result is none of $3,
// $4, $5 (the verdicts of a block not passed), the earliest of equals.
inline constexpr std::string_view kProgramTallies = R"(
SELECT learner, program, input, count(*), sum(seconds),
       coalesce(sum(seconds) FILTER (WHERE ended_at >= to_timestamp($2)), 0), max(step),
       max(evaluation) FILTER (WHERE best_rank = 1 AND passed),
       max(value) FILTER (WHERE best_rank = 1 AND passed),
       max(result) FILTER (WHERE best_rank = 1 AND passed),
       max(lesson) FILTER (WHERE best_rank = 1 AND passed),
       max(at) FILTER (WHERE best_rank = 1 AND passed),
       max(evaluation) FILTER (WHERE latest_rank = 1),
       max(value) FILTER (WHERE latest_rank = 1),
       max(result) FILTER (WHERE latest_rank = 1),
       max(lesson) FILTER (WHERE latest_rank = 1),
       max(at) FILTER (WHERE latest_rank = 1)
  FROM (SELECT *,
               row_number() OVER (PARTITION BY learner, program, input
                                  ORDER BY passed DESC, value DESC, ended_at, uid) AS best_rank,
               row_number() OVER (PARTITION BY learner, program, input
                                  ORDER BY ended_at DESC, uid DESC) AS latest_rank
          FROM (SELECT *, result NOT IN ($3, $4, $5) AS passed,
                       floor(extract(epoch FROM ended_at))::bigint AS at
                  FROM evaluated) marked) ranked
 GROUP BY learner, program, input
 ORDER BY learner, program, input)";

// Per learner, program, input and day (days since 1970-01-01 at $2 seconds
// east of UTC): the mean evaluation and the count.
inline constexpr std::string_view kDayMeans = R"(
SELECT learner, program, input,
       floor((extract(epoch FROM ended_at) + $2) / 86400)::bigint AS day,
       avg(value), count(*)
  FROM evaluated
 GROUP BY learner, day, program, input
 ORDER BY learner, day, program, input)";

// Per key, the right and wrong keystrokes in the latest $2 blocks of each of
// the class's learners. A count that is no count a learner's computer sends
// is taken as 0: one odd block must not stop the report.
inline constexpr std::string_view kKeySums = R"(
SELECT (t->>'key')::int,
       sum(CASE WHEN t->>'right' ~ '^[0-9]{1,9}$' THEN (t->>'right')::bigint ELSE 0 END),
       sum(CASE WHEN t->>'wrong' ~ '^[0-9]{1,9}$' THEN (t->>'wrong')::bigint ELSE 0 END)
  FROM learners l
 CROSS JOIN LATERAL (SELECT b.keys FROM blocks b WHERE b.learner = l.role
                      ORDER BY b.ended_at DESC LIMIT $2) recent
 CROSS JOIN LATERAL jsonb_array_elements(recent.keys) t
 WHERE l.class = $1 AND t->>'key' ~ '^[0-9]{1,4}$'
 GROUP BY 1 ORDER BY 1)";

// Per kana, the right and wrong keystrokes in the latest $2 blocks with kana
// tallies of each of the class's learners, the most missed first.
inline constexpr std::string_view kKanaSums = R"(
SELECT t->>'kana' AS kana,
       sum(CASE WHEN t->>'right' ~ '^[0-9]{1,9}$' THEN (t->>'right')::bigint ELSE 0 END) AS r,
       sum(CASE WHEN t->>'wrong' ~ '^[0-9]{1,9}$' THEN (t->>'wrong')::bigint ELSE 0 END) AS w
  FROM learners l
 CROSS JOIN LATERAL (SELECT b.kana FROM blocks b WHERE b.learner = l.role AND b.kana <> '[]'
                      ORDER BY b.ended_at DESC LIMIT $2) recent
 CROSS JOIN LATERAL jsonb_array_elements(recent.kana) t
 WHERE l.class = $1 AND t->>'kana' IS NOT NULL
 GROUP BY 1 ORDER BY w DESC, r DESC, kana)";

}  // namespace tutor::classdb::report_sql
