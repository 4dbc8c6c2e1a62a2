#pragma once

#include <optional>
#include <vector>

#include "lessonkit/block_history.h"
#include "spelling/romaji.h"
#include "words/lessons.h"
#include "words/pass_mark.h"
#include "words/pass_presets.h"
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
  std::size_t preset = kGeneralPreset;   // who practises, chosen on the menu
  bool sounds = false;                   // a click a key, a tone a miss, a chime a pass
  std::optional<PassMark> command_mark;  // --pass
  std::optional<PassMark> class_mark;    // the class server's for the learner's class

  // The mark a lesson's block is judged by.
  [[nodiscard]] PassMark mark_for(const LessonEntry& lesson) const {
    if (command_mark) {
      return *command_mark;
    }
    if (lesson.pass) {
      return *lesson.pass;
    }
    return class_mark ? *class_mark : preset_mark(preset);
  }
};

}  // namespace tutor::words
