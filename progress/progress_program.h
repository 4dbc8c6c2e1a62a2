#pragma once

#include <filesystem>
#include <ostream>
#include <span>
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

// `--csv` (the blocks and the marks) or `--csv-keys` (the blocks' key
// tallies), with `--excel` for a byte-order mark before it, which Japanese
// spreadsheet programs need to read UTF-8; `--excel` alone is `--csv
// --excel`. The history in `file` is written to `out` without a window.
// Returns the exit status: 0, or 1 with the reason on `err` when there is no
// readable history, 2 with the usage for any other command line.
[[nodiscard]] int export_csv(std::span<const std::string_view> options,
                             const std::filesystem::path& file,
                             std::ostream& out,
                             std::ostream& err);
inline constexpr std::string_view kCsvUsage = "usage: Progress [--csv | --csv-keys] [--excel]\n";
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace tutor::progress
