#pragma once

// Where a call was made, for the message of a program that stops on an
// error: what std::source_location gives, which the standard library of the
// browser's build lacks. As a default argument, `CallSite where =
// CallSite::current()` is the caller's place.
namespace tutor {

struct CallSite {
  const char* file = "";
  unsigned line_number = 0;

  [[nodiscard]] static constexpr CallSite current(const char* file = __builtin_FILE(),
                                                  unsigned line = __builtin_LINE()) {
    return {file, line};
  }
  [[nodiscard]] constexpr const char* file_name() const { return file; }
  [[nodiscard]] constexpr unsigned line() const { return line_number; }
};

}  // namespace tutor
