#include <iostream>

#include "console/program_main.h"
#include "progress/history.h"
#include "progress/progress_program.h"

int main(int argc, char** argv) {
  if (argc > 1) {
    std::ios::sync_with_stdio(false);
    return tutor::progress::export_csv(argv[1], tutor::progress::kHistoryFile, std::cout,
                                       std::cerr);
  }
  return tutor::run_program("Progress", tutor::WorkingFolder::AsStarted, tutor::progress::run);
}
