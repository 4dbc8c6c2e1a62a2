// The word course's costs, in the headless console: the CPU time to judge one
// keystroke and redraw what it changes (the first sentence lesson's whole
// block typed in the guide's spellings, kept in the history, less a run that
// stops before its first keystroke), and the time to read the whole built-in
// material and check that every item can be typed.
//
//   words_bench [runs]

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "console/headless.h"
#include "spelling/romaji.h"
#include "words/lessons.h"
#include "words/material.h"
#include "words/word_course.h"

namespace {

// The first sentence lesson, picked on the menu (six lessons up from the
// first, round the end), with `keys` typed after its start screen, in a
// program tree of its own.
double run_once(const std::string& keys) {
  const tutor::bench::ScratchTree tree("words-bench");
  const std::string& folder = tree.folder();
  ::setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
  tutor::HeadlessBackend backend(folder);
  tutor::Console con(backend, "Kotoba");
  for (int i = 0; i < 6; ++i) {
    backend.script().key(tutor::keys::kUp);
  }
  backend.script().enter().key("x").type(keys);
  const double start = tutor::bench::cpu_seconds();
  (void)tutor::run_headless(con, [](tutor::Console& c) { tutor::words::run(c, {}); });
  return tutor::bench::cpu_seconds() - start;
}

constexpr std::size_t kSentences = 38;

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  std::string block;
  for (const auto& item : tutor::words::kLessons[kSentences].items) {
    block += tutor::spelling::RomajiLine(item.reading).rest();
  }
  std::vector<double> typed;
  std::vector<double> untyped;
  std::vector<double> material;
  for (int i = 0; i < runs; ++i) {
    typed.push_back(run_once(block));
    untyped.push_back(run_once(""));
    const double t0 = tutor::bench::cpu_seconds();
    std::size_t items = 0;
    for (int n = 1; n <= static_cast<int>(tutor::words::kLessons.size()); ++n) {
      for (const auto& item : tutor::words::built_in_lesson(n).items) {
        items += tutor::spelling::RomajiLine(item.reading).untypeable_at() ? 0 : 1;
      }
    }
    material.push_back(tutor::bench::cpu_seconds() - t0);
    if (items == 0) {
      return 1;
    }
  }
  tutor::bench::print_keystroke_cost(typed, untyped, block.size(), runs);
  std::printf("built-in material read and every item checked: median %.2f ms CPU\n",
              tutor::bench::median(material) * 1e3);
  return 0;
}
