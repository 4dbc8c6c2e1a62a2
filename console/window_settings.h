#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tutor {

// How the learner last left the window: its size and place, and whether it
// filled the screen. Kept in $XDG_CONFIG_HOME/velmora/window.conf
// (~/.config/velmora), one "name=value" a line, so that every program opens
// as the one before it was left, also at the next start.
struct WindowSettings {
  int width = 0;  // 0: the size the screen suggests
  int height = 0;
  std::optional<int> x;  // nothing: centred
  std::optional<int> y;
  bool fullscreen = false;
  friend bool operator==(const WindowSettings&, const WindowSettings&) = default;
};

// The settings a text holds. A line that is missing, unknown or out of range
// leaves its setting at the default, as does a size smaller than 640x450.
[[nodiscard]] WindowSettings parse_window_settings(std::string_view text);
[[nodiscard]] std::string window_settings_text(const WindowSettings& settings);

// Where the settings are kept; nothing without a configuration folder.
[[nodiscard]] std::optional<std::filesystem::path> window_settings_file();
// The settings kept; the defaults when the file is missing or unreadable.
[[nodiscard]] WindowSettings read_window_settings();
// Keeps the settings; a file that cannot be written is quietly left alone.
void write_window_settings(const WindowSettings& settings);

}  // namespace tutor
