#pragma once

#include <string>
#include <string_view>

#include "spelling/romaji.h"
#include "words/pass_presets.h"
#include "words/reading_line.h"

// The romaji a learner chose last for each kana, kept across blocks in
// $XDG_CONFIG_HOME/velmora/romaji.conf, one "kana=spelling" a line.
namespace tutor::words {

[[nodiscard]] spelling::Preferences parse_preferences(std::string_view text);
[[nodiscard]] std::string preferences_text(const spelling::Preferences& preferences);

[[nodiscard]] spelling::Preferences read_preferences();
void write_preferences(const spelling::Preferences& preferences);

// What the learner last chose on the lesson menu, kept in
// $XDG_CONFIG_HOME/velmora/kotoba.conf: the input, "input=romaji" or
// "input=kana", romaji where nothing was chosen; and who practises, by the
// preset's name, "pass=grade5-6", 一般 where nothing was chosen; and the
// sounds, "sound=on", off where nothing was chosen.
struct CourseSettings {
  InputMode mode = InputMode::Romaji;
  std::size_t preset = kGeneralPreset;  // in kPassPresets
  bool sounds = false;                  // "sound=on"
};
[[nodiscard]] CourseSettings parse_course_settings(std::string_view text);
[[nodiscard]] CourseSettings read_course_settings();
void write_course_settings(const CourseSettings& settings);

}  // namespace tutor::words
