#pragma once

#include <optional>
#include <string>
#include <string_view>

// Single-precision numbers as text and back, as std::to_chars and
// std::from_chars give and take them: the shortest text that reads back as
// the same value, and text read with no leading blank or '+'. The standard
// library the browser's build has lacks their floating-point forms, so the
// console carries its own where it must; every build gives the same text.
namespace tutor {

// The shortest text of `value`: fixed ("91.25") or scientific ("1e+20"),
// whichever is shorter, fixed on a tie; or always fixed.
[[nodiscard]] std::string shortest_float_text(float value, bool always_fixed = false);
// The value of `text` whole; nothing for anything else, infinities and
// NaNs included.
[[nodiscard]] std::optional<float> float_of_text(std::string_view text);

// The same two made with printf and strtof alone: what a build without the
// floating-point std::to_chars uses (and what the tests hold to the first).
namespace portable {
[[nodiscard]] std::string shortest_float_text(float value, bool always_fixed = false);
[[nodiscard]] std::optional<float> float_of_text(std::string_view text);
}  // namespace portable

}  // namespace tutor
