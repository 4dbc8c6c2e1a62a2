#include "progress/views.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "console/text.h"
#include "progress/progress_layout.h"
#include "progress/screen_text.h"
#include "progress/time_chart.h"
#include "trytest/grade_table.h"

namespace tutor::progress {
namespace {

// The program index of the timed test in kProgramNames.
constexpr size_t kTimedTestIndex = [] {
  size_t i = 0;
  while (kProgramNames[i].program != kTimedTest) {
    ++i;
  }
  return i;
}();

// The grade reached, written over each point that reaches a grade above every
// earlier one; where two would touch, the later is written.
void label_new_grades(Console& con, const Plotted& plotted, const Axis& value) {
  struct Label {
    Cell at;
    std::string_view name;
  };
  std::vector<Label> labels;
  int best = 0;
  for (const ChartPoint& p : plotted.series.front().points) {
    const int grade = trytest::grade_of(p.value);
    if (p.failed || grade <= best) {
      continue;
    }
    best = grade;
    const std::string_view name = trytest::grade_name(grade);
    const int width = display_width(name);
    const int px = plotted.x.at(double(p.t)), py = std::min(value.at(p.value), kPointFloor);
    const int above = (py - 3) / 16 - 1;  // the row clear of the point's top
    const int row = above >= kPlotTopRow ? above : (py + 3 + 15) / 16;
    const int col = std::clamp(px / 8 - width / 2, kPlotLeft / 8 + 1, kPlotRight / 8 - width);
    labels.push_back({{col, row}, name});
  }
  std::vector<Label> written;
  for (auto l = labels.rbegin(); l != labels.rend(); ++l) {
    const int width = display_width(l->name);
    const bool touches = std::any_of(written.begin(), written.end(), [&](const Label& w) {
      return w.at.row == l->at.row && l->at.col <= w.at.col + display_width(w.name) &&
             w.at.col <= l->at.col + width;
    });
    if (!touches) {
      con.print(l->at, kTimedTestColour, l->name);
      written.push_back(*l);
    }
  }
}

}  // namespace

void draw_timed_test(Console& con, const Overview& o) {
  Series s{kTimedTestColour, o.points[kTimedTestIndex]};
  if (s.points.empty()) {
    show_message(con, "まだトライ編の記録がありません。",
                 "タイムトライアルを最後まで終えると、得点がここに表示されます。");
    return;
  }
  // From the lowest grade reached to the highest, each grade a band of
  // evaluations; the boundaries are named by the grade that starts there. A
  // test below zero reaches no grade and stretches no scale: it stands hollow
  // at the bottom.
  using trytest::kGradeThresholds;
  int lo_grade = trytest::kGradeCount, hi_grade = 0;
  double hi_value = 0;
  for (const ChartPoint& p : s.points) {
    if (!p.failed) {
      lo_grade = std::min(lo_grade, trytest::grade_of(p.value));
      hi_grade = std::max(hi_grade, trytest::grade_of(p.value));
      hi_value = std::max(hi_value, p.value);
    }
  }
  if (hi_grade == 0) {  // none reached: the first grade's band
    lo_grade = hi_grade = trytest::grade_of(0);
  }
  const double lo = kGradeThresholds[size_t(lo_grade - 1)];
  const double hi = hi_grade < trytest::kGradeCount ? kGradeThresholds[size_t(hi_grade)]
                                                    : std::ceil(hi_value) + 60;
  std::vector<ValueTick> ticks;
  const int every = (hi_grade - lo_grade + kValueIntervals) / kValueIntervals;
  for (int g = lo_grade; g <= hi_grade; g += every) {
    ticks.push_back({double(kGradeThresholds[size_t(g - 1)]), std::string(trytest::grade_name(g))});
  }
  ticks.push_back(
      {hi, std::string(trytest::grade_name(hi_grade < trytest::kGradeCount ? hi_grade + 1 : -1))});
  legend_entry(con, 2, kTimedTestColour, "トライ編の得点（目盛りは段級の下限）");
  const Axis value{lo, hi, kPlotBottom, kPlotTop};
  label_new_grades(
      con, draw_time_chart(con, {std::move(s)}, o.cleared, value, ticks, kFailedTestsNote), value);
}

}  // namespace tutor::progress
