#pragma once

#include <cstddef>

#include "console/console.h"
#include "words/course_state.h"

// The word course's lesson menu, in the launcher's look.
namespace tutor::words {

// What pick_lesson returns where who practises changed to another school
// stage: the menu is to be made anew with that stage's lessons.
inline constexpr std::size_t kOtherSet = static_cast<std::size_t>(-1);

// The lesson picked, as its place in `s.lessons`: cursor keys and Enter,
// click and double-click, starting on the first lesson not yet passed. Tab
// or the input box switches the input, F2 or its box who practises, F3 or
// its box the sounds, each kept for the next start. Escape and the exit box
// leave for the launcher.
[[nodiscard]] std::size_t pick_lesson(Console& con, CourseState& s);

}  // namespace tutor::words
