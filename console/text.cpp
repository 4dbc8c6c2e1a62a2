#include "console/text.h"

#include <array>

namespace tutor {

std::vector<char32_t> decode_utf8(std::string_view s) {
  std::vector<char32_t> out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    int extra = 0;
    char32_t cp = 0;
    if (b0 < 0x80) {
      cp = b0;
    } else if ((b0 & 0xe0) == 0xc0) {
      extra = 1;
      cp = b0 & 0x1f;
    } else if ((b0 & 0xf0) == 0xe0) {
      extra = 2;
      cp = b0 & 0x0f;
    } else if ((b0 & 0xf8) == 0xf0) {
      extra = 3;
      cp = b0 & 0x07;
    } else {
      out.push_back(U'\uFFFD');
      ++i;
      continue;
    }
    if (i + extra >= s.size() && extra > 0) {
      out.push_back(U'\uFFFD');
      break;
    }
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      const auto b = static_cast<unsigned char>(s[i + k]);
      if ((b & 0xc0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (b & 0x3f);
    }
    if (!ok) {
      out.push_back(U'\uFFFD');
      ++i;
      continue;
    }
    // Overlong forms, surrogates and values past Unicode are not UTF-8.
    static constexpr std::array<char32_t, 4> kSmallest = {0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[static_cast<size_t>(extra)] || (cp >= 0xD800 && cp <= 0xDFFF) ||
        cp > 0x10FFFF) {
      cp = U'\uFFFD';
    }
    out.push_back(cp);
    i += extra + 1;
  }
  return out;
}

std::string encode_utf8(char32_t cp) {
  std::string out;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xc0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3f));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xe0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3f));
    out += static_cast<char>(0x80 | (cp & 0x3f));
  } else {
    out += static_cast<char>(0xf0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3f));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3f));
    out += static_cast<char>(0x80 | (cp & 0x3f));
  }
  return out;
}

std::string encode_utf8(const std::vector<char32_t>& cps) {
  std::string out;
  for (char32_t cp : cps) {
    out += encode_utf8(cp);
  }
  return out;
}

int char_width(char32_t cp) {
  if (cp < 0x80) {
    return 1;
  }
  if (cp >= 0xff61 && cp <= 0xff9f) {
    return 1;
  }
  return 2;
}

int display_width(std::string_view utf8) {
  int w = 0;
  for (char32_t cp : decode_utf8(utf8)) {
    w += char_width(cp);
  }
  return w;
}

namespace {

// Half-width katakana U+FF61-U+FF9F and their full-width forms.
constexpr std::u32string_view kHalfKana =
    U"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホ"
    U"マミムメモヤユヨラリルレロワン゛゜";

}  // namespace

std::string to_full_width(std::string_view utf8) {
  std::string out;
  for (char32_t cp : decode_utf8(utf8)) {
    if (cp == U' ') {
      cp = U'\u3000';
    } else if (cp == U'\\') {
      cp = U'\uFFE5';
    } else if (cp >= 0x21 && cp <= 0x7e) {
      cp = cp - 0x21 + 0xff01;
    } else if (cp >= 0xff61 && cp <= 0xff9f) {
      cp = kHalfKana[cp - 0xff61];
    }
    out += encode_utf8(cp);
  }
  return out;
}

std::string with_lf_line_ends(std::string_view text) {
  std::string lines;
  lines.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      lines += text[i];
    } else if (i + 1 == text.size() || text[i + 1] != '\n') {
      lines += '\n';
    }
  }
  return lines;
}

std::string cut_to_width(std::string_view utf8, int columns) {
  std::string out;
  int used = 0;
  for (char32_t cp : decode_utf8(utf8)) {
    if ((used += char_width(cp)) > columns) {
      break;
    }
    out += encode_utf8(cp);
  }
  return out;
}

}  // namespace tutor
