#pragma once

#include <cstddef>

#include "console/console.h"
#include "words/course_state.h"

// The word course's lesson menu, in the launcher's look.
namespace tutor::words {

// The lesson picked, as its place in `s.lessons`: cursor keys and Enter,
// click and double-click, starting on the first lesson not yet passed. Tab
// or the input box switches the input, kept for the next start. Escape and
// the exit box leave for the launcher.
[[nodiscard]] std::size_t pick_lesson(Console& con, CourseState& s);

}  // namespace tutor::words
