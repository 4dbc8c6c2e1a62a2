#pragma once

#include <string_view>

#include "console/console.h"

namespace tutor::lessonkit {

// How a program's HomePositionScreen looks.
struct HomePositionLook {
  std::string_view title;
  Colour title_bar_face;
  Colour title_colour;
  // Write every key's legend, or only those of the eight home keys.
  bool home_legends_only = false;
};

// Shows where the fingers rest and waits for any key, click, double-click or
// function key; then clears the prompts and the caps, leaving the title bar
// and the keyboard for the drill screen.
void home_position_screen(Console& con, const HomePositionLook& look);

// The prompt of the home position: where the fingers of each hand rest (over
// the eight caps) and "press any key".
void write_home_position_prompt(Console& con);

// Waits until a key, a click or a double-click arrives, and, if armed, a
// function key. A mouse event anywhere ends the wait.
void wait_any_input(Console& con, Arm armed);
// Waits for a click or double-click anywhere, or Enter, so that a touch typist
// need not reach for the mouse; other keys pressed meanwhile are dropped, so a
// learner still typing cannot skip the screen by accident.
void wait_click_or_enter(Console& con);

}  // namespace tutor::lessonkit
