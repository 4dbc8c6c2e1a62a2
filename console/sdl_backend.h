#pragma once

#include <memory>
#include <string>

#include "console/backend.h"

namespace tutor {

// The console in a real SDL2 window: the surface shown at the largest whole
// scale that fits the screen, centred, redrawn only when it changed.
class SdlBackend final : public Backend {
 public:
  // Opens the window; on failure prints why and ends the process.
  explicit SdlBackend(const std::string& program_name);
  ~SdlBackend() override;
  SdlBackend(const SdlBackend&) = delete;
  SdlBackend& operator=(const SdlBackend&) = delete;

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
