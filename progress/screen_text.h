#pragma once

#include <string>
#include <string_view>

#include "console/colour.h"
#include "console/console.h"
#include "console/geometry.h"

// Text as the progress views place it: centred, right-aligned, wrapped, and
// counts written out in full.
namespace tutor::progress {

// Text centred on a row between two columns.
void print_centred(Console& con, int row, int from_col, int to_col, Colour c, std::string_view s);
// Text whose last character stands on `last`.
void print_right_aligned(Console& con, Cell last, Colour c, std::string_view s);
// A text over as many rows as it needs, `width` columns each.
void print_wrapped(Console& con, Cell at, int width, Colour c, std::string_view s);
// A count grouped by thousands, every digit exact.
[[nodiscard]] std::string with_commas(long long n);
// A view's word in place of what it would draw, such as while nothing is kept.
void show_message(Console& con, std::string_view first, std::string_view second = "");

}  // namespace tutor::progress
