#pragma once

#include <filesystem>
#include <ostream>
#include <span>
#include <string_view>

#include "console/csv_field.h"
#include "history/history.h"

// The history as CSV (RFC 4180: CRLF line ends, fields quoted where they hold
// a comma, a quote or a line break), UTF-8, for spreadsheets.
namespace tutor::progress {

// One row per block or test, and one per mark (the records cleared) among
// them in time order, its program empty and its result naming the mark:
// ended_at,program,step,seconds,right,wrong,evaluation,result
void write_blocks_csv(std::ostream& out, const history::History& kept);

// Per block, a row for each key with its right and wrong keystrokes, then a
// row for each key that typed instead of it with its count; the legend is
// the character the key types ("-", "A"), "スペース" for the space bar:
// ended_at,program,step,key,legend,right,wrong,typed_instead,count
void write_key_tallies_csv(std::ostream& out, const history::History& kept);

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
