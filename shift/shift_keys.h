#pragma once

#include <array>
#include <string_view>

#include "lessonkit/drill.h"
#include "lessonkit/key_table.h"
#include "lessonkit/keyboard.h"

namespace tutor::shift {

// Which Shift key to hold with a shifted character.
inline constexpr int kNoShift = 0;
inline constexpr int kLeftShiftSide = 1;   // key 50
inline constexpr int kRightShiftSide = 2;  // key 51

// What a key types in the shift-key course besides its unshifted characters.
// An empty entry means the key has no character in this course.
struct ShiftKey {
  std::string_view shifted;      // AS$: the shifted character it types
  std::string_view alternative;  // BS$: also accepted (the lower-case letter)
  std::string_view legend;       // BZ$: full-width legend on the drill screen
  int side = kNoShift;           // CS: the Shift key to hold
};

namespace detail {

// One row of the keyboard, in key order.
struct ShiftRow {
  int first;  // key number of the leftmost key
  int count;
  std::array<std::string_view, 13> shifted;
  std::array<std::string_view, 13> alternative;
  std::array<std::string_view, 13> legend;
  std::array<int, 13> side;
};

// Key 2 types "2" in both columns; the double quotation mark it types with
// Shift is found only by the wrong-key search.
inline constexpr std::array<ShiftRow, 4> kShiftRows = {{
    {1,
     13,
     {"!", "2", "#", "$", "%", "&", "'", "(", ")", "", "=", "~", "|"},
     {"!", "2", "#", "$", "%", "&", "'", "(", ")", "", "=", "~", "|"},
     {"！", "”", "＃", "＄", "％", "＆", "'", "（", "）", "", "＝", "～", "｜"},
     {2, 2, 2, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1}},
    {14,
     12,
     {"", "", "", "", "", "", "", "", "", "", "`", "{"},
     {"", "", "", "", "", "", "", "", "", "", "", "{"},
     {"", "", "", "", "", "", "", "", "", "", "｀", "｛"},
     {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1}},
    {26,
     12,
     {"A", "S", "D", "F", "", "", "J", "K", "L", "+", "*", "}"},
     {"a", "s", "d", "f", "", "", "j", "k", "l", "+", "*", "}"},
     {"Ａ", "Ｓ", "Ｄ", "Ｆ", "", "", "Ｊ", "Ｋ", "Ｌ", "＋", "＊", "｝"},
     {0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1}},
    {38,
     12,
     {"", "", "", "", "", "", "", "<", ">", "?", "_", " "},
     {"", "", "", "", "", "", "", "<", ">", "?", "_", " "},
     {"", "", "", "", "", "", "", "＜", "＞", "？", "＿", "　"},
     {0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 0}},
}};

constexpr std::array<ShiftKey, lessonkit::kKeyCount + 1> build_shift_keys() {
  std::array<ShiftKey, lessonkit::kKeyCount + 1> keys{};
  for (const ShiftRow& row : kShiftRows) {
    for (int i = 0; i < row.count; ++i) {
      const auto at = static_cast<size_t>(i);
      keys[static_cast<size_t>(row.first + i)] = {row.shifted[at], row.alternative[at],
                                                  row.legend[at], row.side[at]};
    }
  }
  keys[lessonkit::kLeftShift] = {"", "", "Shift", kNoShift};
  keys[lessonkit::kRightShift] = {"", "", "Shift", kNoShift};
  return keys;
}

}  // namespace detail

// Keys 1 to 51 (index 0 unused) as the shift-key course sees them.
inline constexpr std::array<ShiftKey, lessonkit::kKeyCount + 1> kShiftKeys =
    detail::build_shift_keys();

[[nodiscard]] constexpr const ShiftKey& shift_key(int number) {
  return kShiftKeys[static_cast<size_t>(number)];
}

// The first key among 1-49 whose shifted character is `ch`; 0 for none.
[[nodiscard]] constexpr int key_shifting_to(std::string_view ch) {
  for (int k = 1; k <= lessonkit::kTypingKeys; ++k) {
    if (!ch.empty() && shift_key(k).shifted == ch) {
      return k;
    }
  }
  return 0;
}

// The drill screen's legends: the shifted legends of keys 1-48, "Shift" and
// two blanks on both Shift keys, nothing on the space bar.
inline constexpr lessonkit::Legends kShiftLegends = [] {
  lessonkit::Legends l{};
  for (int k = 1; k < lessonkit::kSpaceBar; ++k) {
    l[static_cast<size_t>(k)] = shift_key(k).legend;
  }
  l[lessonkit::kLeftShift] = "Shift  ";
  l[lessonkit::kRightShift] = "Shift  ";
  return l;
}();

// A character of a drill line: ";" is typed on key 35 without Shift; any
// other character on the key whose shifted character it is, with the Shift
// key of that key's side.
[[nodiscard]] lessonkit::DrillTarget shift_target(char ch);

// The key a wrong keystroke marks: the first among 1-49 whose shifted
// character, its alternative or an unshifted character of the key table is
// the keystroke, the double quotation mark counting as key 2; 0 for none.
[[nodiscard]] int key_of_keystroke(std::string_view keystroke);

}  // namespace tutor::shift
