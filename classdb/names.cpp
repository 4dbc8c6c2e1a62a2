// The names the class server takes, and the lines that log its roles in.

#include <algorithm>
#include <charconv>
#include <iterator>
#include <string>

#include "classdb/classdb.h"

namespace tutor::classdb {
namespace {

constexpr bool is_lower(char c) {
  return c >= 'a' && c <= 'z';
}
constexpr bool is_digit(char c) {
  return c >= '0' && c <= '9';
}
constexpr bool is_letter(char c) {
  return is_lower(c) || (c >= 'A' && c <= 'Z');
}

std::string shown(std::string_view name) {
  return "\"" + std::string(name) + "\"";
}

}  // namespace

void check_class_name(std::string_view name) {
  const bool allowed =
      !name.empty() && name.size() <= 20 && (is_letter(name[0]) || is_digit(name[0])) &&
      name.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_.") ==
          std::string_view::npos;
  if (!allowed) {
    throw BadName("bad class name " + shown(name) +
                  ": a class name is 1 to 20 letters (a-z, A-Z), digits, '-', '_' or '.', "
                  "starting with a letter or digit, e.g. 5-2");
  }
}

// Lower case, because an unquoted name is folded to it wherever it is
// typed; "pg_" starts the server's own roles, and a few names are the
// server's words for roles, which no role may be named.
void check_login_name(std::string_view name) {
  constexpr std::string_view kReserved[] = {"public", "none",         "all",         "current_user",
                                            "user",   "session_user", "current_role"};
  if (std::find(std::begin(kReserved), std::end(kReserved), name) != std::end(kReserved)) {
    throw BadName("bad name " + shown(name) +
                  ": the class server keeps this word for itself; choose another name");
  }
  const bool allowed =
      !name.empty() && name.size() <= 32 && is_lower(name[0]) && !name.starts_with("pg_") &&
      name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_") == std::string_view::npos;
  if (!allowed) {
    throw BadName("bad name " + shown(name) +
                  ": a learner's or teacher's name is 1 to 32 lower-case letters (a-z), digits "
                  "or '_', starting with a letter and not with pg_, e.g. hanako");
  }
}

std::string checked_pass_mark(std::string_view text) {
  auto number = [](std::string_view digits, int highest) {
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return error == std::errc() && end == digits.data() + digits.size() && value >= 1 &&
                   value <= highest
               ? value
               : 0;
  };
  const std::size_t colon = text.find(':');
  const int speed = number(text.substr(0, colon), 600);
  const int percent = colon == std::string_view::npos ? 85 : number(text.substr(colon + 1), 100);
  if (speed == 0 || percent == 0) {
    throw BadName("bad pass mark \"" + std::string(text) +
                  "\": a pass mark is kana a minute (1 to 600), then ':' and the percent of keys "
                  "typed right (1 to 100, 85 where left out), e.g. 20:90");
  }
  return std::to_string(speed) + ":" + std::to_string(percent);
}

std::string pgpass_line(std::string_view host,
                        std::string_view port,
                        std::string_view dbname,
                        std::string_view user,
                        std::string_view password) {
  std::string line;
  bool first = true;
  for (const std::string_view field : {host, port, dbname, user, password}) {
    line += first ? "" : ":";
    first = false;
    for (const char c : field) {
      if (c == ':' || c == '\\') {
        line += '\\';
      }
      line += c;
    }
  }
  return line;
}

}  // namespace tutor::classdb
