#pragma once

#include "console/console.h"
#include "keygroups/courses.h"

namespace tutor::keygroups {

// Runs a key-group course from its first step: each step opens with the
// home-position prompt, drills its 20 lines and shows its verdict. Passing the
// last step writes the course's record; either way the course ends by starting
// the launcher. The ExitButton leaves for it from any keystroke wait.
[[noreturn]] void run_course(Console& con, const KeyGroupCourse& course);

}  // namespace tutor::keygroups
