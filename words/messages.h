#pragma once

#include <span>
#include <string>
#include <string_view>

#include "console/console.h"
#include "words/lessons.h"
#include "words/own_lessons.h"

// The word course's messages between its screens.
namespace tutor::words {

// A problem of an own lesson as the screens name it: file, line, what.
[[nodiscard]] std::string problem_text(const Problem& p);

// A message on a clear screen, lines from row 4; waits for a key or a click.
void show_message(Console& con, std::string_view title, std::span<const std::string> lines);

// The lines of an own lesson that cannot be typed, named by file, line and
// what is wrong with them.
void show_problems(Console& con, const LessonEntry& l);

}  // namespace tutor::words
