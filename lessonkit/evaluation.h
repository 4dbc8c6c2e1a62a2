#pragma once

#include <string>
#include <string_view>

#include "lessonkit/key_tallies.h"

namespace tutor::lessonkit {

// Elapsed whole minutes and seconds.
struct ElapsedTime {
  int minutes = 0;
  int seconds = 0;
  friend constexpr bool operator==(ElapsedTime, ElapsedTime) = default;
};

// Time from one "HH:MM:SS" to a later one: seconds borrow a minute, minutes an
// hour, and an end hour before the start hour means the block ran past midnight.
[[nodiscard]] ElapsedTime elapsed_between(std::string_view start, std::string_view end);

// A drill block as it ended.
struct BlockResult {
  int right = 0;  // right keystrokes
  int wrong = 0;  // wrong keystrokes
  std::string started_at;
  std::string ended_at;
  KeyTallies keys;  // right and wrong keystrokes by the key to type
};

// What the ResultScreen shows of a block.
struct Score {
  ElapsedTime time;
  int errors = 0;
  float evaluation = 0;  // (right - wrong) per elapsed minute
};

// Scores a block. No right keystroke scores 0 in 0:00; a block measured at
// zero seconds counts as one second instead of dividing by zero.
[[nodiscard]] Score score_block(const BlockResult& block);

enum class Verdict { Pass, TooManyErrors, TooSlow, NotYet };
// How the progress history names a verdict.
[[nodiscard]] std::string_view verdict_name(Verdict v);

// Pass takes an evaluation of at least 80 and at most 30 wrong keystrokes.
[[nodiscard]] Verdict verdict_of(const Score& score);

}  // namespace tutor::lessonkit
