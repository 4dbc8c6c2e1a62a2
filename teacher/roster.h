#pragma once

#include <cstddef>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A class roster as a spreadsheet saves it: CSV whose header row names the
// columns 出席番号, 氏名 and ログイン名 (in any order, others beside them), in
// UTF-8 or in CP932, the Shift_JIS that Excel writes in Japan.
namespace tutor::teacher {

// A learner of the roster.
struct RosterLearner {
  int line = 0;       // where its row begins in the file, 1 the first line
  int number = 0;     // 出席番号
  std::string name;   // 氏名, UTF-8, as the cards print it
  std::string login;  // ログイン名, the name the learner types
};

// A row that cannot be added, and everything wrong with it.
struct RosterProblem {
  int line = 0;
  std::string what;
};

struct Roster {
  std::vector<RosterLearner> learners;  // as the file lists them
  std::vector<RosterProblem> problems;  // by line; none where every row can be added
};

// Bytes that are no roster at all: neither UTF-8 nor CP932 text, no header
// row with the three columns, a quote never closed. what() says which.
struct NotARoster : std::runtime_error {
  using std::runtime_error::runtime_error;
};

inline constexpr int kHighestNumber = 9999;      // 出席番号 from 1
inline constexpr std::size_t kLongestName = 40;  // 氏名, in characters

// The roster in `bytes`, each row checked: 出席番号 a whole number from 1,
// 氏名 1 to kLongestName characters, ログイン名 a name the class server takes,
// not twice in the file and none of `in_class`, the class's learners now.
// Blank rows are skipped; the spaces around a field are not part of it.
[[nodiscard]] Roster read_roster(std::string_view bytes, std::span<const std::string> in_class);

}  // namespace tutor::teacher
