// The progress history at the size of years of practice: 10,000 blocks kept,
// each with the key tallies of a typical block. Prints the file's size, the
// time one more block takes to be kept (a synced transaction, on the disk the
// folder is on), as a program's first (checked for damage before it) and as a
// later one, and the time the progress program takes to read the history
// for its first view.
//
//   history_bench <folder> [blocks]
//
// <folder> gets progress.sqlite3; it is made afresh. The blocks are first
// kept in /dev/shm, where syncing costs nothing, then the file is copied.

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "history/history.h"

namespace {

namespace fs = std::filesystem;
using tutor::history::BlockEntry;

double now_ms() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}

// A block of the staged course: 16 keys typed, a third of them missed once or twice.
BlockEntry typical_block(std::mt19937& rng, std::time_t at) {
  BlockEntry b{
      tutor::history::local_time(at), "Rundel", 3, 215, 400, 0, "", "pass", {}, {}, {}, {}};
  std::vector<int> keys(49);
  for (int k = 0; k < 49; ++k) {
    keys[static_cast<size_t>(k)] = k + 1;
  }
  std::shuffle(keys.begin(), keys.end(), rng);
  keys.resize(16);
  std::sort(keys.begin(), keys.end());
  for (int k : keys) {
    tutor::history::KeyTally t{k, 25, 0, {}};
    if (rng() % 3 == 0) {
      t.wrong = 1 + static_cast<int>(rng() % 2);
      t.instead.push_back({static_cast<int>(rng() % 50), t.wrong});
      b.wrong += t.wrong;
    }
    b.keys.push_back(t);
  }
  b.evaluation = std::to_string((400 - b.wrong) * 60 / 215) + ".4";
  return b;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: history_bench <folder> [blocks]\n");
    return 2;
  }
  const fs::path folder = argv[1];
  const int blocks = argc > 2 ? std::atoi(argv[2]) : 10000;
  const fs::path scratch = fs::path("/dev/shm") / ("history-bench-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  fs::create_directories(scratch);
  const fs::path file = folder / "progress.sqlite3";
  fs::remove(file);
  std::mt19937 rng(17);
  std::time_t at = 1'700'000'000;
  {
    tutor::history::HistoryWriter seed(scratch / "progress.sqlite3");
    for (int i = 0; i < blocks; ++i) {
      at += 3600 + static_cast<std::time_t>(rng() % 7200);
      if (!seed.keep(typical_block(rng, at))) {
        return 1;
      }
    }
  }
  fs::copy_file(scratch / "progress.sqlite3", file);
  fs::remove_all(scratch);
  const auto size = fs::file_size(file);

  // One more block kept, as a lesson keeps it, 30 times: as a program's
  // first (the file checked for damage first) and as a later one.
  std::vector<double> first_keep;
  std::vector<double> keep;
  tutor::history::HistoryWriter running(file);
  for (int i = 0; i < 30; ++i) {
    const BlockEntry b = typical_block(rng, at += 3600);
    const double t0 = now_ms();
    if (!tutor::history::HistoryWriter(file).keep(b)) {
      return 1;
    }
    first_keep.push_back(now_ms() - t0);
    const BlockEntry later = typical_block(rng, at += 3600);
    const double t1 = now_ms();
    if (!running.keep(later)) {
      return 1;
    }
    keep.push_back(now_ms() - t1);
  }
  // Read as the progress program reads it for its first view.
  std::vector<double> read;
  for (int i = 0; i < 15; ++i) {
    const double t0 = now_ms();
    const auto r = tutor::history::read_history(file, 50);
    read.push_back(now_ms() - t0);
    if (r.status != tutor::history::HistoryRead::Status::Read) {
      return 1;
    }
  }
  std::printf("history of %d blocks: %.2f MB (%.0f bytes a block)\n", blocks,
              static_cast<double>(size) / 1e6, static_cast<double>(size) / blocks);
  std::printf(
      "keeping a program's first block (damage check included): median %.2f ms, "
      "max %.2f ms (30 runs, synced)\n",
      median(first_keep), *std::max_element(first_keep.begin(), first_keep.end()));
  std::printf("keeping a later block: median %.2f ms, max %.2f ms (30 runs, synced)\n",
              median(keep), *std::max_element(keep.begin(), keep.end()));
  std::printf("reading it for the first view: median %.2f ms, max %.2f ms (15 runs)\n",
              median(read), *std::max_element(read.begin(), read.end()));
  return 0;
}
