#pragma once

#include <string>
#include <string_view>

#include "spelling/romaji.h"

// The romaji a learner chose last for each kana, kept across blocks in
// $XDG_CONFIG_HOME/velmora/romaji.conf, one "kana=spelling" a line.
namespace tutor::words {

[[nodiscard]] spelling::Preferences parse_preferences(std::string_view text);
[[nodiscard]] std::string preferences_text(const spelling::Preferences& preferences);

[[nodiscard]] spelling::Preferences read_preferences();
void write_preferences(const spelling::Preferences& preferences);

}  // namespace tutor::words
