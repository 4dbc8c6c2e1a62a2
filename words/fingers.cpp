#include "words/fingers.h"

namespace tutor::words {

Keystroke keystroke_for(char typed) {
  // The shifted characters a spelling may hold: ! ? and ' on the JIS keyboard.
  constexpr std::pair<char, char> kShifted[] = {{'!', '1'}, {'?', '/'}, {'\'', '7'}};
  for (const auto& [shifted, plain] : kShifted) {
    if (typed == shifted) {
      const int key = lessonkit::key_typing(std::string_view(&plain, 1));
      return {key, shift_key_for(key)};
    }
  }
  return {lessonkit::key_accepting(std::string_view(&typed, 1)), 0};
}

}  // namespace tutor::words
