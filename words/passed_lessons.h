#pragma once

#include <set>
#include <string>
#include <string_view>

// Which lessons of the word course have been passed, kept as the other
// records are: one line, replaced crash-safely, cleared by the record
// clearing. Built-in lessons by number ("3"), own lessons by file name
// ("f:" and the name, its blanks and '%' written as %20 and %25).
namespace tutor::words {

inline constexpr std::string_view kPassedRecord = "././M0/data/KOTOBA.TXT";

class PassedLessons {
 public:
  [[nodiscard]] static PassedLessons parse(std::string_view line);
  [[nodiscard]] std::string line() const;

  [[nodiscard]] bool built_in(int number) const { return ids_.contains(std::to_string(number)); }
  [[nodiscard]] bool own(std::string_view file) const { return ids_.contains(own_id(file)); }
  void pass_built_in(int number) { ids_.insert(std::to_string(number)); }
  void pass_own(std::string_view file) { ids_.insert(own_id(file)); }

 private:
  static std::string own_id(std::string_view file);
  std::set<std::string> ids_;
};

}  // namespace tutor::words
