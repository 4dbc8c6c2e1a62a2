#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace tutor {

// A value printed through a mask: a number or a string.
using UsingValue = std::variant<double, std::string_view>;

// Formats values through a print mask, field by field in order:
//   #      a digit place; numbers are right-aligned and rounded to the places
//          after a '.'; a ',' inside a run groups thousands; a minus sign takes
//          one of the places. A number wider than its field is printed whole,
//          pushing the text after it to the right, never cut or replaced.
//   &  &   a string field as wide as the marks and the blanks between them,
//          left-aligned and padded with blanks; a longer string is cut at the
//          field's width (a full-width character is never split).
// Other characters stand as they are. Values beyond the last field start the
// mask again; formatting stops at the first field left without a value.
[[nodiscard]] std::string format_using(std::string_view mask,
                                       std::initializer_list<UsingValue> values);

}  // namespace tutor
