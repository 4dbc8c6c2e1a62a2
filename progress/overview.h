#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "history/history.h"
#include "progress/chart.h"
#include "progress/progress_layout.h"

namespace tutor::progress {

// A program's best and latest block, as the totals show them. The best is of
// the passed blocks; of the timed test, of every test.
struct ProgramSummary {
  int blocks = 0;
  double best = 0;
  std::string best_shown;  // the evaluation, and for the timed test its grade; "" for none
  std::string latest_shown;
  std::string latest_day;
};

// What one pass over the history gives: every view but the missed keys.
struct Overview {
  history::HistoryRead::Status status = history::HistoryRead::Status::Missing;
  std::string problem;  // why the history cannot be read
  // Each program's blocks (the timed test's tests), in the order of
  // kProgramNames: a line of its own on its chart.
  std::array<std::vector<ChartPoint>, kProgramNames.size()> points;
  std::array<ProgramSummary, kProgramNames.size()> programs;
  long long blocks = 0;
  long long seconds = 0;
  long long right = 0;
  long long wrong = 0;
  std::vector<std::int64_t> cleared;  // when the records were cleared
};

// One pass over the whole history, holding only what the views draw (points
// of 24 bytes, sums, each program's best and latest): a history of years
// opens as fast as a short one.
[[nodiscard]] Overview read_overview(const std::filesystem::path& file);

}  // namespace tutor::progress
