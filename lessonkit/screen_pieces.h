#pragma once

#include <string_view>

#include "console/console.h"

namespace tutor::lessonkit {

// The launcher every lesson program returns to.
inline constexpr std::string_view kLauncher = "./Velmora.exe";

// The title bar across the top, its face in the stage's colour.
void draw_title_bar(Console& con, Colour face);
// The title (or step title) in the title bar.
void write_title(Console& con, std::string_view title, Colour colour);

// Where the Label box stands: the staged course's, or the key-group courses'
// two units lower and shorter.
struct LabelBox {
  Rect face;
};
inline constexpr LabelBox kLabel = {{22, 60, 130, 84}};
inline constexpr LabelBox kKeyGroupLabel = {{22, 62, 130, 82}};
void draw_label(Console& con, LabelBox box = kLabel);

// The ExitButton, "終 了" on face 4.
void draw_exit_button(Console& con);

// The pointer areas that leave for the launcher while a drill waits.
// Staged course: 540 <= x <= 612 and 390 <= y <= 419, in pixels.
[[nodiscard]] bool in_stage_exit_area(Point p);
// Key-group courses: 560 <= x < 624 and 352*Q < y < 368*Q.
[[nodiscard]] bool in_key_group_exit_area(Point p);

// The RemainingCounter: its frame, and the count in it.
void draw_counter_frame(Console& con);
// Clears the row under the keyboard and draws the frame (the counter's first
// appearance in a block).
void clear_counter_row_and_frame(Console& con);
void write_counter(Console& con, std::string_view mask, int remaining);

}  // namespace tutor::lessonkit
