#pragma once

#include "console/console.h"
#include "words/course_state.h"
#include "words/drill_screen.h"
#include "words/lessons.h"

// The end of a word lesson: its result screen, and the pass kept.
namespace tutor::words {

// The result of a drilled block, kept in the history with the lesson, the
// input and the kana typed; whether it was passed.
[[nodiscard]] bool show_lesson_result(Console& con,
                                      CourseState& s,
                                      const LessonEntry& lesson,
                                      const WordDrill& drill);

// A passed lesson kept in the passed record; lessons of other kinds (the
// missed kana) are not kept.
void keep_pass(Console& con, CourseState& s, const LessonEntry& lesson);

}  // namespace tutor::words
