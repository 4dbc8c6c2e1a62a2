#pragma once

#include "console/console.h"

namespace tutor::launcher {

// The main menu: draws it, moves the highlight, and starts the chosen entry
// (this program then ends) or ends through the exit box.
[[noreturn]] void run(Console& con);

}  // namespace tutor::launcher
