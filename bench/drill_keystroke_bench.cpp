// CPU time the drill engine takes to judge one keystroke and redraw what it
// changes, in the headless console: the introduction's whole 600-character
// block typed right (and kept in the progress history), less a run that stops
// before its first keystroke.
//
//   drill_keystroke_bench [runs]

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "console/headless.h"
#include "course/course.h"

namespace {

// One run of the introduction with `keys` typed after the home-position prompt,
// in a program tree of its own: a whole block is kept in its progress history.
double run_once(const std::string& keys) {
  const tutor::bench::ScratchTree tree("drill-bench");
  const std::string& folder = tree.folder();
  tutor::HeadlessBackend backend(folder);
  tutor::Console con(backend, "Ostrin");
  backend.script().key("x").type(keys);
  const double start = tutor::bench::cpu_seconds();
  (void)tutor::run_headless(
      con, [](tutor::Console& c) { tutor::course::run_stage(c, tutor::course::kOstrin); });
  return tutor::bench::cpu_seconds() - start;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
  std::string block;
  for (auto line : tutor::course::kOstrinLines) {
    block += line;
  }
  std::vector<double> typed;
  std::vector<double> untyped;
  for (int i = 0; i < runs; ++i) {
    typed.push_back(run_once(block));
    untyped.push_back(run_once(""));
  }
  tutor::bench::print_keystroke_cost(typed, untyped, block.size(), runs);
  return 0;
}
