#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>

#include <span>
#include <string>
#include <string_view>

#include "console/backend.h"
#include "console/call_site.h"
#include "console/colour.h"
#include "console/geometry.h"
#include "console/print_using.h"
#include "console/screen.h"

namespace tutor {

// Which events a wait takes besides keys, which are always read.
struct Arm {
  bool click = false;
  bool double_click = false;
  bool function_keys = false;

  static constexpr Arm keys_only() { return {}; }
  static constexpr Arm mouse() { return {true, true, false}; }
  static constexpr Arm mouse_and_function_keys() { return {true, true, true}; }
};

// The text-and-graphics console every program draws into and takes its input,
// time, records and program start from. Graphics take design units (y in the
// 400-line space); text takes cells.
class Console {
 public:
  Console(Backend& backend, std::string program_name);

  // Clears both planes.
  void clear_screen();
  void fill(Rect r, Colour c);
  void outline(Rect r, Colour c);
  void polyline(std::initializer_list<DesignPoint> points, Colour c);
  // Flood fill from `seed` bounded by the paint colour itself.
  void paint(DesignPoint seed, Colour c);
  // The same from a seed given in half design units (a frame box's centre).
  void paint_from_halves(int twice_x, int twice_y, Colour c);
  void point(DesignPoint p, Colour c);

  // Writes text from a cell; returns the cell after it, where text that
  // continues the line goes.
  Cell print(Cell at, Colour c, std::string_view utf8);
  // Text at double size: each character twice as wide and two rows high.
  Cell print_large(Cell at, Colour c, std::string_view utf8);
  Cell print_using(Cell at,
                   Colour c,
                   std::string_view mask,
                   std::initializer_list<UsingValue> values);
  // One character, its ink centred in a box, in a font of `font_units` (the
  // text's is 16), replacing the label in the same box; free of the text cells.
  void label(Rect box, int font_units, Colour c, char32_t ch);
  // Removes the text of `count` cells from `at`.
  void blank(Cell at, int count);

  // Reads the input without waiting for a key: an event of an armed kind, a
  // key, or Kind::None. Events of kinds not armed are dropped.
  Event poll(Arm armed);
  // Where the pointer is, in surface pixels.
  [[nodiscard]] Point pointer();
  // Whether the keys of the typing area come by their place on the keyboard
  // (Event::Kind::PlacedKey) rather than as characters.
  void read_keys_by_place(bool on) { backend_.read_keys_by_place(on); }

  // The time of day as "HH:MM:SS".
  [[nodiscard]] std::string time_of_day();
  // The clock that times blocks and tests: whole seconds of the time of day
  // at its first reading, carried on by the monotonic clock, so that a
  // correction of the system clock (time sync, the end of daylight saving
  // time) moves neither the start of a block nor its end. While the system
  // clock keeps time it reads exactly as the time of day does, but it counts
  // on past midnight instead of starting again at 0.
  [[nodiscard]] std::int64_t timing_seconds();
  // The same as "HH:MM:SS", starting again at midnight.
  [[nodiscard]] std::string timing_clock();
  // A uniform value in [0, 1).
  [[nodiscard]] double random();

  // The line of a record file given by its stored path ("././M0/data/RANK.TXT"),
  // or nothing when there is no such file. A file that is there but cannot be
  // read shows the fatal error box: its value is not to be taken for a
  // missing one and overwritten.
  [[nodiscard]] std::optional<std::string> read_record(std::string_view stored_path,
                                                       CallSite where = CallSite::current());
  // The line of a record file for showing: nothing when it is missing or
  // cannot be read.
  [[nodiscard]] std::optional<std::string> read_record_if_readable(std::string_view stored_path);
  // Replaces a record file crash-safely; false when it could not be written.
  [[nodiscard]] bool replace_record(std::string_view stored_path, std::string_view line);
  // Replaces several record files together: all are written before any is
  // replaced (see replace_record_files).
  struct RecordLine {
    std::string_view stored_path;
    std::string_view line;
  };
  [[nodiscard]] bool replace_records(std::span<const RecordLine> records);

  // Starts the program at a stored path ("././M1/Ostrin.exe") in the same
  // working directory and ends this one. A program that cannot be started
  // shows the fatal error box.
  [[noreturn]] void start_program(std::string_view stored_path,
                                  CallSite where = CallSite::current());
  [[noreturn]] void end();
  // The fatal error box, naming this program and the line that was running,
  // with a line under it that says what failed (the record that could not be
  // read or written, the program that could not be started, with its path),
  // then the end of the program with a failure status. The back end shows it
  // in the system's box where it has no window; otherwise it is drawn in the
  // window with the program's own font and waits for Enter or a click.
  [[noreturn]] void fatal_error(CallSite where = CallSite::current());

  // Puts what was drawn on show now, ahead of slow work that follows it (a
  // poll shows it anyway).
  void show_now() { present_if_changed(); }
  // Plays a sound (sound.h), cutting short the one before.
  void play(Sound sound) { backend_.play(sound); }
  // The file a path relative to the working directory names.
  [[nodiscard]] std::filesystem::path file_path(std::string_view stored_path) const {
    return record_path(stored_path);
  }

  [[nodiscard]] const Screen& screen() const { return screen_; }
  [[nodiscard]] const std::string& program_name() const { return program_name_; }

 private:
  void present_if_changed();
  [[nodiscard]] std::int64_t timing_milliseconds();
  void draw_error_box(std::string_view caption, std::string_view text);
  [[nodiscard]] std::filesystem::path record_path(std::string_view stored_path) const;

  struct TimingAnchor {
    std::int64_t milliseconds_of_day;
    std::int64_t monotonic_milliseconds;
  };

  Backend& backend_;
  std::string program_name_;
  Screen screen_;
  std::optional<TimingAnchor> timing_anchor_;
  bool clock_read_ = false;  // since the last poll
  std::string failure_;      // what failed last, for the fatal error box
};

// The text of the fatal error box for a module and line.
[[nodiscard]] std::string fatal_error_text(std::string_view module, unsigned line);
// The line under it: what failed, and the file's path, its start cut off
// where the line would not fit the box.
[[nodiscard]] std::string failure_line(std::string_view what, const std::filesystem::path& file);
// The window title, also the caption of the error box.
[[nodiscard]] std::string window_title(std::string_view program_name);
// The executable a stored program path names on this platform: the ".exe"
// ending dropped, resolved against the working directory.
[[nodiscard]] std::filesystem::path executable_path(const std::filesystem::path& working_directory,
                                                    std::string_view stored_path);

}  // namespace tutor
