#pragma once

#include <iosfwd>
#include <span>
#include <string_view>

// velmora-class: the administrator's command that sets up the class server
// and adds classes, learners and teachers.
namespace tutor::teacher {

// Runs the command line after the program's name; `pgservice` is $PGSERVICE
// or empty. Returns the exit status: 0 done, 1 refused (said on `err` in one
// line), 2 a bad command line (the usage on `err`).
int run_class_command(std::span<const std::string_view> args,
                      std::string_view pgservice,
                      std::ostream& out,
                      std::ostream& err);

}  // namespace tutor::teacher
