#include "progress/overview.h"

#include <algorithm>

namespace tutor::progress {
namespace {

std::string_view result_shown(std::string_view result) {
  namespace stored = history::results;
  static constexpr std::pair<std::string_view, std::string_view> kShown[] = {
      {stored::kPass, "合格"},        {stored::kTooManyErrors, "ミス多し"},
      {stored::kTooSlow, "速度不足"}, {stored::kNotYet, "力不足"},
      {stored::kNewBest, "最高記録"}, {stored::kNoNewBest, ""},
  };
  for (const auto& [stored, shown] : kShown) {
    if (stored == result) {
      return shown;
    }
  }
  return result;  // a grade name
}

int program_index(std::string_view program) {
  for (size_t i = 0; i < kProgramNames.size(); ++i) {
    if (kProgramNames[i].program == program) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

// The course of the speed chart a program belongs to; -1 for none.
int course_of(std::string_view program) {
  if (program.empty()) {
    return -1;  // the unused places of the course table
  }
  for (size_t i = 0; i < kCourses.size(); ++i) {
    const auto& p = kCourses[i].programs;
    if (std::find(p.begin(), p.end(), program) != p.end()) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

}  // namespace

Overview read_overview(const std::filesystem::path& file) {
  Overview o;
  auto add = [&](const history::BlockRow& b) {
    ++o.blocks;
    o.seconds += b.seconds;
    o.right += b.right;
    o.wrong += b.wrong;
    const double evaluation = number_of(b.evaluation);
    const auto t = wall_seconds(b.ended_at);
    if (const int c = course_of(b.program); c >= 0 && t) {
      o.courses[size_t(c)].push_back({*t, evaluation});
    } else if (b.program == kTimedTest && t) {
      o.timed_tests.push_back({*t, evaluation});
    }
    const int p = program_index(b.program);
    if (p < 0) {
      return;
    }
    ProgramSummary& sum = o.programs[size_t(p)];
    const bool graded = b.program == kTimedTest;
    if (sum.blocks++ == 0 || evaluation > sum.best) {
      sum.best = evaluation;
      sum.best_shown = std::string(b.evaluation) + (graded ? "  " + std::string(b.result) : "");
    }
    sum.latest_shown = std::string(b.evaluation) + "  " + std::string(result_shown(b.result));
    sum.latest_day = b.ended_at.substr(0, 10);
  };
  const history::HistoryRead r = history::scan_history(file, add);
  o.status = r.status;
  o.problem = r.problem;
  for (const history::Mark& m : r.history.marks) {
    if (const auto t = wall_seconds(m.at); t && m.what == history::kRecordsCleared) {
      o.cleared.push_back(*t);
    }
  }
  return o;
}

}  // namespace tutor::progress
