#include "progress/views.h"

#include <algorithm>
#include <vector>

#include "progress/progress_layout.h"
#include "progress/screen_text.h"
#include "progress/time_chart.h"

namespace tutor::progress {

void draw_speed(Console& con, const Overview& o) {
  // A line for each program: a harder stage starts a line of its own rather
  // than continuing the last stage's, as if the learner had slowed down.
  std::vector<Series> series;
  double top = kPassEvaluation;
  for (size_t i = 0; i < kProgramNames.size(); ++i) {
    const int course = course_of(kProgramNames[i].program, kProgramNames[i].input);
    if (course < 0 || o.points[i].empty()) {
      continue;
    }
    for (const ChartPoint& p : o.points[i]) {
      top = std::max(top, p.value);
    }
    series.push_back({kCourses[size_t(course)].colour, o.points[i]});
  }
  if (series.empty()) {
    show_message(con, "まだ記録がありません。",
                 "ブロックを最後まで練習すると、評価がここに表示されます。");
    return;
  }
  int col = 2;
  for (const Course& c : kCourses) {
    col = legend_entry(con, col, c.colour, c.label);
  }
  col = legend_entry(con, col, kPassLineColour, "合格 80");
  legend_entry(con, col, kClearedMarkColour, "クリア");
  // Room above the best block, in whole steps of the grid.
  const int step = value_step(std::min(top * 1.05, 1e7), kValueIntervals);
  const Axis value{0, double(step * kValueIntervals), kPlotBottom, kPlotTop};
  std::vector<ValueTick> ticks;
  for (int i = 0; i <= kValueIntervals; ++i) {
    ticks.push_back({double(i * step), with_commas(i * step)});
  }
  draw_time_chart(con, std::move(series), o.cleared, value, ticks, kFailedBlocksNote,
                  kPassEvaluation);
}

}  // namespace tutor::progress
