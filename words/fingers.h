#pragma once

#include <array>
#include <string_view>
#include <utility>

#include "console/colour.h"
#include "lessonkit/key_table.h"

namespace tutor::words {

// The colour of the finger that strikes each key of the on-screen keyboard:
// little fingers pink, ring fingers yellow, middle fingers light green, index
// fingers light blue, thumbs (the space bar) light cyan. Every one is light:
// a key's black legend reads on it.
inline constexpr std::size_t kKeySlots = lessonkit::kKeyCount + 1;
struct Fingers {
  std::array<Colour, kKeySlots> colour = []<std::size_t... I>(std::index_sequence<I...>) {
    return std::array<Colour, kKeySlots>{((void)I, kCream)...};
  }
  (std::make_index_sequence<kKeySlots>{});
  std::array<bool, kKeySlots> right_hand{};
};

constexpr Fingers fingers() {
  // By the key's place in its row: little, ring, middle, index, index, then
  // the right hand's index, index, middle, ring and little for the rest.
  constexpr std::array<Colour, 13> kByColumn = {
      kPink,       kYellow, kLightGreen, kLightBlue, kLightBlue, kLightBlue, kLightBlue,
      kLightGreen, kYellow, kPink,       kPink,      kPink,      kPink};
  constexpr std::array<int, 5> kRowStarts = {1, 14, 26, 38, 49};
  Fingers f;
  for (std::size_t row = 0; row + 1 < kRowStarts.size(); ++row) {
    for (int k = kRowStarts[row]; k < kRowStarts[row + 1]; ++k) {
      const auto column = static_cast<std::size_t>(k - kRowStarts[row]);
      f.colour[static_cast<std::size_t>(k)] = kByColumn[column];
      f.right_hand[static_cast<std::size_t>(k)] = column >= 5;
    }
  }
  f.colour[lessonkit::kSpaceBar] = kLightCyan;
  f.colour[lessonkit::kLeftShift] = kPink;
  f.colour[lessonkit::kRightShift] = kPink;
  f.right_hand[lessonkit::kRightShift] = true;
  return f;
}
inline constexpr Fingers kFingers = fingers();

// The key that types a character of a romaji spelling, and the Shift key to
// hold with it (the other hand's), 0 for none.
struct Keystroke {
  int key = 0;
  int shift_key = 0;
};
[[nodiscard]] Keystroke keystroke_for(char typed);

// The Shift key held with a key: the other hand's.
[[nodiscard]] constexpr int shift_key_for(int key) {
  return kFingers.right_hand[static_cast<std::size_t>(key)] ? lessonkit::kLeftShift
                                                            : lessonkit::kRightShift;
}

}  // namespace tutor::words
