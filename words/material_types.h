#pragma once

#include <span>
#include <string_view>

// What the word course's built-in lessons are made of.
namespace tutor::words {

// One item of a lesson: as it is written, and its reading in hiragana (the
// same text where it is written in kana).
struct Item {
  std::string_view written;
  std::string_view reading;
};

// The sets of built-in lessons, by school stage (material_sets.h).
enum class WordSet { Younger, Older, Everyday };

// A lesson: its title on the lesson menu and its items, typed in order as one block.
struct Lesson {
  std::string_view title;
  std::span<const Item> items;
};

}  // namespace tutor::words
