#pragma once

#include <array>
#include <string_view>

#include "progress/progress_layout.h"

// What a teacher's report of a class names and how large it draws: the
// courses as the progress program names them, the columns of the CSV, the
// sizes of the charts.
namespace tutor::teacher {

// The courses of the progress program's speed chart (progress::kCourses), in
// its order: the title of a report's column, and the start of its CSV columns.
struct CourseColumn {
  std::string_view title;
  std::string_view csv_name;
};
inline constexpr std::array<CourseColumn, progress::kCourses.size()> kCourseColumns = {{
    {"基本", "basic"},
    {"数字キー", "numbers"},
    {"記号キー", "symbols"},
    {"シフトキー", "shift"},
    {"ことば・ローマ字", "words_romaji"},
    {"ことば・かな", "words_kana"},
}};

// The staged course, easiest stage first: the first course of the chart.
inline constexpr const auto& kStages = progress::kCourses[0].programs;

// How many of the kana the class missed most the report lists.
inline constexpr std::size_t kTopKana = 10;

// A learner's speed chart, in SVG units: the plot inside its margins.
inline constexpr int kChartWidth = 260;
inline constexpr int kChartHeight = 110;
inline constexpr int kChartLeft = 34;
inline constexpr int kChartRight = 250;
inline constexpr int kChartTop = 8;
inline constexpr int kChartBottom = 86;
// A chart of more days than this is its line alone: a dot a day, each with
// its figure to point at, would make a long history's page heavy.
inline constexpr std::size_t kChartMostDots = 40;
// The value axis reaches at least this, in steps of kChartValueStep.
inline constexpr double kChartLeastTop = 100;
inline constexpr double kChartValueStep = 50;

// The keyboard of the heat map: the on-screen keyboard's faces, in its
// pixels (x as designed, y scaled as the screen shows it), with this margin.
inline constexpr int kKeyboardMargin = 4;

}  // namespace tutor::teacher
