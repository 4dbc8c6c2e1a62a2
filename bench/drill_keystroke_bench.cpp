// CPU time the drill engine takes to judge one keystroke and redraw what it
// changes, in the headless console: the introduction's whole 600-character
// block typed right (and kept in the progress history), less a run that stops
// before its first keystroke.
//
//   drill_keystroke_bench [runs]

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "console/headless.h"
#include "course/course.h"

namespace {

double cpu_seconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// One run of the introduction with `keys` typed after the home-position prompt,
// in a program tree of its own: a whole block is kept in its progress history.
double run_once(const std::string& keys) {
  std::string folder = (std::filesystem::temp_directory_path() / "drill-bench-XXXXXX").string();
  if (::mkdtemp(folder.data()) == nullptr) {
    std::perror("mkdtemp");
    std::exit(1);
  }
  std::filesystem::create_directories(std::filesystem::path(folder) / "M0" / "data");
  struct Removed {
    std::string folder;
    ~Removed() { std::filesystem::remove_all(folder); }
  } removed{folder};
  tutor::HeadlessBackend backend(folder);
  tutor::Console con(backend, "Ostrin");
  backend.script().key("x").type(keys);
  const double start = cpu_seconds();
  (void)tutor::run_headless(
      con, [](tutor::Console& c) { tutor::course::run_stage(c, tutor::course::kOstrin); });
  return cpu_seconds() - start;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
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
  const double per_key = (median(typed) - median(untyped)) / static_cast<double>(block.size());
  std::printf("block of %zu keystrokes: median %.2f ms CPU (screens alone %.2f ms), %d runs\n",
              block.size(), median(typed) * 1e3, median(untyped) * 1e3, runs);
  std::printf("per keystroke: %.1f us CPU\n", per_key * 1e6);
  return 0;
}
