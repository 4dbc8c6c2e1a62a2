// The word course's costs, in the headless console: the CPU time to judge one
// keystroke and redraw what it changes (the first sentence lesson's whole
// block typed in the guide's spellings, kept in the history, less a run that
// stops before its first keystroke), and the time to read the whole built-in
// material and check that every item can be typed; then the same for a
// passage of 400 kana, the longest item.
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

// A passage of 400 kana (the longest an item may be), written in kanji and
// kana, as an own lesson started directly, with `keys` typed after its start
// screen.
struct Passage {
  std::string written;
  std::string reading;
};
Passage passage_of_400() {
  constexpr std::string_view kWritten = "朝、小鳥が木の上で目をさましました。";
  constexpr std::string_view kReading = "あさ、ことりがきのうえでめをさましました。";
  Passage p;
  std::size_t kana = 0;
  while (kana + 21 <= 400) {  // 21 kana a sentence
    p.written += kWritten;
    p.reading += kReading;
    kana += 21;
  }
  for (; kana < 400; ++kana) {
    p.written += "あ";
    p.reading += "あ";
  }
  return p;
}

double run_passage(const Passage& p, const std::string& keys) {
  const tutor::bench::ScratchTree tree("words-bench");
  const std::string& folder = tree.folder();
  ::setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
  const std::string file = folder + "/passage.txt";
  std::FILE* out = std::fopen(file.c_str(), "wb");
  std::fprintf(out, "%s\t%s\n", p.written.c_str(), p.reading.c_str());
  std::fclose(out);
  tutor::HeadlessBackend backend(folder);
  tutor::Console con(backend, "Kotoba");
  backend.script().key("x").type(keys);
  tutor::words::Options options;
  options.lesson_file = file;
  const double start = tutor::bench::cpu_seconds();
  (void)tutor::run_headless(con, [&](tutor::Console& c) { tutor::words::run(c, options); });
  return tutor::bench::cpu_seconds() - start;
}

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

  // The passage: each key judged against 400 kana and its lines redrawn.
  const Passage p = passage_of_400();
  const std::string keys = tutor::spelling::RomajiLine(p.reading).rest();
  std::vector<double> passage_typed;
  std::vector<double> passage_untyped;
  for (int i = 0; i < runs; ++i) {
    passage_typed.push_back(run_passage(p, keys));
    passage_untyped.push_back(run_passage(p, ""));
  }
  std::printf("a passage of 400 kana:\n");
  tutor::bench::print_keystroke_cost(passage_typed, passage_untyped, keys.size(), runs);
  return 0;
}
