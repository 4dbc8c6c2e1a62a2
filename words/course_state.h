#pragma once

#include <vector>

#include "lessonkit/block_history.h"
#include "spelling/romaji.h"
#include "words/lessons.h"
#include "words/passed_lessons.h"
#include "words/reading_line.h"

namespace tutor::words {

// What the course keeps while it runs.
struct CourseState {
  std::vector<LessonEntry> lessons;
  PassedLessons passed;
  spelling::Preferences preferences;
  lessonkit::BlockKeeper history;
  InputMode mode = InputMode::Romaji;
};

}  // namespace tutor::words
