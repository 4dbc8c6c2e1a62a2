#pragma once

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

// What the headless benches share: CPU time, medians, and a program tree of
// their own for one run.
namespace tutor::bench {

inline double cpu_seconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

inline double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Prints a block's timing, typed and with its screens alone, and what one
// keystroke costs: the difference over the block's keystrokes.
inline void print_keystroke_cost(const std::vector<double>& typed,
                                 const std::vector<double>& untyped,
                                 std::size_t keystrokes,
                                 int runs) {
  const double per_key = (median(typed) - median(untyped)) / static_cast<double>(keystrokes);
  std::printf("block of %zu keystrokes: median %.2f ms CPU (screens alone %.2f ms), %d runs\n",
              keystrokes, median(typed) * 1e3, median(untyped) * 1e3, runs);
  std::printf("per keystroke: %.1f us CPU\n", per_key * 1e6);
}

// A fresh program tree with M0/data, removed when it goes.
class ScratchTree {
 public:
  explicit ScratchTree(const char* name)
      : folder_(
            (std::filesystem::temp_directory_path() / (std::string(name) + "-XXXXXX")).string()) {
    if (::mkdtemp(folder_.data()) == nullptr) {
      std::perror("mkdtemp");
      std::exit(1);
    }
    std::filesystem::create_directories(std::filesystem::path(folder_) / "M0" / "data");
  }
  ~ScratchTree() { std::filesystem::remove_all(folder_); }
  ScratchTree(const ScratchTree&) = delete;
  ScratchTree& operator=(const ScratchTree&) = delete;
  [[nodiscard]] const std::string& folder() const { return folder_; }

 private:
  std::string folder_;
};

}  // namespace tutor::bench
