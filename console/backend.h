#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "console/geometry.h"
#include "console/key_place.h"
#include "console/screen.h"
#include "console/sound.h"

namespace tutor {

// One piece of input. Keys carry the console's key string: a printable
// character as the keyboard layout produced it, or the code of a key without
// one (keys:: below). Modifier keys alone and the input-mode keys give none.
// While keys are read by place (Backend::read_keys_by_place), the keys of the
// typing area come as Kind::PlacedKey instead, with no character.
struct Event {
  enum class Kind { None, Key, FunctionKey, Click, DoubleClick, PlacedKey };
  Kind kind = Kind::None;
  std::string key;       // Kind::Key
  int function_key = 0;  // Kind::FunctionKey: 1-10, or 12 (F11 is the window's own)
  Point pointer;         // Kind::Click and Kind::DoubleClick, surface pixels
  KeyPlace place;        // Kind::PlacedKey
  bool shift = false;    // Kind::PlacedKey: with Shift held

  [[nodiscard]] bool is_key() const { return kind == Kind::Key; }
  [[nodiscard]] bool is_mouse() const { return kind == Kind::Click || kind == Kind::DoubleClick; }
};

// Key strings of the control keys.
namespace keys {
inline constexpr std::string_view kEnter = "\r";
inline constexpr std::string_view kRight = "\x1c";
inline constexpr std::string_view kLeft = "\x1d";
inline constexpr std::string_view kUp = "\x1e";
inline constexpr std::string_view kDown = "\x1f";
inline constexpr std::string_view kBackspace = "\b";
inline constexpr std::string_view kEscape = "\x1b";
inline constexpr std::string_view kTab = "\t";
// Ctrl with a letter gives its control code, 1 (Ctrl+A) to 26 (Ctrl+Z).
[[nodiscard]] constexpr char control_code(char letter) {
  return static_cast<char>((letter | 0x20) - 'a' + 1);
}
// Keys with no character and no control code: a zero byte and the key's PC
// scan code, as extended keys have long been reported.
inline constexpr std::string_view kHome{"\0G", 2};
inline constexpr std::string_view kPageUp{"\0I", 2};
inline constexpr std::string_view kEnd{"\0O", 2};
inline constexpr std::string_view kPageDown{"\0Q", 2};
inline constexpr std::string_view kInsert{"\0R", 2};
inline constexpr std::string_view kDelete{"\0S", 2};
}  // namespace keys

enum class ExitStatus { Normal, Failure };

// What the platform does for the console: show frames, deliver input, tell the
// time, start other programs. A real window and a scripted one for tests.
class Backend {
 public:
  virtual ~Backend() = default;

  // Shows the screen; called before input is read whenever it changed.
  // `changed` holds every pixel that differs from the last frame.
  virtual void present(const Screen& screen, PixelRect changed) = 0;
  // The next input event, or Kind::None when none came. A real window waits
  // for one, at most `wait_ms` when given (the program shows a clock), and
  // may return Kind::None early for events that are not input.
  virtual Event next_event(std::optional<int> wait_ms) = 0;
  // Where the pointer is now, in surface pixels.
  virtual Point pointer() = 0;
  // Whether the keys of the typing area come by their place on the keyboard
  // (Kind::PlacedKey) rather than as the characters the keyboard map gives.
  virtual void read_keys_by_place(bool on) = 0;
  // Local time of day in milliseconds since midnight.
  virtual std::int64_t milliseconds_of_day() = 0;
  // Milliseconds from any fixed start on a clock that only moves forward:
  // setting or correcting the time of day does not move it.
  virtual std::int64_t monotonic_milliseconds() = 0;
  // A uniform value in [0, 1).
  virtual double random() = 0;
  // The folder stored paths are relative to.
  [[nodiscard]] virtual std::filesystem::path working_directory() const = 0;
  // Replaces this program with the one at `executable`; `stored_path` is the
  // path as the program gave it. Returns only when it cannot be started.
  virtual void start(std::string_view stored_path, const std::filesystem::path& executable) = 0;
  // Shows the system's error box over the window and returns once the learner
  // has dismissed it; false when the system cannot show one.
  [[nodiscard]] virtual bool show_error_box(std::string_view caption, std::string_view text) = 0;
  // Closes the window and ends the program with this status.
  [[noreturn]] virtual void end(ExitStatus status) = 0;
  // Plays a sound, cutting short the one before; silent where it cannot.
  virtual void play(Sound sound) = 0;
};

}  // namespace tutor
