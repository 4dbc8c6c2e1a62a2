#pragma once

#include <ostream>

#include "teacher/class_summary.h"

namespace tutor::teacher {

// The learners' table of a class's report as CSV (RFC 4180, UTF-8, CR LF), a
// row per learner by name. Dates are local ("2026-12-07"), times in seconds;
// a course's cells are empty where it has no block, its best's where every
// block failed:
// learner,stage,stage_step,test_grade,test_points,test_date,
// <course>_best,<course>_best_date,<course>_latest,<course>_latest_date for
// basic, numbers, symbols and shift, the same with <course>_best_lesson and
// <course>_latest_lesson after each date for words_romaji and words_kana,
// seconds_this_week,seconds,blocks
void write_report_csv(std::ostream& out, const ClassSummary& summary);

}  // namespace tutor::teacher
