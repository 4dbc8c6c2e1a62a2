#pragma once

#include <iosfwd>
#include <span>
#include <string_view>

// velmora-class serve: the class's web service, until stopped (SIGTERM, SIGINT).
namespace tutor::classweb {

// Whether the command line is serve's (its first word after the options).
[[nodiscard]] bool is_serve(std::span<const std::string_view> args);

// Runs the service; returns the exit status: 1 where it cannot start (said
// on `err` in one line), 2 for a bad command line (the usage on `err`).
int run_serve(std::span<const std::string_view> args,
              std::string_view pgservice,
              std::ostream& out,
              std::ostream& err);

}  // namespace tutor::classweb
