#include "progress/time_chart.h"

#include <algorithm>
#include <cstdlib>

#include "console/text.h"
#include "progress/progress_layout.h"
#include "progress/screen_text.h"

namespace tutor::progress {
namespace {

// Dots every four pixels along a value's line, lighter than the data.
void grid_line(Console& con, int y) {
  for (int x = kPlotLeft + 4; x <= kPlotRight; x += 4) {
    con.point({x, y}, kGridColour);
  }
}

// The span of the points and marks, inside the ends of the plot.
Axis time_axis(const std::vector<Series>& series, std::span<const std::int64_t> marks) {
  std::int64_t lo = INT64_MAX, hi = INT64_MIN;
  for (const Series& s : series) {
    for (const ChartPoint& p : s.points) {
      lo = std::min(lo, p.t);
      hi = std::max(hi, p.t);
    }
  }
  for (std::int64_t m : marks) {
    lo = std::min(lo, m);
    hi = std::max(hi, m);
  }
  return {double(lo), double(hi), kPlotLeft + kPointInset, kPlotRight - kPointInset};
}

// A point of a series: filled, or hollow for a failed block; lines passing
// under a hollow one are wiped from its middle.
void draw_point(Console& con, DesignPoint at, Colour c, bool hollow) {
  const Rect r{at.x - 2, at.y - 2, at.x + 2, at.y + 2};
  con.fill(r, hollow ? kBlack : c);
  if (hollow) {
    con.outline(r, c);
  }
}

// The times under the axis: the dates at both ends and, over a longer span,
// in the middle; under two days, the dates with the minute, unless the points
// are days merged.
void draw_times(Console& con, const Axis& x, bool merged) {
  const auto lo = static_cast<std::int64_t>(x.lo), hi = static_cast<std::int64_t>(x.hi);
  const bool minutes = !merged && hi - lo < kMinuteLabelsBelow;
  auto text = [&](std::int64_t t) { return minutes ? minute_text(t) : day_text(t); };
  if (lo == hi) {
    print_centred(con, kDateRow, kPlotLeft / 8, kPlotRight / 8, kGrey, text(lo));
    return;
  }
  con.print({kPlotLeft / 8, kDateRow}, kGrey, text(lo));
  print_right_aligned(con, {kPlotRight / 8 - 1, kDateRow}, kGrey, text(hi));
  if (hi - lo >= kMinuteLabelsBelow) {
    print_centred(con, kDateRow, kPlotLeft / 8, kPlotRight / 8, kGrey, day_text((lo + hi) / 2));
  }
}

}  // namespace

Plotted draw_time_chart(Console& con,
                        std::vector<Series> series,
                        std::span<const std::int64_t> marks,
                        const Axis& value,
                        std::span<const ValueTick> ticks,
                        std::string_view hollow_note,
                        std::optional<double> pass_line) {
  Axis x = time_axis(series, marks);
  const std::vector<Series> blocks = series;
  bool merged = false;
  for (const MergePeriod& period : kMergePeriods) {
    if (std::none_of(series.begin(), series.end(),
                     [&](const Series& s) { return crowded(s.points, x, kMinPointGap); })) {
      break;
    }
    for (size_t i = 0; i < series.size(); ++i) {
      series[i].points = by_period(blocks[i].points, period.days);
    }
    x = time_axis(series, marks);
    merged = true;
    con.blank({0, kMergeNoteRow}, kColumns);
    print_right_aligned(con, {kPlotRight / 8 - 1, kMergeNoteRow}, kGrey, period.note);
  }
  // From the top down, so that where two labels would touch the lower one
  // gives way and the top of the scale is always named.
  int last_label_row = -10;
  for (auto t = ticks.rbegin(); t != ticks.rend(); ++t) {
    const int y = value.at(t->value);
    grid_line(con, y);
    const int row = y / 16;  // the row whose middle (16 row + 8) is nearest
    if (std::abs(row - last_label_row) >= 2) {
      print_right_aligned(con, {kPlotLeft / 8 - 1, row}, kGrey, t->label);
      last_label_row = row;
    }
  }
  if (pass_line) {
    const int y = value.at(*pass_line);
    con.fill({kPlotLeft + 1, y, kPlotRight, y}, kPassLineColour);
  }
  con.polyline({{kPlotLeft, kPlotTop}, {kPlotLeft, kPlotBottom}, {kPlotRight, kPlotBottom}},
               kAxisColour);
  draw_times(con, x, merged);
  for (std::int64_t m : marks) {
    const int mx = x.at(double(m));
    for (int y = kPlotTop; y < kPlotBottom; y += 3) {
      con.point({mx, y}, kClearedMarkColour);
    }
  }
  auto at = [&](const ChartPoint& p) {
    return DesignPoint{x.at(double(p.t)), std::min(value.at(p.value), kPointFloor)};
  };
  bool any_hollow = false;
  for (const Series& s : series) {
    for (size_t i = 1; i < s.points.size(); ++i) {
      con.polyline({at(s.points[i - 1]), at(s.points[i])}, s.colour);
    }
    for (const ChartPoint& p : s.points) {
      draw_point(con, at(p), s.colour, p.failed);
      any_hollow = any_hollow || p.failed;
    }
  }
  if (any_hollow) {
    draw_point(con, {kPlotLeft + 4, row_middle(kHollowNoteRow)}, kGrey, true);
    con.print({kPlotLeft / 8 + 2, kHollowNoteRow}, kGrey, hollow_note);
  }
  return {x, std::move(series)};
}

int legend_entry(Console& con, int col, Colour c, std::string_view label) {
  const int y = row_middle(kLegendRow);
  con.fill({col * 8, y - 1, col * 8 + 15, y + 1}, c);
  con.print({col + 3, kLegendRow}, kGrey, label);
  return col + 3 + display_width(label) + 1;
}

}  // namespace tutor::progress
