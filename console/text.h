#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tutor {

// Code points of a UTF-8 string; a malformed byte, an overlong form, a
// surrogate or a value past Unicode decodes as U+FFFD.
[[nodiscard]] std::vector<char32_t> decode_utf8(std::string_view s);
[[nodiscard]] std::string encode_utf8(char32_t cp);
[[nodiscard]] std::string encode_utf8(const std::vector<char32_t>& cps);

// Cells a character takes on the text grid: 1 for ASCII and half-width kana,
// 2 for everything else (full-width forms, kana, kanji, symbols).
[[nodiscard]] int char_width(char32_t cp);
[[nodiscard]] int display_width(std::string_view utf8);
// The longest start of a text that takes at most `columns` cells.
[[nodiscard]] std::string cut_to_width(std::string_view utf8, int columns);

// A text whose lines end in CR LF (Windows) or CR alone (an old Mac) with
// its lines ending in LF.
[[nodiscard]] std::string with_lf_line_ends(std::string_view text);

// True for the characters that erase text: the blank and the full-width blank.
[[nodiscard]] constexpr bool is_blank(char32_t cp) {
  return cp == U' ' || cp == U'\u3000';
}

// The full-width form of a string: ASCII letters, digits and symbols become
// their full-width forms (the backslash the yen sign of the JIS keyboard), the
// blank the full-width blank, half-width kana full-width kana.
[[nodiscard]] std::string to_full_width(std::string_view utf8);

}  // namespace tutor
