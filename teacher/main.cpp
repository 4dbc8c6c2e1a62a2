#include <cstdlib>
#include <iostream>
#include <string_view>
#include <vector>

#include "teacher/class_command.h"

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const char* pgservice = std::getenv("PGSERVICE");
  return tutor::teacher::run_class_command(args, pgservice != nullptr ? pgservice : "", std::cout,
                                           std::cerr);
}
