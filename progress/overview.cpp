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

int program_index(std::string_view program, std::string_view input) {
  for (size_t i = 0; i < kProgramNames.size(); ++i) {
    if (kProgramNames[i].program == program && kProgramNames[i].input == input_of(program, input)) {
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
    const int p = program_index(b.program, b.input);
    if (p < 0) {
      return;
    }
    const double evaluation = number_of(b.evaluation);
    const bool graded = b.program == kTimedTest;
    const bool failed = graded ? evaluation < 0 : history::results::is_failure(b.result);
    if (const auto t = wall_seconds(b.ended_at)) {
      o.points[size_t(p)].push_back({*t, evaluation, failed});
    }
    ProgramSummary& sum = o.programs[size_t(p)];
    ++sum.blocks;
    if ((graded || !failed) && (sum.best_shown.empty() || evaluation > sum.best)) {
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
