#pragma once

#include <array>
#include <string_view>

#include "shift/shift_keys.h"

namespace tutor::shift {

// The one block of 20 lines, typed in order: % & ' ( with F and J, $ ) < with
// D and K, # > with S and L, ! = + * ? with A, then one line of each group.
inline constexpr std::array<std::string_view, 20> kBrandelLines = {{
    "%F(J &F'J &F'J %F(J ", "'J(J %F&F 'J&F %F(J ", "%F'J (J&F 'J%F &F(J ", "(J&F 'J%F %F(J &F'J ",
    "$D)K <K$D )K<K $D)K ", "<K$D )K<K $D)K <K$D ", "<K)K $D<K )K$D <K$D ", "<K)K $D<K $D<K $D)K ",
    "#S>L >L#S >L#S #S>L ", "#S>L #S>L >L#S >L#S ", "#S>L >L#S >L#S #S>L ", "#S>L #S>L >L#S >L#S ",
    "!A=+ *+?+ =+!A !A?+ ", "*+!A =+!A =+?+ !A=+ ", "?+!A =+!A !A?+ =+!A ", "!A?+ !A*+ ?+*+ !A=+ ",
    "%F(J &F'J &F'J %F(J ", "$D)K <K$D )K<K $D)K ", "#S>L >L#S >L#S #S>L ", "!A?+ !A*+ ?+*+ !A=+ ",
}};

// Every line is 20 characters, each typed on some key of the course.
static_assert([] {
  for (std::string_view line : kBrandelLines) {
    if (line.size() != 20) {
      return false;
    }
    for (char c : line) {
      if (c != ';' && key_shifting_to(std::string_view(&c, 1)) == 0) {
        return false;
      }
    }
  }
  return true;
}());

}  // namespace tutor::shift
