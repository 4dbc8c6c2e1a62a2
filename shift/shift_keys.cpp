#include "shift/shift_keys.h"

namespace tutor::shift {

lessonkit::DrillTarget shift_target(char ch) {
  if (ch == ';') {
    return {35, "；", {";", ";"}, 0};
  }
  const int k = key_shifting_to(std::string_view(&ch, 1));
  const ShiftKey& s = shift_key(k);
  // A key without an alternative accepts its one character only.
  const std::string_view alternative = s.alternative.empty() ? s.shifted : s.alternative;
  const int held = s.side == kLeftShiftSide    ? lessonkit::kLeftShift
                   : s.side == kRightShiftSide ? lessonkit::kRightShift
                                               : 0;
  return {k, s.legend, {s.shifted, alternative}, held};
}

int key_of_keystroke(std::string_view keystroke) {
  if (keystroke.empty()) {
    return 0;
  }
  for (int k = 1; k <= lessonkit::kTypingKeys; ++k) {
    const ShiftKey& s = shift_key(k);
    const lessonkit::Key& plain = lessonkit::key(k);
    if (s.shifted == keystroke || s.alternative == keystroke || plain.typed == keystroke ||
        plain.alternative == keystroke || (k == 2 && keystroke == "\"")) {
      return k;
    }
  }
  return 0;
}

}  // namespace tutor::shift
