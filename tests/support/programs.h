#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "console/console.h"

namespace tutor::testing {

// A program as its own executable runs it: its name and its body.
struct Program {
  std::string_view name;
  std::function<void(Console&)> run;
};

// Every program by the stored path the others start it by ("././M1/Ostrin.exe").
[[nodiscard]] const std::map<std::string, Program, std::less<>>& programs();

}  // namespace tutor::testing
