#pragma once

#include <string_view>

#include "console/console.h"
#include "lessonkit/evaluation.h"

namespace tutor::lessonkit {

// Clears the screen and shows the time, the errors and the evaluation on their
// three bars, with the prompt to click.
void draw_result_screen(Console& con, const Score& score);

// A verdict box with its message on row 16.
struct VerdictBox {
  Rect box;
  Colour face;
  int message_column;
  Colour message_colour;
};
void draw_verdict(Console& con, const VerdictBox& look, std::string_view message);

}  // namespace tutor::lessonkit
