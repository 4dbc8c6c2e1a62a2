#pragma once

#include <X11/Xlib.h>

namespace tutor {

// A program hands its window's X connection on to the program it starts, so
// that its window stays on the screen until the next one has drawn: no blank
// moment between two programs. The connection's descriptor survives the exec,
// named in the environment.
class XHandOver {
 public:
  // Before the exec: keeps the connection open in the next program. False
  // (nothing changed) where there is no connection to hand on.
  static bool hand_on(Display* display, int fd);
  // After an exec that failed: the connection is this program's alone again.
  static void take_back(int fd);
  // In the next program, once its own window (on `own_fd`) has drawn: closes
  // the connection of the program before, whose window then goes.
  static void let_previous_window_go(int own_fd);
};

}  // namespace tutor
