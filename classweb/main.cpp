#include <cstdlib>
#include <iostream>
#include <string_view>
#include <vector>

#include "classweb/serve_command.h"
#include "teacher/class_command.h"

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  const char* pgservice = std::getenv("PGSERVICE");
  const std::string_view service = pgservice != nullptr ? pgservice : "";
  if (tutor::classweb::is_serve(args)) {
    return tutor::classweb::run_serve(args, service, std::cout, std::cerr);
  }
  return tutor::teacher::run_class_command(args, service, std::cout, std::cerr);
}
