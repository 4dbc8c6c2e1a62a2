#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "console/program_main.h"
#include "words/word_course.h"

int main(int argc, char** argv) {
  using namespace tutor;
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  std::string problem;
  const auto options = words::parse_options(args, problem);
  if (!options) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 2;
  }
  return run_program("Kotoba", WorkingFolder::AsStarted,
                     [&](Console& con) { words::run(con, *options); });
}
