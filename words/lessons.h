#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "words/material_types.h"
#include "words/own_lessons.h"
#include "words/pass_mark.h"

// Every lesson the word course offers, in the menu's order: the built-in
// lessons, the learner's own lessons, and the lesson for the kana the
// learner misses.
namespace tutor::words {

enum class LessonKind { BuiltIn, Own, MissedKana };

struct LessonEntry {
  LessonKind kind = LessonKind::BuiltIn;
  std::string title;  // on the menu and in the title bar
  int number = 0;     // a built-in lesson's, from 1
  std::string file;   // an own lesson's
  std::vector<OwnItem> items;
  std::vector<Problem> problems;
  std::optional<PassMark> pass;     // an own lesson's "#! pass" line
  WordSet set = WordSet::Everyday;  // a built-in lesson's

  // How the history names the lesson: its number (after its set's id, as
  // "l3"), its file name, or "missed".
  [[nodiscard]] std::string history_name() const;
};

[[nodiscard]] LessonEntry built_in_lesson(int number, WordSet set = WordSet::Everyday);

// The lesson as kana input types it: an item whose reading holds a kana no
// key of the kana layout types (ゐ ゑ ゎ ヵ ヶ), or that has nothing to type
// (marks alone), is left out with a problem naming it, so that no block is
// typed in no keystrokes.
[[nodiscard]] LessonEntry for_kana_input(LessonEntry lesson);
[[nodiscard]] LessonEntry own_lesson(OwnLesson lesson);

// Keystrokes per kana (UTF-8 hiragana) over the recent blocks: right, wrong.
using KanaCounts = std::map<std::string, std::pair<long long, long long>>;

// The lesson for missed kana: the kana missed most (at most five), and the
// set's built-in words richest in them. No items where nothing has been
// missed yet.
[[nodiscard]] LessonEntry missed_kana_lesson(const KanaCounts& recent,
                                             WordSet set = WordSet::Everyday);

// The whole menu, with the built-in lessons of the set.
[[nodiscard]] std::vector<LessonEntry> all_lessons(const std::filesystem::path& own_folder,
                                                   const KanaCounts& recent,
                                                   WordSet set = WordSet::Everyday);

}  // namespace tutor::words
