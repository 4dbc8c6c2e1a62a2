#pragma once

#include <cstddef>
#include <string_view>

#include "console/colour.h"
#include "console/geometry.h"

// Where the word course draws: its lesson menu in the launcher's look, and
// the rows of its drill screen above the keyboard.
namespace tutor::words {

inline constexpr std::string_view kMenuTitle = "ことばの練習";
inline constexpr Rect kTitleBox = {135, 11, 485, 37};
inline constexpr Cell kTitleCell = {34, 1};
inline constexpr Rect kPanel = {15, 52, 624, 284};
inline constexpr Rect kPanelInside = {18, 55, 621, 281};

// Seven lessons a column, two columns a page.
inline constexpr long kEntriesPerColumn = 7;
inline constexpr std::size_t kEntriesPerPage = 14;
inline constexpr int kLabelWidth = 31;
struct MenuPlace {
  Rect button;
  Cell label;
};
[[nodiscard]] constexpr MenuPlace menu_place(std::size_t on_page) {
  const int column = static_cast<int>(on_page) / static_cast<int>(kEntriesPerColumn);
  const int row = 4 + 2 * (static_cast<int>(on_page) % static_cast<int>(kEntriesPerColumn));
  const int left = column == 0 ? 30 : 340;
  return {{left, 16 * row - 2, left + 270, 16 * row + 18}, {left / 8 + 1, row}};
}

inline constexpr int kProblemRow = 18;
inline constexpr Rect kLegendBox = {116, 316, 188, 340};
inline constexpr Cell kLegendCell = {17, 20};
inline constexpr Cell kPromptCell = {26, 20};
inline constexpr Rect kExitBox = {556, 316, 628, 340};
inline constexpr Cell kExitCell = {72, 20};
// The "終了" box leaves for the launcher: 560 <= x < 624, 320*Q < y < 336*Q.
inline constexpr OpenArea kExitArea = {560, 320, 624, 336};
inline constexpr Cell kPageCell = {2, 24};
// Which finger's colour is which, each name in its colour.
inline constexpr Cell kFingerLegendCell = {40, 24};
// The input the lessons are typed in, switched by Tab or a click.
inline constexpr Rect kInputBox = {358, 348, 630, 372};
inline constexpr Cell kInputCell = {45, 22};
inline constexpr std::string_view kRomajiInputLabel = "入力：ローマ字（Tab で切り替え）";
inline constexpr std::string_view kKanaInputLabel = "入力：かな　　（Tab で切り替え）";
// Who practises (the pass mark), switched by F2 or a click.
inline constexpr Rect kPresetBox = {10, 348, 218, 372};
inline constexpr Cell kPresetCell = {2, 22};
// The sounds, off to begin with, switched by F3 or a click.
inline constexpr Rect kSoundBox = {226, 348, 350, 372};
inline constexpr Cell kSoundCell = {29, 22};

// The drill screen: the item as written (double size) on rows 3 and 4, its
// reading on row 5, the romaji on row 6; the keyboard below.
inline constexpr Colour kTitleBarFace = kLightGreen;
inline constexpr int kWrittenRow = 3;
inline constexpr int kReadingRow = 5;
inline constexpr int kGuideRow = 6;
inline constexpr Cell kCounterCell = {32, 22};
// The block's wrong keys; the key struck beside the one expected, on the
// row under the keyboard; after two misses on one kana, what the drill waits
// for, at double size on that row and the next.
inline constexpr Cell kMissCounterCell = {4, 22};
inline constexpr int kMissRow = 23;
// Under the keyboard of kana input: where keyboards without the ¥ and ろ
// keys type their kana.
inline constexpr Cell kStandInCell = {5, 24};
inline constexpr std::string_view kStandInNote =
    "￥・ろキーがなければ ー は ｀（1の左）、ろ は Shift+｀ か Z の左のキー";

}  // namespace tutor::words
