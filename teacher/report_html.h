#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "teacher/class_summary.h"

// A teacher's report of a class as one self-contained HTML page: Japanese
// throughout, no script, no file beside it, printable on A4 landscape.
namespace tutor::teacher {

// When the report is made, on the machine that makes it.
struct ReportMoment {
  std::int64_t made_at = 0;     // seconds since 1970 UTC
  std::int64_t week_start = 0;  // this week's Monday 00:00 local time
};

// The page: a table of the learners (stage, the timed test's best grade,
// each course's best and latest, time practised and blocks), the keyboard
// coloured by the class's miss rates with the kana missed most, and each
// learner's speed over the days.
void write_report_html(std::ostream& out, const ClassSummary& summary, const ReportMoment& when);

// Text as HTML shows it, in an element or a quoted attribute: markup
// characters as references, control characters and bytes that are not UTF-8
// as U+FFFD.
[[nodiscard]] std::string html_text(std::string_view text);

}  // namespace tutor::teacher
