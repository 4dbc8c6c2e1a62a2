#include "console/float_text.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tutor {
namespace {

// The digits of `value`'s shortest scientific form and its exponent:
// 91.25 is {"9125", 1}.
struct Scientific {
  std::string digits;
  int exponent = 0;
};

Scientific shortest_scientific(float value) {
  char buf[64];
  for (int precision = 1; precision <= 9; ++precision) {
    std::snprintf(buf, sizeof buf, "%.*e", precision - 1, static_cast<double>(value));
    if (std::strtof(buf, nullptr) == value) {
      break;
    }
  }
  Scientific s;
  const std::string text(buf);
  const std::size_t e = text.find('e');
  for (std::size_t i = 0; i < e; ++i) {
    if (text[i] >= '0' && text[i] <= '9') {
      s.digits += text[i];
    }
  }
  while (s.digits.size() > 1 && s.digits.back() == '0') {
    s.digits.pop_back();
  }
  s.exponent = std::atoi(text.c_str() + e + 1);
  return s;
}

// `value` (positive) in fixed form, its digits `s`'s. A whole number that
// needs zeros after its digits is written exactly instead: as short, and
// nearer (1e20 is 100000002004087734272), as std::to_chars chooses.
std::string fixed_of(float value, const Scientific& s) {
  const int point = s.exponent + 1;  // digits before the point
  const auto count = static_cast<int>(s.digits.size());
  if (point <= 0) {
    return std::string("0.") + std::string(static_cast<std::size_t>(-point), '0') + s.digits;
  }
  if (point >= count) {
    char exact[64];
    std::snprintf(exact, sizeof exact, "%.0f", static_cast<double>(value));
    return exact;
  }
  return s.digits.substr(0, static_cast<std::size_t>(point)) + "." +
         s.digits.substr(static_cast<std::size_t>(point));
}

std::string scientific_of(const Scientific& s) {
  std::string text = s.digits.substr(0, 1);
  if (s.digits.size() > 1) {
    text += '.';
    text += s.digits.substr(1);
  }
  char exponent[16];
  std::snprintf(exponent, sizeof exponent, "e%c%02d", s.exponent < 0 ? '-' : '+',
                std::abs(s.exponent));
  return text + exponent;
}

// Whether `text` is a number as std::from_chars reads one: an optional '-',
// digits with an optional point (at least one digit), an optional exponent.
bool number_shaped(std::string_view text) {
  std::size_t i = text.starts_with('-') ? 1 : 0;
  std::size_t digits = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    ++i;
    ++digits;
  }
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      ++i;
      ++digits;
    }
  }
  if (digits == 0) {
    return false;
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
      ++j;
    }
    const std::size_t first = j;
    while (j < text.size() && text[j] >= '0' && text[j] <= '9') {
      ++j;
    }
    if (j > first) {
      i = j;  // an exponent without digits is not read, as from_chars reads it
    }
  }
  return i == text.size();
}

}  // namespace

namespace portable {

std::string shortest_float_text(float value, bool always_fixed) {
  if (!std::isfinite(value)) {
    return std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");
  }
  const std::string sign = std::signbit(value) ? "-" : "";
  const float magnitude = std::fabs(value);
  if (magnitude == 0) {
    return sign + "0";
  }
  const Scientific s = shortest_scientific(magnitude);
  const std::string fixed = fixed_of(magnitude, s);
  if (always_fixed) {
    return sign + fixed;
  }
  const std::string scientific = scientific_of(s);
  return sign + (scientific.size() < fixed.size() ? scientific : fixed);
}

std::optional<float> float_of_text(std::string_view text) {
  if (!number_shaped(text)) {
    return std::nullopt;
  }
  const std::string copy(text);
  char* end = nullptr;
  errno = 0;
  const float value = std::strtof(copy.c_str(), &end);
  // Too small for any float, or too large (as from_chars says of it), is no
  // number; a subnormal one is, though strtof says ERANGE of it.
  if (end != copy.c_str() + copy.size() || (errno == ERANGE && value == 0) ||
      !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

}  // namespace portable

#if defined(_LIBCPP_VERSION)
// libc++ of the browser's build has no floating-point to_chars.
std::string shortest_float_text(float value, bool always_fixed) {
  return portable::shortest_float_text(value, always_fixed);
}
std::optional<float> float_of_text(std::string_view text) {
  return portable::float_of_text(text);
}
#else
std::string shortest_float_text(float value, bool always_fixed) {
  char buf[64];
  const auto [end, ec] = always_fixed
                             ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed)
                             : std::to_chars(buf, buf + sizeof buf, value);
  return ec == std::errc{} ? std::string(buf, end) : std::string("0");
}
std::optional<float> float_of_text(std::string_view text) {
  float value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc{} || end != text.data() + text.size() ||
      !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}
#endif

}  // namespace tutor
