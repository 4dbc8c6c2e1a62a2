#pragma once

#include "console/console.h"
#include "progress/overview.h"

namespace tutor::progress {

// The progress program: the learner's history as four views (speed over
// time, the timed test over time, the keys missed most, the totals) switched
// with the cursor keys or their buttons; Escape or the exit button returns to
// the launcher.
[[noreturn]] void run(Console& con);
// The same with the history already read, as the program reads it while its
// window opens.
[[noreturn]] void run_with(Console& con, Overview overview);

}  // namespace tutor::progress
