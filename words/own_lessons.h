#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "words/pass_mark.h"

// A learner's or a teacher's own lessons: UTF-8 text files in M0/lessons/ of
// the learner's tree (or Shift_JIS, as Windows saves them), one item a line,
// "written form<TAB>reading" or the reading alone; a line starting with '#'
// is a comment, the first one before any item the lesson's title; a line
// "#! pass 20:90" sets the lesson's pass mark (kana a minute, percent right);
// blank lines are skipped. Files ending in .txt or .TXT.
namespace tutor::words {

inline constexpr std::string_view kOwnLessonsFolder = "M0/lessons";

struct OwnItem {
  std::string written;
  std::string reading;
};

// What keeps a line, or a whole file, from being typed.
struct Problem {
  std::string file;  // its name
  int line = 0;      // 0: the whole file
  std::string what;  // in words, naming the offending character
};

struct OwnLesson {
  std::string file;   // its name, by which its pass is kept
  std::string title;  // its first comment line's, before any item, else its name's stem
  std::vector<OwnItem> items;
  std::vector<Problem> problems;  // the items of those lines are left out
  std::optional<PassMark> pass;   // "#! pass 20:90": the mark the teacher set
};

// One lesson file. A file that cannot be read is a lesson with no items and
// one problem; it is never waited on (a FIFO) and never read past 1 MB.
[[nodiscard]] OwnLesson read_own_lesson(const std::filesystem::path& file);

// Every *.txt file of the folder, by name; none where there is no folder.
[[nodiscard]] std::vector<OwnLesson> read_own_lessons(const std::filesystem::path& folder);

// Columns a line of the drill screen holds: an item's written form (at
// double size where it fits in half of them) and its reading each take one
// where they fit, and wrap onto more where they do not.
inline constexpr int kLineColumns = 76;
// The longest written form and reading an item may have, in characters: a
// passage of a school textbook.
inline constexpr std::size_t kLongestItem = 400;
// Columns of a lesson's title on the menu and its title bar.
inline constexpr int kWidestTitle = 60;

}  // namespace tutor::words
