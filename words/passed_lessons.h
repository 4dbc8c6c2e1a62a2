#pragma once

#include <set>
#include <string>
#include <string_view>

#include "words/input_mode.h"

// Which lessons of the word course have been passed, in each input apart,
// kept as the other records are: one line, replaced crash-safely, cleared by
// the record clearing. Built-in lessons by number ("3"), own lessons by file
// name ("f:" and the name, its blanks and '%' written as %20 and %25); the
// children's sets' lessons after their set's letter ("l3", "u3"); a lesson
// passed in kana input with "k" before it ("k3", "kl3", "kf:町.txt"). Passes
// kept before the inputs were kept apart count as romaji.
namespace tutor::words {

inline constexpr std::string_view kPassedRecord = "././M0/data/KOTOBA.TXT";

class PassedLessons {
 public:
  [[nodiscard]] static PassedLessons parse(std::string_view line);
  [[nodiscard]] std::string line() const;

  // A built-in lesson by its history name ("3", "l3").
  [[nodiscard]] bool built_in(std::string_view lesson, InputMode mode = InputMode::Romaji) const {
    return ids_.contains(in(mode) + std::string(lesson));
  }
  [[nodiscard]] bool built_in(int number, InputMode mode = InputMode::Romaji) const {
    return built_in(std::to_string(number), mode);
  }
  [[nodiscard]] bool own(std::string_view file, InputMode mode = InputMode::Romaji) const {
    return ids_.contains(in(mode) + own_id(file));
  }
  void pass_built_in(std::string_view lesson, InputMode mode = InputMode::Romaji) {
    ids_.insert(in(mode) + std::string(lesson));
  }
  void pass_built_in(int number, InputMode mode = InputMode::Romaji) {
    pass_built_in(std::to_string(number), mode);
  }
  void pass_own(std::string_view file, InputMode mode = InputMode::Romaji) {
    ids_.insert(in(mode) + own_id(file));
  }

 private:
  static std::string own_id(std::string_view file);
  static std::string in(InputMode mode) { return mode == InputMode::Kana ? "k" : ""; }
  std::set<std::string> ids_;
};

}  // namespace tutor::words
