#include "progress/screen_text.h"

#include <algorithm>

#include "console/text.h"

namespace tutor::progress {

void print_centred(Console& con, int row, int from_col, int to_col, Colour c, std::string_view s) {
  con.print({std::max(from_col, (from_col + to_col - display_width(s)) / 2), row}, c, s);
}

void print_right_aligned(Console& con, Cell last, Colour c, std::string_view s) {
  con.print({last.col - display_width(s) + 1, last.row}, c, s);
}

void print_wrapped(Console& con, Cell at, int width, Colour c, std::string_view s) {
  std::string line;
  int used = 0;
  for (char32_t cp : decode_utf8(s)) {
    if (used + char_width(cp) > width) {
      con.print(at, c, line);
      ++at.row;
      line.clear();
      used = 0;
    }
    line += encode_utf8(cp);
    used += char_width(cp);
  }
  con.print(at, c, line);
}

std::string with_commas(long long n) {
  std::string digits = std::to_string(n);
  const size_t first = digits.front() == '-' ? 1 : 0;
  for (size_t at = digits.size(); at > first + 3; at -= 3) {
    digits.insert(at - 3, ",");
  }
  return digits;
}

void show_message(Console& con, std::string_view first, std::string_view second) {
  print_centred(con, 10, 0, 80, kGrey, first);
  print_centred(con, 12, 0, 80, kGrey, second);
}

}  // namespace tutor::progress
