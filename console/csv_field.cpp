#include "console/csv_field.h"

#include <algorithm>

#include "console/text.h"

namespace tutor {
namespace {

// "12", "-3.5", "1,234.5": the numbers the history holds.
bool plain_number(std::string_view s) {
  if (!s.empty() && s.front() == '-') {
    s.remove_prefix(1);
  }
  if (s.empty() || s.front() < '0' || s.front() > '9') {
    return false;
  }
  const size_t point = std::min(s.find('.'), s.size());
  const std::string_view whole = s.substr(0, point);
  const std::string_view fraction = s.substr(std::min(point + 1, s.size()));
  auto only = [](std::string_view t, std::string_view allowed) {
    return t.find_first_not_of(allowed) == std::string_view::npos;
  };
  return only(whole, "0123456789,") && only(fraction, "0123456789") &&
         (point == s.size() || !fraction.empty());
}

// What a cell may hold: valid UTF-8 without control characters other than the
// line breaks and tabs CSV carries, and never a formula a spreadsheet would
// run ("=HYPERLINK(...)" in an edited history): such a cell starts with a '.
std::string safe_cell(std::string_view text) {
  std::string safe;
  safe.reserve(text.size() + 1);
  // A sign alone is text to every spreadsheet: the minus key's "-" stays as typed.
  const bool lone_sign = text == "-" || text == "+";
  if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos &&
      !plain_number(text) && !lone_sign) {
    safe += '\'';
  }
  for (char32_t cp : decode_utf8(text)) {
    const bool control =
        (cp < 0x20 && cp != '\t' && cp != '\r' && cp != '\n') || (cp >= 0x7f && cp <= 0x9f);
    safe += encode_utf8(control ? U'\uFFFD' : cp);
  }
  return safe;
}

}  // namespace

std::string csv_field(std::string_view field) {
  const std::string text = safe_cell(field);
  if (text.find_first_of(",\"\r\n") == std::string::npos) {
    return text;
  }
  std::string quoted = "\"";
  for (char c : text) {
    quoted += c;
    if (c == '"') {
      quoted += '"';
    }
  }
  return quoted + "\"";
}

}  // namespace tutor
