#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "console/backend.h"

namespace tutor {

// The console in a browser page: one canvas that every program of the page
// draws on in turn, through SDL built for the browser. Starting a program
// and ending one leave the program by these, which the page's runner catches
// and answers by running the next (the window and what is loaded stay).
struct HandOver {
  std::string program;  // its name, as the programs table has it
};
struct WebProgramEnded {
  ExitStatus status;
};

class WebBackend final : public Backend {
 public:
  // Opens the canvas and the font. `programs` are the names a start may name;
  // `launcher` is the one the back button returns to.
  WebBackend(std::span<const std::string_view> programs, std::string_view launcher);
  ~WebBackend() override;
  WebBackend(const WebBackend&) = delete;
  WebBackend& operator=(const WebBackend&) = delete;

  // A program starts on the canvas: it reads keys as characters, as every
  // program does at first.
  void begin_program(std::string_view name);

  void present(const Screen& screen, PixelRect changed) override;
  Event next_event(std::optional<int> wait_ms) override;
  Point pointer() override;
  void read_keys_by_place(bool on) override;
  std::int64_t milliseconds_of_day() override;
  std::int64_t monotonic_milliseconds() override;
  double random() override;
  [[nodiscard]] std::filesystem::path working_directory() const override;
  void start(std::string_view stored_path, const std::filesystem::path& executable) override;
  [[nodiscard]] bool show_error_box(std::string_view caption, std::string_view text) override;
  [[noreturn]] void end(ExitStatus status) override;
  void play(Sound sound) override;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace tutor
