#include "console/console.h"

#include <cstdio>
#include <cstdlib>

#include "console/records.h"

namespace tutor {

Console::Console(Backend& backend, std::string program_name)
    : backend_(backend), program_name_(std::move(program_name)) {}

void Console::clear_screen() {
  screen_.graphics.clear();
  screen_.text.clear();
  changed_ = true;
}

void Console::fill(Rect r, Colour c) {
  screen_.graphics.fill_rect(r.to_pixels(), c);
  changed_ = true;
}

void Console::outline(Rect r, Colour c) {
  screen_.graphics.outline_rect(r.to_pixels(), c);
  changed_ = true;
}

void Console::polyline(std::initializer_list<DesignPoint> points, Colour c) {
  const DesignPoint* previous = nullptr;
  for (const DesignPoint& p : points) {
    if (previous != nullptr) {
      screen_.graphics.line(to_pixels(*previous), to_pixels(p), c);
    } else if (points.size() == 1) {
      screen_.graphics.set(to_pixels(p), c);
    }
    previous = &p;
  }
  changed_ = true;
}

void Console::paint(DesignPoint seed, Colour c) {
  paint_from_halves(2 * seed.x, 2 * seed.y, c);
}

void Console::paint_from_halves(int twice_x, int twice_y, Colour c) {
  screen_.graphics.flood_fill(pixel_from_halves(twice_x, twice_y), c, c);
  changed_ = true;
}

void Console::point(DesignPoint p, Colour c) {
  screen_.graphics.set(to_pixels(p), c);
  changed_ = true;
}

Cell Console::print(Cell at, Colour c, std::string_view utf8) {
  changed_ = true;
  return screen_.text.print(at, c, utf8);
}

Cell Console::print_using(Cell at,
                          Colour c,
                          std::string_view mask,
                          std::initializer_list<UsingValue> values) {
  return print(at, c, format_using(mask, values));
}

void Console::blank(Cell at, int count) {
  print(at, 7, std::string(static_cast<size_t>(count), ' '));
}

Event Console::poll(Arm armed) {
  if (changed_) {
    backend_.present(screen_);
    changed_ = false;
  }
  Event e = backend_.next_event();
  switch (e.kind) {
    case Event::Kind::Click:
      return armed.click ? e : Event{};
    case Event::Kind::DoubleClick:
      return armed.double_click ? e : Event{};
    case Event::Kind::FunctionKey:
      return armed.function_keys ? e : Event{};
    default:
      return e;
  }
}

Point Console::pointer() {
  return backend_.pointer();
}

std::string Console::time_of_day() {
  const int s = backend_.seconds_of_day();
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", (s / 3600) % 24, (s / 60) % 60, s % 60);
  return buf;
}

double Console::random() {
  return backend_.random();
}

std::optional<std::string> Console::read_record(std::string_view stored_path) {
  return read_record_file((backend_.working_directory() / stored_path).lexically_normal());
}

bool Console::replace_record(std::string_view stored_path, std::string_view line) {
  return replace_record_file((backend_.working_directory() / stored_path).lexically_normal(), line);
}

void Console::start_program(std::string_view stored_path, std::source_location where) {
  if (changed_) {
    backend_.present(screen_);
    changed_ = false;
  }
  backend_.start(stored_path, executable_path(backend_.working_directory(), stored_path));
  fatal_error(where);
}

void Console::end() {
  backend_.end();
  std::abort();  // back ends never return from end()
}

void Console::fatal_error(std::source_location where) {
  // The box stands over what the program last drew.
  if (changed_) {
    backend_.present(screen_);
    changed_ = false;
  }
  backend_.fatal(window_title(program_name_),
                 fatal_error_text(program_name_.empty() ? "(モジュール名不明)" : program_name_,
                                  static_cast<unsigned>(where.line())));
  std::abort();  // back ends never return from fatal()
}

std::string fatal_error_text(std::string_view module, unsigned line) {
  return "続行不可能なエラーが発生しました " + std::string(module) + " [" + std::to_string(line) +
         "行]\n";
}

std::string window_title(std::string_view program_name) {
  return std::string(program_name) + " - タッチタイプ基本練習";
}

std::filesystem::path executable_path(const std::filesystem::path& working_directory,
                                      std::string_view stored_path) {
  std::string path(stored_path);
  constexpr std::string_view kWindowsEnding = ".exe";
  if (path.size() > kWindowsEnding.size() &&
      path.compare(path.size() - kWindowsEnding.size(), kWindowsEnding.size(), kWindowsEnding) ==
          0) {
    path.resize(path.size() - kWindowsEnding.size());
  }
  return (working_directory / path).lexically_normal();
}

}  // namespace tutor
