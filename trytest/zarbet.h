#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "console/console.h"
#include "lessonkit/key_table.h"
#include "lessonkit/key_tallies.h"
#include "trytest/zarbet_tables.h"

namespace tutor::trytest {

// The state of one run of the timed test.
struct TestState {
  int rank = 1;    // RANK: the best grade index stored before this run
  int ktime = 10;  // KTIME: test length in minutes, 1-10
  int nn = 0;      // NN: right keystrokes
  int er = 0;      // ER: wrong keystrokes
  // ERS: wrong keystrokes by the key number of the letter that was to be typed.
  std::array<int, lessonkit::kKeyCount + 1> ers{};
  // The same misses with the key that typed each, and the right keystrokes,
  // for the progress history.
  lessonkit::KeyTallies keys;
  int num = 0;                          // NUM: number of the problem line
  std::array<int, kLineLength> line{};  // key numbers of the problem line
  std::optional<std::int64_t> start;    // timing seconds at the first keystroke
  int shown_minutes = 0;                // remaining time as last shown
  int shown_seconds = 0;
};

// Zarbet: the set-up screen, the timed test, the missed keys and the result
// with its grade; ends by starting the launcher.
[[noreturn]] void run(Console& con);

// Numbers, draws and fills the next problem line: 20 random letters, never
// the same letter twice in a row.
void next_problem_line(Console& con, TestState& s);

// P: right minus wrong keystrokes, or 0 when nothing was typed right.
[[nodiscard]] constexpr int evaluation(int nn, int er) {
  return nn == 0 ? 0 : nn - er;
}

}  // namespace tutor::trytest
