#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "classdb/class_report.h"
#include "lessonkit/key_table.h"
#include "progress/progress_layout.h"

// The class server's sums of a class read as the progress program reads one
// learner's history: stages, the timed test's grade, each course's best and
// latest, the time practised; and the class's missed keys and kana.
namespace tutor::teacher {

// The furthest stage of the staged course with a block, and its highest step.
struct Stage {
  std::string_view name;  // as the launcher names it: "中級編"
  int step = 0;
};

// A course's best block (of those not failed) and its latest block.
struct CourseFigures {
  std::optional<classdb::ShownBlock> best;
  std::optional<classdb::ShownBlock> latest;
};

// The mean evaluation of a day's blocks of the chart's courses.
struct SpeedPoint {
  std::int64_t day = 0;  // days since 1970-01-01 where the report is made
  double mean = 0;
};

struct LearnerSummary {
  std::string name;
  std::optional<Stage> stage;
  std::optional<classdb::ShownBlock> best_test;  // the timed test's highest points
  std::array<CourseFigures, progress::kCourses.size()> courses;
  long long seconds_this_week = 0;
  long long seconds = 0;
  long long blocks = 0;           // of every program
  std::vector<SpeedPoint> speed;  // by day
};

struct Keystrokes {
  long long right = 0;
  long long wrong = 0;
};

struct ClassSummary {
  std::string class_name;
  std::vector<LearnerSummary> learners;                     // by name
  std::array<Keystrokes, lessonkit::kKeyCount + 1> keys{};  // by key number, 1-51
  std::vector<classdb::KanaSum> most_missed_kana;  // missed at least once, at most kTopKana
};

[[nodiscard]] ClassSummary summarise(const classdb::ClassReport& report);

// A word course's lesson as a teacher knows it: "レッスン 12" for a built-in
// one, "苦手なかな" for the lesson of missed kana, an own lesson's file name
// without ".txt".
[[nodiscard]] std::string lesson_title(std::string_view lesson);

}  // namespace tutor::teacher
