#include <filesystem>
#include <future>
#include <iostream>
#include <string_view>
#include <vector>

#include "console/program_main.h"
#include "history/history.h"
#include "progress/csv.h"
#include "progress/overview.h"
#include "progress/progress_program.h"

int main(int argc, char** argv) {
  using namespace tutor;
  if (argc > 1) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string_view> options(argv + 1, argv + argc);
    // Named in full when it is missing: `velmora --csv` is typed in another folder.
    std::error_code ec;
    const std::filesystem::path file = std::filesystem::absolute(history::kHistoryFile, ec);
    return progress::export_csv(options, ec ? history::kHistoryFile : file, std::cout, std::cerr);
  }
  // The history is read while the window opens: a long one costs no time.
  std::future<progress::Overview> overview =
      std::async(std::launch::async, [] { return progress::read_overview(history::kHistoryFile); });
  return run_program("Progress", WorkingFolder::AsStarted,
                     [&](Console& con) { progress::run_with(con, overview.get()); });
}
