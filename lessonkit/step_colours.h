#pragma once

#include <array>
#include <string_view>

#include "console/colour.h"
#include "lessonkit/key_table.h"

namespace tutor::lessonkit {

// Key faces of one finger step: the step's keys in colour 1, every other key
// in colour 14. The space bar and the Shift keys are always 14.
class Scheme {
 public:
  // `keys`: the typed characters of the step's keys separated by blanks,
  // e.g. "5 6 R T F G V B"; "" for a step that colours no key.
  consteval explicit Scheme(std::string_view keys) : step_key_{} {
    while (!keys.empty()) {
      const auto blank = keys.find(' ');
      const auto token = keys.substr(0, blank);
      if (!token.empty()) {
        const int k = key_typing(token);
        if (k == 0) {
          throw "a scheme names a character no key types";
        }
        step_key_[static_cast<size_t>(k)] = true;
      }
      keys = blank == std::string_view::npos ? std::string_view{} : keys.substr(blank + 1);
    }
  }

  [[nodiscard]] constexpr Colour face(int key) const {
    return step_key_[static_cast<size_t>(key)] ? kBlue : kCream;
  }
  [[nodiscard]] constexpr bool colours(int key) const {
    return step_key_[static_cast<size_t>(key)];
  }

 private:
  std::array<bool, kKeyCount + 1> step_key_;
};

// Every key in its plain face.
inline constexpr Scheme kNoScheme{""};

}  // namespace tutor::lessonkit
