#pragma once

#include <filesystem>
#include <optional>
#include <span>
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

// Room a window leaves on its screen for its frame and the desktop's panels.
inline constexpr int kFrameRoomX = 16;
inline constexpr int kFrameRoomY = 64;
// The largest window the window system makes, either way.
inline constexpr int kLargestWindowSide = 16384;

// The part of a screen a window may use (without panels), in desktop pixels.
struct ScreenArea {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// The saved settings fitted to the screens the window opens on now (the first
// is where a window without a place is centred): a size larger than its
// screen shrinks to the largest of the surface's shape that fits with room
// for the frame; a place on no screen is dropped, and such a window (or a
// shrunk one without a place) is centred with room for its frame; a place
// partly off its screen is moved onto it. A size a window can always be made
// at results, even without screens to fit it to.
[[nodiscard]] WindowSettings fitted_to_screens(const WindowSettings& saved,
                                               std::span<const ScreenArea> screens);

// Where the settings are kept; nothing without a configuration folder.
[[nodiscard]] std::optional<std::filesystem::path> window_settings_file();
// The settings kept; the defaults when the file is missing or unreadable, or
// anything but a small regular file (a link, a FIFO, a device): it is read
// without following links or waiting.
[[nodiscard]] WindowSettings read_window_settings();
// Keeps the settings; a file that cannot be written, or anything but a
// regular file in its place, is quietly left alone.
void write_window_settings(const WindowSettings& settings);

}  // namespace tutor
