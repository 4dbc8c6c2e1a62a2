#pragma once

#include <array>
#include <string_view>

#include "console/geometry.h"
#include "lessonkit/key_table.h"

// Constant tables of the timed test: the letter keys, the places of its boxes
// and buttons, and its texts.
namespace tutor::trytest {

// AKMOJI: the key numbers of the letters A to Z, in alphabetical order.
inline constexpr std::array<int, 26> kAkmoji = {26, 42, 40, 28, 16, 29, 30, 31, 21, 32, 33, 34, 44,
                                                43, 22, 23, 14, 17, 27, 18, 20, 41, 15, 39, 19, 38};

constexpr bool letters_match_key_table() {
  for (size_t i = 0; i < kAkmoji.size(); ++i) {
    const std::string_view typed = lessonkit::key(kAkmoji[i]).typed;
    if (typed.size() != 1 || typed[0] != static_cast<char>('A' + i)) {
      return false;
    }
  }
  return true;
}
static_assert(letters_match_key_table(), "every AKMOJI entry is the key of its letter");

// Letters of a problem line, and the keys 1-46 its letters are drawn from.
inline constexpr int kLineLength = 20;
inline constexpr int kDrawnKeys = 46;

inline constexpr std::string_view kLauncher = "./Velmora.exe";

// The set-up screen.
inline constexpr std::string_view kSetupTitle = "タイプ練習トライ編    現在のランク  &  &";
inline constexpr std::string_view kLengthPrompt = "計測時間を決めて下さい。(１～１０分) ";
inline constexpr Rect kTitleBox = {72, 10, 568, 38};
inline constexpr Rect kLengthBar = {72, 58, 568, 86};
inline constexpr Rect kLengthField = {453, 63, 499, 81};
inline constexpr Cell kLengthCell = {57, 4};
inline constexpr Rect kArrowButton = {507, 63, 521, 81};
inline constexpr Rect kOkButton = {234, 314, 318, 342};
inline constexpr Rect kSetupQuitButton = {362, 314, 446, 342};
// Click areas, edges included: each button with its rim.
inline constexpr Rect kOkArea = {232, 312, 320, 344};
inline constexpr Rect kSetupQuitArea = {360, 312, 448, 344};
inline constexpr Rect kArrowArea = {505, 61, 523, 83};

// The TimeMenu: item i (1-10) stands for a test of i minutes.
inline constexpr Rect kTimeMenuBox = {452, 92, 502, 258};
inline constexpr Rect kTimeMenuArea = {450, 90, 504, 260};
[[nodiscard]] constexpr Rect time_menu_item(int i) {
  return {454, 96 + 16 * (i - 1), 499, 111 + 16 * (i - 1)};
}
[[nodiscard]] constexpr Cell time_menu_cell(int i) {
  return {56, 5 + i};
}

// The test screen.
inline constexpr Rect kLabelBox = {22, 30, 130, 50};
inline constexpr Rect kTrialTitleBox = {206, 74, 402, 102};
inline constexpr Rect kTestQuitButton = {558, 318, 626, 338};
inline constexpr OpenArea kTestQuitArea = {560, 320, 624, 336};
inline constexpr Rect kRemainingPanel = {392, 270, 576, 290};
inline constexpr Cell kRemainingCell = {50, 17};
inline constexpr std::string_view kRemainingMask = " あと ## 分 ## 秒です";
inline constexpr Cell kLineNumberCell = {12, 2};

// Function-key cap i (0-9), spaced in groups of four, four and two.
[[nodiscard]] constexpr Rect function_key_cap(int i) {
  const int gap = i < 4 ? 74 : i < 8 ? 82 : 90;
  return {gap + 48 * i, 350, gap + 44 + 48 * i, 370};
}
// The face of letter cell k (0-19) and where position I = k+1 shows its letter.
[[nodiscard]] constexpr Rect letter_cell(int k) {
  return {142 + 24 * k, 30, 160 + 24 * k, 48};
}
[[nodiscard]] constexpr Cell letter_text_cell(int position) {
  return {15 + 3 * position, 2};
}
// The cell of position I lit, judged right or judged wrong: the face with its rim.
[[nodiscard]] constexpr Rect letter_mark(int position) {
  return {116 + 24 * position, 28, 138 + 24 * position, 50};
}

// The missed-key screen: letter n (1-26) fills the grid column by column.
inline constexpr std::string_view kMissedTitle = "あなたの間違えたキーは次の通りです";
inline constexpr std::string_view kDoubleClickPrompt = "ダブルクリックして下さい";
[[nodiscard]] constexpr Rect missed_key_cell(int col, int row) {
  return {86 + 120 * col, 46 + 32 * row, 194 + 120 * col, 66 + 32 * row};
}
[[nodiscard]] constexpr Cell missed_letter_cell(int n) {
  const int col = (n - 1) / 7;
  const int row = (n - 1) % 7 + 1;
  return {13 + 15 * col, 3 + 2 * row};
}
[[nodiscard]] constexpr Cell missed_count_cell(int n) {
  const Cell letter = missed_letter_cell(n);
  return {letter.col + 5, letter.row};
}

// The result screen.
inline constexpr Rect kResultPanel = {132, 284, 524, 306};
inline constexpr std::string_view kRightLine = "　あなたの入力文字は    ##,###  字です";
inline constexpr std::string_view kWrongLine = "　あなたの入力エラーは  ##,###  字です";
inline constexpr std::string_view kEvaluationLine = "　あなたの総合評価は　　##,###  字です";
inline constexpr std::string_view kGradeLine = "　あなたのランクは　　   &   &  です";
inline constexpr std::string_view kClickToEnd = "    マウスをクリックすると終了します。";

}  // namespace tutor::trytest
