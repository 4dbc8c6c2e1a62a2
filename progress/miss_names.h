#pragma once

#include <compare>
#include <string>

// How the missed-keys view names a miss: the character that was to be typed
// and what was typed in its place.
namespace tutor::progress {

// A key to type and the key typed instead (0 where no key types it), as the
// history keeps them, and whether it was the shift-key course's.
struct MissPair {
  int key;
  int typed_instead;
  bool shift_course;
  friend auto operator<=>(const MissPair&, const MissPair&) = default;
};

// "Ｊ のかわりに Ｋ". In the shift-key course a key is to be typed with Shift:
// "％ のかわりに ５ Shiftなし" where the key was struck without it, and
// "％ のかわりに ６のキー" for another key with two characters, since the
// history keeps the key struck, not whether Shift was held.
[[nodiscard]] std::string miss_text(const MissPair& miss);

}  // namespace tutor::progress
