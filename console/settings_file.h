#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tutor {

// A settings file of the learner's: $XDG_CONFIG_HOME/velmora/<name>
// (~/.config/velmora); nothing without a configuration folder.
[[nodiscard]] std::optional<std::filesystem::path> settings_file(std::string_view name);

// The text of a settings file: never read through a link, never waited on
// (a FIFO), only a regular file of at most 16 KiB; nothing otherwise. Its
// lines end in LF however they ended in the file (CR LF, CR).
[[nodiscard]] std::optional<std::string> read_settings_file(const std::filesystem::path& file);

// Replaces a settings file crash-safely, making its folder; a file that
// cannot be written, or anything but a regular file in its place, is quietly
// left alone.
void write_settings_file(const std::filesystem::path& file, std::string_view text);

}  // namespace tutor
