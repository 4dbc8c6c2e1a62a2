#pragma once

#include "console/console.h"
#include "course/stages.h"

namespace tutor::course {

// Runs a stage program: its HomePositionScreen, its steps in order (a failed
// step again), then records the stage reached and starts the next program.
// The ExitButton leaves for the launcher from any keystroke wait.
[[noreturn]] void run_stage(Console& con, const Stage& stage);

}  // namespace tutor::course
