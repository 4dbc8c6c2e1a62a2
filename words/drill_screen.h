#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "console/colour.h"
#include "console/console.h"
#include "history/history.h"
#include "lessonkit/evaluation.h"
#include "spelling/romaji.h"
#include "words/fingers.h"
#include "words/lessons.h"
#include "words/own_lessons.h"
#include "words/reading_line.h"

namespace tutor::words {

// One block: every item of the lesson, each coming as soon as the last is
// typed, in romaji or in kana input.
class WordDrill {
 public:
  WordDrill(Console& con,
            const LessonEntry& lesson,
            InputMode mode,
            const spelling::Preferences& preferences,
            bool sounds = false)
      : con_(con), lesson_(lesson), mode_(mode), preferences_(preferences), sounds_(sounds) {}

  // Types the block; false when the learner left by the exit button or Escape.
  bool run();

  [[nodiscard]] const lessonkit::BlockResult& result() const { return result_; }
  [[nodiscard]] long kana_typed() const { return kana_typed_; }
  [[nodiscard]] const spelling::Preferences& chosen() const { return chosen_; }
  [[nodiscard]] std::vector<history::KanaTally> kana_tallies() const;
  // The items with a miss in this block, as written, in the lesson's order.
  [[nodiscard]] std::vector<std::string> missed_words() const;

 private:
  bool type_items();
  void draw_screen();
  void draw_key(int key, Colour face);
  void write_counter(std::size_t left);
  void draw_item(const OwnItem& item, const ReadingLine& line);
  // The reading and the guide, what is typed in green and what is left in
  // white and yellow; the next key lit in its finger's colour.
  void show_progress(const OwnItem& item, const ReadingLine& line);
  // A reading longer than a line: the line being typed and the next, with
  // the written form's line as far through it, the next kana always in view.
  void show_passage(const ReadingLine& line);
  // The keys struck and the keys left, scrolled so that the next key stays
  // in view.
  void show_guide(const std::string& typed_keys, const std::string& rest_keys);
  void light_next_key(Keystroke next);
  void restore_keys();
  // One keystroke of the learner; false when the exit button was clicked.
  bool take_keystroke(ReadingLine& line);
  [[nodiscard]] std::unique_ptr<ReadingLine> line_of(std::size_t item) const;
  // A wrong keystroke told: the key struck beside the one expected, or,
  // after two misses on the same kana, what the line waits for, large.
  void tell_miss(const ReadingLine& line, const Stroke& struck);
  void clear_miss();
  void click();
  void write_misses();

  Console& con_;
  const LessonEntry& lesson_;
  InputMode mode_;
  const spelling::Preferences& preferences_;
  bool sounds_;
  lessonkit::BlockResult result_;
  std::map<char32_t, std::pair<int, int>> kana_;
  spelling::Preferences chosen_;
  std::vector<int> lit_;
  long kana_typed_ = 0;
  std::size_t current_ = 0;            // the item being typed
  std::unique_ptr<ReadingLine> next_;  // the next item's, begun by the key that ended the last
  std::pair<std::size_t, std::size_t> missed_at_{};  // the item and kana of the last miss
  std::vector<std::size_t> missed_items_;
  // The item being typed where it takes more than a line: its text, and
  // where each of its lines starts and ends.
  struct Passage {
    std::vector<char32_t> reading;
    std::vector<char32_t> written;
    std::vector<std::pair<std::size_t, std::size_t>> reading_lines;
    std::vector<std::pair<std::size_t, std::size_t>> written_lines;
  };
  Passage passage_;
  int misses_there_ = 0;
  bool miss_told_ = false;
};

}  // namespace tutor::words
