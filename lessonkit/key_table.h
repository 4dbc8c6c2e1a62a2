#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "console/geometry.h"
#include "console/key_place.h"

namespace tutor::lessonkit {

// One key of the on-screen JIS keyboard.
struct Key {
  std::string_view typed;        // the character it types; letters upper case
  std::string_view alternative;  // also accepted: the lower-case letter
  std::string_view legend;       // full-width legend
  Rect rect;                     // face, design units
  std::optional<Cell> legend_cell;
  KeyPlace place;  // keys 1-48; none for the space bar and the Shift keys
};

inline constexpr int kKeyCount = 51;
inline constexpr int kSpaceBar = 49;
inline constexpr int kLeftShift = 50;
inline constexpr int kRightShift = 51;
// Keys 1-49 type a character; 50 and 51 are the Shift keys.
inline constexpr int kTypingKeys = 49;

namespace detail {

// A row of keys spaced 32 units apart, legends 4 columns apart.
struct KeyRow {
  char place_row;
  int first;  // key number of the leftmost key
  std::array<std::string_view, 13> typed;
  std::array<std::string_view, 13> alternative;
  std::array<std::string_view, 13> legend;
  int count;
  int x1;     // face left of the first key
  int width;  // x2 - x1
  int y1, y2;
  Cell first_legend;
};

// clang-format off
inline constexpr std::array<KeyRow, 4> kRows = {{
    {'E', 1,
     {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "-", "^", "\\"},
     {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "-", "^", "\\"},
     {"１", "２", "３", "４", "５", "６", "７", "８", "９", "０", "ー", "＾", "￥"},
     13, 114, 26, 171, 197, {15, 11}},
    {'D', 14,
     {"Q", "W", "E", "R", "T", "Y", "U", "I", "O", "P", "@", "["},
     {"q", "w", "e", "r", "t", "y", "u", "i", "o", "p", "@", "["},
     {"Ｑ", "Ｗ", "Ｅ", "Ｒ", "Ｔ", "Ｙ", "Ｕ", "Ｉ", "Ｏ", "Ｐ", "＠", "［"},
     12, 132, 24, 203, 230, {17, 13}},
    {'C', 26,
     {"A", "S", "D", "F", "G", "H", "J", "K", "L", ";", ":", "]"},
     {"a", "s", "d", "f", "g", "h", "j", "k", "l", ";", ":", "]"},
     {"Ａ", "Ｓ", "Ｄ", "Ｆ", "Ｇ", "Ｈ", "Ｊ", "Ｋ", "Ｌ", "；", "：", "］"},
     12, 138, 24, 235, 261, {18, 15}},
    {'B', 38,
     {"Z", "X", "C", "V", "B", "N", "M", ",", ".", "/", "_"},
     {"z", "x", "c", "v", "b", "n", "m", ",", ".", "/", "_"},
     {"Ｚ", "Ｘ", "Ｃ", "Ｖ", "Ｂ", "Ｎ", "Ｍ", "，", "．", "／", "＿"},
     11, 146, 26, 267, 293, {19, 17}},
}};
// clang-format on

constexpr std::array<Key, kKeyCount + 1> build_keys() {
  std::array<Key, kKeyCount + 1> keys{};
  for (const KeyRow& row : kRows) {
    for (int i = 0; i < row.count; ++i) {
      const int x1 = row.x1 + 32 * i;
      keys[static_cast<size_t>(row.first + i)] = {
          row.typed[static_cast<size_t>(i)],
          row.alternative[static_cast<size_t>(i)],
          row.legend[static_cast<size_t>(i)],
          Rect{x1, row.y1, x1 + row.width, row.y2},
          Cell{row.first_legend.col + 4 * i, row.first_legend.row},
          KeyPlace{row.place_row, i + 1}};
    }
  }
  keys[kSpaceBar] = {" ", " ", "　", Rect{243, 300, 443, 321}, std::nullopt, {}};
  keys[kLeftShift] = {"", "", "Shift", Rect{88, 267, 140, 293}, Cell{12, 17}, {}};
  keys[kRightShift] = {"", "", "Shift", Rect{498, 267, 550, 293}, Cell{63, 17}, {}};
  return keys;
}

}  // namespace detail

// The 51 keys, indexed 1 to 51 (index 0 unused).
inline constexpr std::array<Key, kKeyCount + 1> kKeys = detail::build_keys();

[[nodiscard]] constexpr const Key& key(int number) {
  return kKeys[static_cast<size_t>(number)];
}

// The first key among 1-49 whose typed character is `ch`; 0 for none.
[[nodiscard]] constexpr int key_typing(std::string_view ch) {
  for (int k = 1; k <= kTypingKeys; ++k) {
    if (kKeys[static_cast<size_t>(k)].typed == ch) {
      return k;
    }
  }
  return 0;
}

// The key at a place of the typing area; 0 for none.
[[nodiscard]] constexpr int key_at(KeyPlace place) {
  for (int k = 1; k < kSpaceBar; ++k) {
    if (kKeys[static_cast<size_t>(k)].place == place) {
      return k;
    }
  }
  return 0;
}

// The first key among 1-49 whose typed character or alternative is `ch`; 0 for none.
[[nodiscard]] constexpr int key_accepting(std::string_view ch) {
  for (int k = 1; k <= kTypingKeys; ++k) {
    const Key& key = kKeys[static_cast<size_t>(k)];
    if (key.typed == ch || key.alternative == ch) {
      return k;
    }
  }
  return 0;
}

}  // namespace tutor::lessonkit
