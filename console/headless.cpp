#include "console/headless.h"

#include <stdexcept>

#include "console/text.h"

namespace tutor {

namespace {

Script::Step event_step(Event e) {
  Script::Step s;
  s.kind = Script::Step::Kind::Event;
  s.event = std::move(e);
  return s;
}

bool types_text(const Event& e) {
  return e.is_key() && !e.key.empty() && static_cast<unsigned char>(e.key.front()) >= 0x20 &&
         e.key != "\x7f";
}

int day_second(int seconds) {
  return (seconds % 86400 + 86400) % 86400;
}

Script::Step plain_step(Script::Step::Kind kind, int seconds = 0) {
  Script::Step s;
  s.kind = kind;
  s.seconds = seconds;
  return s;
}

}  // namespace

Script& Script::key(std::string_view key) {
  steps_.push_back(event_step({Event::Kind::Key, std::string(key), 0, {}, {}, false}));
  return *this;
}

Script& Script::placed_key(KeyPlace place, bool shift) {
  steps_.push_back(event_step({Event::Kind::PlacedKey, {}, 0, {}, place, shift}));
  return *this;
}

Script& Script::type(std::string_view text) {
  for (char32_t cp : decode_utf8(text)) {
    key(encode_utf8(cp));
  }
  return *this;
}

Script& Script::function_key(int n) {
  steps_.push_back(event_step({Event::Kind::FunctionKey, {}, n, {}, {}, false}));
  return *this;
}

Script& Script::click(Point p) {
  steps_.push_back(event_step({Event::Kind::Click, {}, 0, p, {}, false}));
  return *this;
}

Script& Script::double_click(Point p) {
  steps_.push_back(event_step({Event::Kind::DoubleClick, {}, 0, p, {}, false}));
  return *this;
}

Script& Script::move_pointer(Point p) {
  Step s = plain_step(Step::Kind::Pointer);
  s.event.pointer = p;
  steps_.push_back(std::move(s));
  return *this;
}

Script& Script::wait(int seconds) {
  steps_.push_back(plain_step(Step::Kind::ClockStep, seconds));
  return *this;
}

Script& Script::clock(std::string_view hh_mm_ss) {
  steps_.push_back(plain_step(Step::Kind::ClockSet, parse_clock(hh_mm_ss)));
  return *this;
}

Script& Script::correct_clock(int seconds) {
  steps_.push_back(plain_step(Step::Kind::ClockCorrection, seconds));
  return *this;
}

Script& Script::idle(int polls) {
  for (int i = 0; i < polls; ++i) {
    steps_.push_back(plain_step(Step::Kind::Idle));
  }
  return *this;
}

Script& Script::inspect(std::function<void()> check) {
  Step s = plain_step(Step::Kind::Inspect);
  s.check = std::move(check);
  steps_.push_back(std::move(s));
  return *this;
}

Script::Step Script::take() {
  Step s = std::move(steps_.front());
  steps_.pop_front();
  return s;
}

HeadlessBackend::HeadlessBackend(std::filesystem::path working_directory, unsigned seed)
    : root_(std::move(working_directory)), rng_(seed) {}

void HeadlessBackend::set_clock(std::string_view hh_mm_ss) {
  seconds_ = parse_clock(hh_mm_ss);
}

void HeadlessBackend::present(const Screen&, PixelRect) {
  ++frames_;
}

Event HeadlessBackend::next_event(std::optional<int>) {
  if (script_.empty()) {
    throw ScriptExhausted{};
  }
  Script::Step step = script_.take();
  switch (step.kind) {
    case Script::Step::Kind::Event:
      if (step.event.is_mouse()) {
        pointer_ = step.event.pointer;
      }
      // As a window delivers them: characters or places, never both.
      if (keys_by_place_ ? types_text(step.event) : step.event.kind == Event::Kind::PlacedKey) {
        return {};
      }
      return step.event;
    case Script::Step::Kind::Pointer:
      pointer_ = step.event.pointer;
      return {};
    case Script::Step::Kind::ClockStep:
      monotonic_seconds_ += step.seconds;
      seconds_ = day_second(seconds_ + step.seconds);
      return {};
    case Script::Step::Kind::ClockSet:
      monotonic_seconds_ += day_second(step.seconds - seconds_);
      seconds_ = step.seconds;
      return {};
    case Script::Step::Kind::ClockCorrection:
      seconds_ = day_second(seconds_ + step.seconds);
      return {};
    case Script::Step::Kind::Idle:
      return {};
    case Script::Step::Kind::Inspect:
      step.check();
      return {};
  }
  return {};
}

double HeadlessBackend::random() {
  return std::uniform_real_distribution<double>(0.0, 1.0)(rng_);
}

void HeadlessBackend::start(std::string_view stored_path, const std::filesystem::path&) {
  throw ProgramStarted{std::string(stored_path)};
}

bool HeadlessBackend::show_error_box(std::string_view caption, std::string_view text) {
  error_box_ = {std::string(caption), std::string(text), !system_error_box_};
  return system_error_box_;
}

void HeadlessBackend::end(ExitStatus status) {
  if (status == ExitStatus::Failure) {
    throw error_box_;
  }
  throw ProgramEnded{};
}

Outcome run_headless(Console& con, const std::function<void(Console&)>& program) {
  try {
    program(con);
  } catch (const ProgramStarted& o) {
    return o;
  } catch (const ProgramEnded& o) {
    return o;
  } catch (const FatalErrorShown& o) {
    return o;
  } catch (const ScriptExhausted& o) {
    return o;
  }
  // A program that returns on its own has ended.
  return ProgramEnded{};
}

int parse_clock(std::string_view t) {
  if (t.size() != 8 || t[2] != ':' || t[5] != ':') {
    throw std::invalid_argument("clock text is not HH:MM:SS");
  }
  auto two = [&](size_t at) { return (t[at] - '0') * 10 + (t[at + 1] - '0'); };
  return two(0) * 3600 + two(3) * 60 + two(6);
}

}  // namespace tutor
