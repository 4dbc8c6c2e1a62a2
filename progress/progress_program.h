#pragma once

#include <filesystem>
#include <ostream>
#include <string_view>

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

// `--csv` (the blocks) and `--csv-keys` (their key tallies): the history in
// `file` written to `out` without a window. Returns the exit status: 0, or 1
// with the reason on `err` when there is no readable history, 2 for an
// option that is neither.
[[nodiscard]] int export_csv(std::string_view option,
                             const std::filesystem::path& file,
                             std::ostream& out,
                             std::ostream& err);

}  // namespace tutor::progress
