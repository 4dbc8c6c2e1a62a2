#pragma once

#include <span>
#include <string_view>

#include "words/material_types.h"

// What the challenges are typed from: the week's level check's sets, the
// time-attack game's words and the passages of the ten-minute test. Items
// are the word course's (as written, and the reading typed).
namespace tutor::challenges {

using words::Item;

// One week's level check: sentences for 60 seconds and more.
struct CheckSet {
  std::span<const Item> sentences;
};

// The game's words by course: short ones for 60 s, longer for 90 and 120.
struct GameWords {
  std::span<const Item> short_words;   // 2-4 kana
  std::span<const Item> middle_words;  // 5-7 kana
  std::span<const Item> long_words;    // 8-12 kana
};

// A passage of the ten-minute test: its title, and its sentences in order
// (800 characters or more as written, kanji and kana).
struct Passage {
  std::string_view title;
  std::span<const Item> sentences;
};

}  // namespace tutor::challenges
