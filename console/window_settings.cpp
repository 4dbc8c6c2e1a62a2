#include "console/window_settings.h"

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "console/geometry.h"
#include "console/records.h"

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

std::optional<std::filesystem::path> window_settings_file() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
    return std::filesystem::path(xdg) / "velmora" / "window.conf";
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
    return std::filesystem::path(home) / ".config" / "velmora" / "window.conf";
  }
  return std::nullopt;
}

WindowSettings read_window_settings() {
  const auto file = window_settings_file();
  if (!file) {
    return {};
  }
  std::ifstream in(*file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return in ? parse_window_settings(text.str()) : WindowSettings{};
}

void write_window_settings(const WindowSettings& settings) {
  const auto file = window_settings_file();
  std::error_code ec;
  if (!file || (std::filesystem::create_directories(file->parent_path(), ec), ec)) {
    return;
  }
  std::string text = window_settings_text(settings);
  text.pop_back();  // the record writer ends the text with its line feed
  (void)replace_record_file(*file, text);
}

}  // namespace tutor
