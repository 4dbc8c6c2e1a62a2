#include "console/print_using.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "console/float_text.h"
#include "console/text.h"

namespace tutor {
namespace {

struct NumberField {
  int width = 0;
  int decimals = 0;
  bool grouped = false;
};

// |value| with `decimals` places, a half rounded away from zero. Numbers are
// single-precision, so the value is rounded as its shortest single-precision
// decimal form reads: 92.5 shows as 93, 91.25 as 91.3 and 0.45 as 0.5, where
// rounding the binary value itself would give 92, 91.2 and 0.4.
std::string fixed_digits(double value, int decimals) {
  const auto magnitude = static_cast<float>(std::fabs(value));
  if (!std::isfinite(magnitude)) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, std::fabs(value));
    return buf;
  }
  const std::string shortest_text = shortest_float_text(magnitude, true);
  const std::string_view shortest(shortest_text);
  const size_t point = std::min(shortest.find('.'), shortest.size());
  std::string digits(shortest.substr(0, point));
  std::string_view fraction = point < shortest.size() ? shortest.substr(point + 1) : "";
  const auto places = static_cast<size_t>(decimals);
  digits += fraction.substr(0, std::min(places, fraction.size()));
  digits.append(places - std::min(places, fraction.size()), '0');
  if (fraction.size() > places && fraction[places] >= '5') {
    size_t i = digits.size();
    while (i > 0 && digits[i - 1] == '9') {
      digits[--i] = '0';
    }
    if (i == 0) {
      digits.insert(digits.begin(), '1');
    } else {
      ++digits[i - 1];
    }
  }
  if (decimals > 0) {
    digits.insert(digits.size() - places, ".");
  }
  return digits;
}

std::string format_number(double value, const NumberField& f) {
  std::string digits = fixed_digits(value, f.decimals);
  const bool zero = digits.find_first_not_of("0.") == std::string::npos;
  if (f.grouped) {
    const size_t point = digits.find('.');
    const size_t int_len = point == std::string::npos ? digits.size() : point;
    std::string grouped;
    for (size_t i = 0; i < int_len; ++i) {
      if (i > 0 && (int_len - i) % 3 == 0) {
        grouped += ',';
      }
      grouped += digits[i];
    }
    digits = grouped + digits.substr(int_len);
  }
  if (value < 0 && !zero) {
    digits.insert(digits.begin(), '-');
  }
  if (static_cast<int>(digits.size()) < f.width) {
    digits.insert(0, static_cast<size_t>(f.width) - digits.size(), ' ');
  }
  return digits;
}

std::string format_string(std::string_view value, int width) {
  std::string out;
  int used = 0;
  for (char32_t cp : decode_utf8(value)) {
    const int w = char_width(cp);
    if (used + w > width) {
      break;
    }
    out += encode_utf8(cp);
    used += w;
  }
  out.append(static_cast<size_t>(width - used), ' ');
  return out;
}

}  // namespace

std::string format_using(std::string_view mask, std::initializer_list<UsingValue> values) {
  const std::vector<char32_t> m = decode_utf8(mask);
  std::string out;
  auto next = values.begin();
  bool any_field = false;
  size_t i = 0;
  while (true) {
    if (i == m.size()) {
      // Values left over start the mask again, as long as it has fields at all.
      if (next == values.end() || !any_field) {
        break;
      }
      i = 0;
    }
    const char32_t c = m[i];
    const bool number_start = c == U'#' || (c == U'.' && i + 1 < m.size() && m[i + 1] == U'#');
    if (number_start) {
      any_field = true;
      if (next == values.end()) {
        break;
      }
      NumberField f;
      bool seen_point = false;
      while (i < m.size()) {
        const char32_t d = m[i];
        if (d == U'#') {
          if (seen_point) {
            ++f.decimals;
          }
        } else if (d == U',' && !seen_point && i + 1 < m.size() && m[i + 1] == U'#') {
          f.grouped = true;
        } else if (d == U'.' && !seen_point) {
          seen_point = true;
        } else {
          break;
        }
        ++f.width;
        ++i;
      }
      const auto* number = std::get_if<double>(&*next);
      if (number == nullptr) {
        throw std::invalid_argument("a string given for a number field");
      }
      out += format_number(*number, f);
      ++next;
      continue;
    }
    if (c == U'&') {
      size_t close = i + 1;
      while (close < m.size() && m[close] == U' ') {
        ++close;
      }
      if (close < m.size() && m[close] == U'&') {
        any_field = true;
        if (next == values.end()) {
          break;
        }
        const auto* text = std::get_if<std::string_view>(&*next);
        if (text == nullptr) {
          throw std::invalid_argument("a number given for a string field");
        }
        out += format_string(*text, static_cast<int>(close - i + 1));
        ++next;
        i = close + 1;
        continue;
      }
    }
    out += encode_utf8(c);
    ++i;
  }
  return out;
}

}  // namespace tutor
