#include "words/passed_lessons.h"

#include <cstdio>

namespace tutor::words {

std::string PassedLessons::own_id(std::string_view file) {
  std::string id = "f:";
  for (const char c : file) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= ' ' || c == '%') {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", byte);
      id += escaped;
    } else {
      id += c;
    }
  }
  return id;
}

PassedLessons PassedLessons::parse(std::string_view line) {
  PassedLessons p;
  while (!line.empty()) {
    const std::size_t end = std::min(line.find(' '), line.size());
    if (end > 0) {
      p.ids_.emplace(line.substr(0, end));
    }
    line.remove_prefix(std::min(end + 1, line.size()));
  }
  return p;
}

std::string PassedLessons::line() const {
  std::string out;
  for (const std::string& id : ids_) {
    out += (out.empty() ? "" : " ") + id;
  }
  return out;
}

}  // namespace tutor::words
