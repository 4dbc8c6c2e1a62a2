#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tutor {

// The one line of a record file without its line ending, or nothing when the
// file is missing or cannot be read.
[[nodiscard]] std::optional<std::string> read_record_file(const std::filesystem::path& file);

// Replaces a record file with one line. The line goes to a new file beside it,
// which is flushed to disk and renamed over the old one, so at every moment the
// file holds either the old line or the new one. False when it could not be
// written; the old file is then untouched.
[[nodiscard]] bool replace_record_file(const std::filesystem::path& file, std::string_view line);

// A record read as a whole number ("2", " 2"); nothing for anything else.
[[nodiscard]] std::optional<int> parse_whole_number(std::string_view text);
// A record read as a number ("91.2", "0"); nothing for anything else.
[[nodiscard]] std::optional<float> parse_number(std::string_view text);
// The written form of a number: the shortest text that reads back as the same
// single-precision value ("2", "91.2").
[[nodiscard]] std::string number_text(float value);

}  // namespace tutor
