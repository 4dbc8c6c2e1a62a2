#include "console/window_settings.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <sstream>
#include <tuple>

#include "console/geometry.h"
#include "console/settings_file.h"

namespace tutor {
namespace {

std::optional<int> whole_number(std::string_view text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

constexpr int kLargest = 1 << 15;

long long overlap(const ScreenArea& a, int x, int y, int width, int height) {
  const long long w = std::min<long long>(a.x + a.width, x + width) - std::max(a.x, x);
  const long long h = std::min<long long>(a.y + a.height, y + height) - std::max(a.y, y);
  return w > 0 && h > 0 ? w * h : 0;
}

// The largest size of the surface's shape within width x height, never
// smaller than the surface.
std::pair<int, int> largest_of_surface_shape(int width, int height) {
  const int w = std::min(width, height * kSurfaceWidth / kSurfaceHeight);
  const int h = w * kSurfaceHeight / kSurfaceWidth;
  return {std::max(w, kSurfaceWidth), std::max(h, kSurfaceHeight)};
}

}  // namespace

WindowSettings parse_window_settings(std::string_view text) {
  WindowSettings s;
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    const size_t eq = line.find('=');
    if (line.empty() || line.front() == '#' || eq == std::string_view::npos) {
      continue;
    }
    const std::string_view name = line.substr(0, eq);
    const std::string_view value = line.substr(eq + 1);
    const auto n = whole_number(value);
    const bool in_range = n && *n > -kLargest && *n < kLargest;
    if (name == "width" && in_range) {
      s.width = *n;
    } else if (name == "height" && in_range) {
      s.height = *n;
    } else if (name == "x" && in_range) {
      s.x = *n;
    } else if (name == "y" && in_range) {
      s.y = *n;
    } else if (name == "fullscreen" && (value == "yes" || value == "no")) {
      s.fullscreen = value == "yes";
    }
  }
  if (s.width < kSurfaceWidth || s.height < kSurfaceHeight) {
    s.width = 0;
    s.height = 0;
  }
  return s;
}

std::string window_settings_text(const WindowSettings& s) {
  std::ostringstream out;
  out << "# The tutor's window as it was last left; delete this file for the default.\n";
  if (s.width != 0) {
    out << "width=" << s.width << "\nheight=" << s.height << "\n";
  }
  if (s.x && s.y) {
    out << "x=" << *s.x << "\ny=" << *s.y << "\n";
  }
  out << "fullscreen=" << (s.fullscreen ? "yes" : "no") << "\n";
  return out.str();
}

WindowSettings fitted_to_screens(const WindowSettings& saved, std::span<const ScreenArea> screens) {
  WindowSettings s = saved;
  if (screens.empty()) {
    if (s.width > kLargestWindowSide || s.height > kLargestWindowSide) {
      s.width = s.height = 0;
    }
    return s;
  }
  const bool sized = s.width != 0;
  const bool placed = s.x && s.y;
  // The screen the window is on most; a place on none of them is dropped.
  const ScreenArea* home = &screens.front();
  long long most = 0;
  for (const ScreenArea& a : screens) {
    const long long o = placed ? overlap(a, *s.x, *s.y, sized ? s.width : kSurfaceWidth,
                                         sized ? s.height : kSurfaceHeight)
                               : 0;
    if (o > most) {
      most = o;
      home = &a;
    }
  }
  // Kept where it fits; shrunk with room for the frame where it does not.
  const bool shrunk = sized && (s.width > home->width || s.height > home->height);
  if (shrunk) {
    std::tie(s.width, s.height) =
        largest_of_surface_shape(home->width - kFrameRoomX, home->height - kFrameRoomY);
  }
  // The window with its frame, which the window manager adds round it.
  const int outer_width = (sized ? s.width : kSurfaceWidth) + kFrameRoomX;
  const int outer_height = (sized ? s.height : kSurfaceHeight) + kFrameRoomY;
  if ((placed && most == 0) || (!placed && shrunk)) {
    // Centred as a window manager centres its frame: a large window a
    // window system centres by itself would lose its bottom edge.
    s.x = home->x + std::max(0, (home->width - outer_width) / 2);
    s.y = home->y + std::max(0, (home->height - outer_height) / 2);
  } else if (placed && (*s.x < home->x || *s.y < home->y ||
                        *s.x + outer_width - kFrameRoomX > home->x + home->width ||
                        *s.y + outer_height - kFrameRoomY > home->y + home->height)) {
    // Partly off its screen: moved onto it, frame and all.
    s.x = std::max(home->x, std::min(*s.x, home->x + home->width - outer_width));
    s.y = std::max(home->y, std::min(*s.y, home->y + home->height - outer_height));
  }
  return s;
}

std::optional<std::filesystem::path> window_settings_file() {
  return settings_file("window.conf");
}

WindowSettings read_window_settings() {
  const auto file = window_settings_file();
  const auto text = file ? read_settings_file(*file) : std::nullopt;
  return text ? parse_window_settings(*text) : WindowSettings{};
}

void write_window_settings(const WindowSettings& settings) {
  if (const auto file = window_settings_file()) {
    write_settings_file(*file, window_settings_text(settings));
  }
}

}  // namespace tutor
