#pragma once

#include <string>
#include <string_view>

#include "spelling/romaji.h"
#include "words/reading_line.h"

// The romaji a learner chose last for each kana, kept across blocks in
// $XDG_CONFIG_HOME/velmora/romaji.conf, one "kana=spelling" a line.
namespace tutor::words {

[[nodiscard]] spelling::Preferences parse_preferences(std::string_view text);
[[nodiscard]] std::string preferences_text(const spelling::Preferences& preferences);

[[nodiscard]] spelling::Preferences read_preferences();
void write_preferences(const spelling::Preferences& preferences);

// The input the learner last chose on the lesson menu, kept in
// $XDG_CONFIG_HOME/velmora/kotoba.conf as "input=romaji" or "input=kana";
// romaji where nothing was chosen.
[[nodiscard]] InputMode parse_input_mode(std::string_view text);
[[nodiscard]] InputMode read_input_mode();
void write_input_mode(InputMode mode);

}  // namespace tutor::words
