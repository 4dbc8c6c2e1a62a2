#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <variant>

#include "console/backend.h"
#include "console/console.h"

namespace tutor {

// Outcomes of a scripted run. The headless console throws them where a real
// program would replace itself or end; run_headless() catches them.
struct ProgramStarted {
  std::string path;  // as the program gave it, "././M1/Ostrin.exe"
};
struct ProgramEnded {};
struct FatalErrorShown {
  std::string caption;
  std::string text;
  bool drawn_in_window = false;  // the system box was unavailable
};
// The program asked for input after the script's last step.
struct ScriptExhausted {};

using Outcome = std::variant<ProgramStarted, ProgramEnded, FatalErrorShown, ScriptExhausted>;

// Scripted input: keys, function keys, clicks at surface pixels and clock
// steps, taken one step per poll.
class Script {
 public:
  // One key string, as the keyboard would deliver it.
  Script& key(std::string_view key);
  // Each character of `text` as a key of its own.
  Script& type(std::string_view text);
  Script& enter() { return key("\r"); }
  // A key of the typing area by its place, for keys read by place.
  Script& placed_key(KeyPlace place, bool shift = false);
  Script& function_key(int n);
  Script& click(Point p);
  Script& double_click(Point p);
  // Moves the pointer without clicking.
  Script& move_pointer(Point p);
  // Time passes: the clock moves on by `seconds`.
  Script& wait(int seconds);
  // Time passes until the clock shows "HH:MM:SS" (at most a day).
  Script& clock(std::string_view hh_mm_ss);
  // The system clock is set `seconds` forwards or backwards while no time
  // passes (a time sync, the end of daylight saving time).
  Script& correct_clock(int seconds);
  // Polls that find nothing waiting.
  Script& idle(int polls = 1);
  // Calls `check` when the program polls at this point, to look at the screen
  // or the records mid-run.
  Script& inspect(std::function<void()> check);

  struct Step {
    enum class Kind {
      Event,
      ClockStep,
      ClockSet,
      ClockCorrection,
      Idle,
      Pointer,
      Inspect
    } kind = Kind::Idle;
    Event event;
    int seconds = 0;
    std::function<void()> check = {};
  };
  [[nodiscard]] bool empty() const { return steps_.empty(); }
  Step take();

 private:
  std::deque<Step> steps_;
};

// The console back end for tests: no window; input from a Script; a clock that
// moves only when the script says; a seeded random source.
class HeadlessBackend final : public Backend {
 public:
  explicit HeadlessBackend(std::filesystem::path working_directory, unsigned seed = 1);

  Script& script() { return script_; }
  // Sets the time of day before a run.
  void set_clock(std::string_view hh_mm_ss);
  // Whether the system error box can be shown; without it the console draws
  // its own.
  void set_system_error_box(bool available) { system_error_box_ = available; }
  // How many frames the console handed over.
  [[nodiscard]] int frames() const { return frames_; }
  [[nodiscard]] bool reading_keys_by_place() const { return keys_by_place_; }

  void present(const Screen& screen, PixelRect changed) override;
  Event next_event(std::optional<int> wait_ms) override;
  Point pointer() override { return pointer_; }
  void read_keys_by_place(bool on) override { keys_by_place_ = on; }
  std::int64_t milliseconds_of_day() override { return seconds_ * 1000LL; }
  std::int64_t monotonic_milliseconds() override { return monotonic_seconds_ * 1000LL; }
  double random() override;
  [[nodiscard]] std::filesystem::path working_directory() const override { return root_; }
  void start(std::string_view stored_path, const std::filesystem::path& executable) override;
  [[nodiscard]] bool show_error_box(std::string_view caption, std::string_view text) override;
  [[noreturn]] void end(ExitStatus status) override;
  void play(Sound sound) override { played_.push_back(sound); }
  // The sounds played so far, in order.
  [[nodiscard]] const std::vector<Sound>& played() const { return played_; }

 private:
  std::filesystem::path root_;
  std::vector<Sound> played_;
  Script script_;
  int seconds_ = 12 * 3600;
  std::int64_t monotonic_seconds_ = 0;
  bool system_error_box_ = true;
  FatalErrorShown error_box_;
  std::mt19937 rng_;
  int frames_ = 0;
  Point pointer_;
  bool keys_by_place_ = false;
};

// Runs `program` until it starts another program, ends, shows the fatal error
// box or runs out of script.
Outcome run_headless(Console& con, const std::function<void(Console&)>& program);

// Seconds since midnight of "HH:MM:SS".
[[nodiscard]] int parse_clock(std::string_view hh_mm_ss);

}  // namespace tutor
