#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "console/colour.h"
#include "console/console.h"
#include "progress/chart.h"

// The line charts over time that the speed and timed-test views draw.
namespace tutor::progress {

struct Series {
  Colour colour;
  std::vector<ChartPoint> points;
};

struct ValueTick {
  double value;
  std::string label;
};

// The time axis and the series as drawn, for what is written over them.
struct Plotted {
  Axis x;
  std::vector<Series> series;
};

// The axes, the value grid and its labels, the times, the marks and each
// series as points joined by lines. Series whose points would crowd are
// merged by day, or by longer periods while they still crowd, all alike.
Plotted draw_time_chart(Console& con,
                        std::vector<Series> series,
                        std::span<const std::int64_t> marks,
                        const Axis& value,
                        std::span<const ValueTick> ticks,
                        std::string_view hollow_note,
                        std::optional<double> pass_line = std::nullopt);

// A legend entry: a short line of the series' colour and its label; returns
// the column after it.
int legend_entry(Console& con, int col, Colour c, std::string_view label);

}  // namespace tutor::progress
