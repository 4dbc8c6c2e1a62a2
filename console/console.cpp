#include "console/console.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "console/frame_box.h"
#include "console/records.h"
#include "console/text.h"

namespace tutor {

Console::Console(Backend& backend, std::string program_name)
    : backend_(backend), program_name_(std::move(program_name)) {}

void Console::clear_screen() {
  screen_.graphics.clear();
  screen_.text.clear();
  screen_.labels.clear();
}

void Console::fill(Rect r, Colour c) {
  screen_.graphics.fill_rect(r.to_pixels(), c);
}

void Console::outline(Rect r, Colour c) {
  screen_.graphics.outline_rect(r.to_pixels(), c);
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
}

void Console::paint(DesignPoint seed, Colour c) {
  paint_from_halves(2 * seed.x, 2 * seed.y, c);
}

void Console::paint_from_halves(int twice_x, int twice_y, Colour c) {
  screen_.graphics.flood_fill(pixel_from_halves(twice_x, twice_y), c, c);
}

void Console::point(DesignPoint p, Colour c) {
  screen_.graphics.set(to_pixels(p), c);
}

Cell Console::print(Cell at, Colour c, std::string_view utf8) {
  return screen_.text.print(at, c, utf8);
}

Cell Console::print_large(Cell at, Colour c, std::string_view utf8) {
  return screen_.text.print_large(at, c, utf8);
}

void Console::label(Rect box, int font_units, Colour c, char32_t ch) {
  screen_.labels.put({box.to_pixels(), font_units, ch, c});
}

Cell Console::print_using(Cell at,
                          Colour c,
                          std::string_view mask,
                          std::initializer_list<UsingValue> values) {
  return print(at, c, format_using(mask, values));
}

void Console::blank(Cell at, int count) {
  print(at, kGrey, std::string(static_cast<size_t>(count), ' '));
}

void Console::present_if_changed() {
  if (const auto changed = screen_.take_changed()) {
    backend_.present(screen_, *changed);
  }
}

Event Console::poll(Arm armed) {
  present_if_changed();
  // A program that read the clock since the last poll may show it: wake at
  // the clock's next second even when nothing happens. Otherwise there is
  // nothing to do until an event comes.
  std::optional<int> wait_ms;
  if (std::exchange(clock_read_, false)) {
    const auto to_next_second = [](std::int64_t ms) { return static_cast<int>(1000 - ms % 1000); };
    wait_ms = to_next_second(backend_.milliseconds_of_day());
    if (timing_anchor_) {
      wait_ms = std::min(*wait_ms, to_next_second(timing_milliseconds()));
    }
  }
  Event e = backend_.next_event(wait_ms);
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

namespace {

constexpr std::int64_t kSecondsPerDay = 24 * 3600;

std::string clock_text(std::int64_t seconds) {
  const auto s = static_cast<int>(seconds % kSecondsPerDay);
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", s / 3600, (s / 60) % 60, s % 60);
  return buf;
}

}  // namespace

std::string Console::time_of_day() {
  clock_read_ = true;
  return clock_text(backend_.milliseconds_of_day() / 1000);
}

std::int64_t Console::timing_milliseconds() {
  const std::int64_t now = backend_.monotonic_milliseconds();
  if (!timing_anchor_) {
    timing_anchor_ = TimingAnchor{backend_.milliseconds_of_day(), now};
  }
  return timing_anchor_->milliseconds_of_day + (now - timing_anchor_->monotonic_milliseconds);
}

std::int64_t Console::timing_seconds() {
  clock_read_ = true;
  return timing_milliseconds() / 1000;
}

std::string Console::timing_clock() {
  return clock_text(timing_seconds());
}

double Console::random() {
  return backend_.random();
}

std::filesystem::path Console::record_path(std::string_view stored_path) const {
  return (backend_.working_directory() / stored_path).lexically_normal();
}

std::optional<std::string> Console::read_record(std::string_view stored_path, CallSite where) {
  RecordRead r = read_record_file(record_path(stored_path));
  if (r.status == RecordRead::Status::Unreadable) {
    failure_ = failure_line("記録ファイルを読めません", record_path(stored_path));
    fatal_error(where);
  }
  return r.line_if_read();
}

std::optional<std::string> Console::read_record_if_readable(std::string_view stored_path) {
  return read_record_file(record_path(stored_path)).line_if_read();
}

bool Console::replace_record(std::string_view stored_path, std::string_view line) {
  const RecordLine record{stored_path, line};
  return replace_records({&record, 1});
}

bool Console::replace_records(std::span<const RecordLine> records) {
  std::vector<RecordWrite> writes;
  writes.reserve(records.size());
  for (const RecordLine& r : records) {
    writes.push_back({record_path(r.stored_path), r.line});
  }
  if (replace_record_files(writes)) {
    return true;
  }
  failure_ = failure_line(
      "記録ファイルに書き込めません",
      writes.size() == 1 ? writes.front().file : writes.front().file.parent_path() / "");
  return false;
}

void Console::start_program(std::string_view stored_path, CallSite where) {
  present_if_changed();
  const std::filesystem::path program = executable_path(backend_.working_directory(), stored_path);
  backend_.start(stored_path, program);
  std::error_code ec;
  failure_ = failure_line(std::filesystem::exists(program, ec) ? "プログラムを起動できません"
                                                               : "プログラムのファイルがありません",
                          program);
  fatal_error(where);
}

void Console::end() {
  backend_.end(ExitStatus::Normal);
  std::abort();  // back ends never return from end()
}

void Console::fatal_error(CallSite where) {
  // The box stands over what the program last drew.
  present_if_changed();
  const std::string caption = window_title(program_name_);
  std::string text = fatal_error_text(program_name_.empty() ? "(モジュール名不明)" : program_name_,
                                      static_cast<unsigned>(where.line()));
  if (!failure_.empty()) {
    text += failure_ + "\n";
  }
  if (!backend_.show_error_box(caption, text)) {
    draw_error_box(caption, text);
    while (true) {
      const Event e = poll(Arm::mouse());
      if (e.is_mouse() || (e.is_key() && e.key == keys::kEnter)) {
        break;
      }
    }
  }
  backend_.end(ExitStatus::Failure);
  std::abort();
}

// The error box drawn in the window itself: a caption bar, the text and an OK
// button in the middle of the screen, over whatever was shown.
void Console::draw_error_box(std::string_view caption, std::string_view text) {
  constexpr Rect kBox = {88, 124, 551, 247};
  constexpr Rect kCaptionBar = {88, 124, 551, 147};
  constexpr Rect kOkButton = {296, 204, 343, 227};
  for (int row = 7; row <= 15; ++row) {
    blank({10, row}, 60);
  }
  frame_box(*this, kBox, kRaisedBox);
  fill(kCaptionBar, kBlue);
  print({12, 8}, kWhite, caption);
  // The message and the line under it, each centred.
  for (int row = 10; !text.empty() && row <= 11; ++row) {
    const std::string_view line = text.substr(0, text.find('\n'));
    text.remove_prefix(std::min(text.size(), line.size() + 1));
    print({std::max(12, (kColumns - display_width(line)) / 2), row}, kBlack, line);
  }
  frame_box(*this, kOkButton, raised_box(kGrey));
  print({38, 13}, kBlack, "ＯＫ");
  present_if_changed();
}

std::string fatal_error_text(std::string_view module, unsigned line) {
  return "続行不可能なエラーが発生しました " + std::string(module) + " [" + std::to_string(line) +
         "行]\n";
}

std::string failure_line(std::string_view what, const std::filesystem::path& file) {
  constexpr int kWidest = 56;  // columns inside the box
  std::error_code ec;
  const std::filesystem::path whole = std::filesystem::absolute(file, ec);
  std::string line = std::string(what) + ": ";
  std::vector<char32_t> path = decode_utf8((ec ? file : whole).string());
  const int room = kWidest - display_width(line);
  if (display_width(encode_utf8(path)) > room) {
    while (!path.empty() && display_width(encode_utf8(path)) > room - 3) {
      path.erase(path.begin());
    }
    line += "...";
  }
  return line + encode_utf8(path);
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
