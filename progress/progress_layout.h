#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "console/colour.h"
#include "console/geometry.h"

// Where the progress program draws: the same 640x450 screen, title box and
// buttons as every other screen of the tutor.
namespace tutor::progress {

enum class View { Speed, TimedTest, MissedKeys, Totals, Words };
inline constexpr int kViewCount = 5;

struct ViewButton {
  View view;
  std::string_view label;
  std::string_view title;  // in the title box
  Rect face;
  Cell label_cell;
};

// clang-format off
inline constexpr std::array<ViewButton, kViewCount> kViewButtons = {{
    {View::Speed,      "速度の推移",   "速度の推移",           {16, 348, 112, 372},  {3, 22}},
    {View::TimedTest,  "トライ編",     "トライ編の記録",       {120, 348, 216, 372}, {17, 22}},
    {View::MissedKeys, "ミスキー",     "ミスの多いキー",       {224, 348, 320, 372}, {30, 22}},
    {View::Totals,     "合計",         "練習の合計",           {328, 348, 424, 372}, {45, 22}},
    {View::Words,      "ことば",       "ことばのレッスン",     {432, 348, 528, 372}, {57, 22}},
}};
// clang-format on
inline constexpr Rect kExitButton = {556, 348, 628, 372};
inline constexpr Cell kExitLabel = {72, 22};
inline constexpr Rect kTitleBox = {135, 11, 485, 37};
inline constexpr int kTitleRow = 1;

// The plot of the line charts: values from row 18 (bottom) to row 4 (top),
// seven intervals of two rows, labelled at their left; dates on row 19.
inline constexpr int kPlotLeft = 72;
inline constexpr int kPlotRight = 600;
inline constexpr int kPlotTopRow = 4;
inline constexpr int kPlotBottomRow = 18;
inline constexpr int kValueIntervals = 7;
// The design y of the middle of a text row, where its label reads level.
[[nodiscard]] constexpr int row_middle(int row) {
  return 16 * row + 8;
}
inline constexpr int kPlotTop = row_middle(kPlotTopRow);
inline constexpr int kPlotBottom = row_middle(kPlotBottomRow);
inline constexpr int kDateRow = 19;
inline constexpr int kLegendRow = 3;
// Points closer than this many pixels are merged by day, and days that are
// still too close by week, month or year; a note under the dates says so.
inline constexpr int kMinPointGap = 4;
struct MergePeriod {
  int days;
  std::string_view note;
};
inline constexpr std::array<MergePeriod, 4> kMergePeriods = {{
    {1, "点は1日ごとの平均です"},
    {7, "点は1週間ごとの平均です"},
    {30, "点は30日ごとの平均です"},
    {365, "点は1年ごとの平均です"},
}};
inline constexpr int kMergeNoteRow = 20;
// Points stand this far inside both ends of the time axis, clear of the value
// axis and of the dates under it, and never lower than kPointFloor, clear of
// the time axis.
inline constexpr int kPointInset = 12;
inline constexpr int kPointFloor = kPlotBottom - 4;
// Under this span the dates at the ends of the time axis name the minute.
inline constexpr std::int64_t kMinuteLabelsBelow = 2 * 86400;
// A failed block (a timed test below zero) is drawn hollow; under the dates,
// left of the merge note, a hollow point says so.
inline constexpr int kHollowNoteRow = 20;
inline constexpr std::string_view kFailedBlocksNote = "不合格のブロック";
inline constexpr std::string_view kFailedTestsNote = "得点がマイナスの回";

inline constexpr Colour kAxisColour = kGrey;
inline constexpr Colour kGridColour = kDarkGrey;
inline constexpr Colour kPassLineColour = kRed;
inline constexpr Colour kClearedMarkColour = kWhite;
inline constexpr double kPassEvaluation = 80;

// The courses of the speed chart, each a line of its own colour. The word
// course is two: typed in romaji and in kana input.
struct Course {
  std::string_view label;
  std::array<std::string_view, 5> programs;
  Colour colour;
  std::string_view input = {};  // the input its blocks were typed in; {}: any
};
inline constexpr std::array<Course, 6> kCourses = {{
    {"基本", {"Ostrin", "Palvek", "Rundel", "Mestra", "Hollin"}, kLightBlue},
    {"数字", {"Quillon"}, kLightGreen},
    {"記号", {"Tesmar"}, kYellow},
    {"シフト", {"Brandel"}, kPink},
    {"ローマ字", {"Kotoba"}, kWhite, "romaji"},
    {"かな", {"Kotoba"}, kLightCyan, "kana"},
}};
inline constexpr std::string_view kTimedTest = "Zarbet";
// The course whose misses are of Shift as much as of keys.
inline constexpr std::string_view kShiftCourse = "Brandel";

// How a block's input is counted: the word course's kana input as such,
// anything else (romaji, or no input stored) as romaji.
[[nodiscard]] constexpr std::string_view input_of(std::string_view program,
                                                  std::string_view input) {
  return program == "Kotoba" ? (input == "kana" ? "kana" : "romaji") : std::string_view{};
}

// The course of the speed chart a program's blocks typed in an input belong
// to; -1 for none.
[[nodiscard]] constexpr int course_of(std::string_view program, std::string_view input = {}) {
  if (program.empty()) {
    return -1;  // the unused places of the course table
  }
  for (size_t i = 0; i < kCourses.size(); ++i) {
    for (std::string_view p : kCourses[i].programs) {
      if (p == program && (kCourses[i].input.empty() || kCourses[i].input == input)) {
        return static_cast<int>(i);
      }
    }
  }
  return -1;
}
inline constexpr Colour kTimedTestColour = kLightCyan;

// The programs of the totals, as the launcher names them, the word course
// once for each input.
struct ProgramName {
  std::string_view program;
  std::string_view shown;
  std::string_view input = {};  // as input_of() gives it
};
inline constexpr std::array<ProgramName, 11> kProgramNames = {{
    {"Ostrin", "導入編"},
    {"Palvek", "基礎編"},
    {"Rundel", "初級編"},
    {"Mestra", "中級編"},
    {"Hollin", "上級編"},
    {"Zarbet", "トライ編"},
    {"Quillon", "数字キー"},
    {"Tesmar", "記号キー"},
    {"Brandel", "シフトキー"},
    {"Kotoba", "ことば・ローマ字", "romaji"},
    {"Kotoba", "ことば・かな", "kana"},
}};
inline constexpr int kFirstProgramRow = 9;
// The best evaluation is taken from passed blocks only: a block failed for
// its errors may be the fastest.
inline constexpr std::string_view kBestNote =
    "最高の評価は合格したブロックから（トライ編はすべての回から）";
inline constexpr int kBestNoteRow = 20;

// The miss rate of a key over the recent blocks, as a face colour: the first
// band whose limit is above the rate. Keys not typed keep the plain face.
inline constexpr int kRecentBlocks = 50;
struct MissBand {
  double below;  // rate limit
  Colour face;
  std::string_view label;
};
inline constexpr Colour kUntypedFace = kCream;
inline constexpr std::array<MissBand, 4> kMissBands = {{
    {0.02, kLightGreen, "2%未満"},
    {0.05, kYellow, "5%未満"},
    {0.10, kPink, "10%未満"},
    {2.0, kRed, "10%以上"},
}};
// The face of a key with these keystrokes: the plain face where none was
// typed, else its miss rate's band.
[[nodiscard]] constexpr Colour miss_face(long long right, long long wrong) {
  if (right + wrong == 0) {
    return kUntypedFace;
  }
  const double rate = double(wrong) / double(right + wrong);
  for (const MissBand& b : kMissBands) {
    if (rate < b.below) {
      return b.face;
    }
  }
  return kMissBands.back().face;
}
inline constexpr int kTopPairs = 10;

// The word course's view: a line a lesson and input, as many as fit; and
// what to practise next. A kana missed at least this often (and this many
// times) over the recent blocks sends the learner to the missed kana first.
inline constexpr int kFirstWordRow = 5;
inline constexpr int kLastWordRow = 18;
inline constexpr int kNextRow = 20;
inline constexpr double kMissedKanaRate = 0.10;
inline constexpr long long kMissedKanaAtLeast = 3;

}  // namespace tutor::progress
