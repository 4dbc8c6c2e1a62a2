#include "progress/miss_names.h"

#include "console/text.h"
#include "lessonkit/key_table.h"
#include "shift/shift_keys.h"

namespace tutor::progress {
namespace {

// The character a key types, full width: "－" for the minus key, whose cap
// shows the long-vowel mark "ー". Where JIS prints another character ("￥"
// for the backslash) or the key types none, the cap's legend.
std::string legend_of(int key) {
  if (key == lessonkit::kSpaceBar) {
    return "スペース";
  }
  if (key < 1 || key > lessonkit::kKeyCount) {
    return "他のキー";
  }
  const lessonkit::Key& k = lessonkit::key(key);
  if (k.typed.size() == 1 && k.typed[0] > ' ' && k.typed[0] < 0x7f && k.typed[0] != '\\') {
    return encode_utf8(U'\uFF01' + char32_t(k.typed[0] - '!'));
  }
  return std::string(k.legend);
}

// What a key types in the shift-key course: its shifted character where it
// has one ("％" on key 5, "Ｆ" on key 29).
std::string shifted_legend_of(int key) {
  if (key >= 1 && key < lessonkit::kSpaceBar && !shift::shift_key(key).legend.empty()) {
    return std::string(shift::shift_key(key).legend);
  }
  return legend_of(key);
}

// Whether a key types two different characters, with Shift and without.
bool two_characters(int key) {
  return shifted_legend_of(key) != legend_of(key);
}

}  // namespace

std::string miss_text(const MissPair& miss) {
  if (!miss.shift_course) {
    return legend_of(miss.key) + " のかわりに " + legend_of(miss.typed_instead);
  }
  const std::string to_type = shifted_legend_of(miss.key) + " のかわりに ";
  if (miss.typed_instead == miss.key) {
    // The shifted character itself is right: the key was struck without Shift.
    return to_type + legend_of(miss.key) + " Shiftなし";
  }
  if (miss.typed_instead != 0 && two_characters(miss.typed_instead)) {
    return to_type + legend_of(miss.typed_instead) + "のキー";
  }
  return to_type + legend_of(miss.typed_instead);
}

}  // namespace tutor::progress
