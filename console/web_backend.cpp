#include "console/web_backend.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <vector>

#include "console/compositor.h"
#include "console/console.h"
#include "console/local_clock.h"
#include "console/sdl_events.h"
#include "console/sdl_sound.h"
#include "console/ttf_glyphs.h"
#include "console/web_platform.h"

namespace tutor {
namespace {

// The whole font, beside the page: fetched when a text needs a glyph that
// the font cut for the page lacks.
constexpr std::string_view kWholeFontUrl = "ipag.ttf";
constexpr std::string_view kWholeFontPath = "/fonts/ipag.ttf";

}  // namespace

struct WebBackend::State {
  std::vector<std::string> programs;
  std::string launcher;
  std::string running;
  SDL_Window* window = nullptr;
  Viewport view = Viewport::at_scale(1);
  std::unique_ptr<TtfGlyphs> glyphs;
  const Screen* screen = nullptr;
  double pixel_ratio = 1.0;          // the canvas's pixels to one of the page's
  std::vector<std::uint32_t> frame;  // the canvas's pixels, as the page paints them
  Point pointer;
  std::mt19937 rng{std::random_device{}()};
  bool keys_by_place = false;
  enum class WholeFont { NotAsked, Asked, Done } whole_font = WholeFont::NotAsked;
  SdlSound sound;

  void open() {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // The page's listeners queue input between polls, behind the mark a poll
    // would stop at: without it, keys typed fast could wait there unread
    // until the next input woke the program.
    SDL_SetHint(SDL_HINT_POLL_SENTINEL, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
      std::fprintf(stderr, "cannot start the canvas: %s\n", SDL_GetError());
      std::abort();
    }
    // The page sizes the canvas; SDL follows its size as the desktop's
    // window follows the window manager.
    // On a screen of more pixels than the page's (devicePixelRatio above 1)
    // the canvas has the screen's pixels, and the text is drawn for them.
    window = SDL_CreateWindow("", 0, 0, kSurfaceWidth, kSurfaceHeight,
                              SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (window == nullptr) {
      std::fprintf(stderr, "cannot open the canvas: %s\n", SDL_GetError());
      std::abort();
    }
    resized();
    if (const auto font = find_console_font()) {
      glyphs = TtfGlyphs::open(*font, view.font_pixels());
    }
    if (!glyphs) {
      std::fprintf(stderr, "the font did not load\n");
    }
    SDL_StartTextInput();
    web_platform::listen_for_input();
  }

  void show(PixelRect area, bool whole = false) {
    if (screen == nullptr) {
      return;
    }
    const int w = view.window_width();
    const int h = view.window_height();
    if (frame.size() != static_cast<size_t>(w) * static_cast<size_t>(h)) {
      frame.assign(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
      whole = true;
    }
    const PixelTarget target = {frame.data(), w, h, w, ChannelOrder::Abgr};
    if (whole) {
      compose_bars(view, target);
    }
    compose_area(*screen, view, glyphs.get(), target, area);
    web_platform::paint(frame.data(), w, h,
                        whole ? PixelRect{0, 0, w - 1, h - 1} : view.window_area(area));
  }
  // Asks for the whole font once a glyph is missing, and draws with it once
  // it has come; glyphs the cut has are the same in both.
  void complete_font() {
    if (!glyphs || whole_font == WholeFont::Done) {
      return;
    }
    if (whole_font == WholeFont::NotAsked) {
      if (glyphs->lacks_glyphs()) {
        web_platform::start_fetch(kWholeFontUrl, kWholeFontPath);
        whole_font = WholeFont::Asked;
      }
      return;
    }
    const web_platform::Fetch fetched = web_platform::fetch_state(kWholeFontPath);
    if (fetched == web_platform::Fetch::Pending) {
      return;
    }
    whole_font = WholeFont::Done;
    if (fetched == web_platform::Fetch::Arrived) {
      if (auto whole = TtfGlyphs::open(std::filesystem::path(kWholeFontPath), view.font_pixels())) {
        glyphs = std::move(whole);
        show_all();
      }
    }
  }

  void show_all() { show({0, 0, kSurfaceWidth - 1, kSurfaceHeight - 1}, true); }

  void resized() {
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(window, &w, &h);
    int pixels_w = 0;
    int pixels_h = 0;
    SDL_GetWindowSizeInPixels(window, &pixels_w, &pixels_h);
    view = Viewport::fitting(std::max(pixels_w, 1), std::max(pixels_h, 1));
    pixel_ratio = w > 0 ? static_cast<double>(pixels_w) / w : 1.0;
  }

  // The pointer comes in the page's pixels, the frame is in the canvas's.
  [[nodiscard]] int in_canvas(int page_pixels) const {
    return static_cast<int>(page_pixels * pixel_ratio);
  }
  void pointer_in_canvas(SDL_Event& ev) const {
    switch (ev.type) {
      case SDL_MOUSEMOTION:
        ev.motion.x = in_canvas(ev.motion.x);
        ev.motion.y = in_canvas(ev.motion.y);
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        ev.button.x = in_canvas(ev.button.x);
        ev.button.y = in_canvas(ev.button.y);
        break;
      default:
        break;
    }
  }

  void act_on(TranslatedEvent::WindowDoes what) {
    switch (what) {
      case TranslatedEvent::WindowDoes::Refit:
        resized();
        show_all();
        break;
      case TranslatedEvent::WindowDoes::Redraw:
        show_all();
        break;
      case TranslatedEvent::WindowDoes::ToggleFullscreen:
        // The page's screen, as its button does: the canvas then takes the
        // size the page gives it, and the frame is drawn again at that size.
        web_platform::toggle_fullscreen();
        break;
      case TranslatedEvent::WindowDoes::Close:  // a page is closed by the browser
      case TranslatedEvent::WindowDoes::Nothing:
        break;
    }
  }

  // The back button leaves any program but the launcher for the launcher;
  // a block under way is given up, as Escape would.
  void leave_if_back_pressed() const {
    if (web_platform::back_pressed() && running != launcher) {
      web_platform::store_changes();
      throw HandOver{launcher};
    }
  }
};

WebBackend::WebBackend(std::span<const std::string_view> programs, std::string_view launcher)
    : state_(std::make_unique<State>()) {
  state_->programs.assign(programs.begin(), programs.end());
  state_->launcher = launcher;
  state_->open();
}

WebBackend::~WebBackend() {
  state_->sound.close();
  state_->glyphs.reset();
  SDL_DestroyWindow(state_->window);
  if (TTF_WasInit() != 0) {
    TTF_Quit();
  }
  SDL_Quit();
}

void WebBackend::begin_program(std::string_view name) {
  state_->screen = nullptr;  // the last program's, gone with it
  state_->running = name;
  state_->keys_by_place = false;
  web_platform::program_started(name == state_->launcher);
}

void WebBackend::present(const Screen& screen, PixelRect changed) {
  // What the program stored before this frame is in the browser before the
  // learner sees the frame that follows it.
  web_platform::store_changes();
  state_->screen = &screen;
  state_->show(changed);
  state_->complete_font();
}

Event WebBackend::next_event(std::optional<int> wait_ms) {
  state_->leave_if_back_pressed();
  SDL_Event ev;
  if (SDL_PollEvent(&ev) == 0) {
    web_platform::wait_for_input(wait_ms ? std::max(0, *wait_ms) : -1);
    state_->leave_if_back_pressed();
    state_->complete_font();
    if (SDL_PollEvent(&ev) == 0) {
      return {};
    }
  }
  state_->pointer_in_canvas(ev);
  const TranslatedEvent t = translate_event(ev, state_->view, state_->keys_by_place);
  if (t.pointer) {
    state_->pointer = *t.pointer;
  }
  state_->act_on(t.window);
  return t.event;
}

Point WebBackend::pointer() {
  int x = 0;
  int y = 0;
  SDL_GetMouseState(&x, &y);
  state_->pointer =
      state_->view.to_surface({state_->in_canvas(x), state_->in_canvas(y)}).value_or(Point{-1, -1});
  return state_->pointer;
}

void WebBackend::read_keys_by_place(bool on) {
  state_->keys_by_place = on;
}

std::int64_t WebBackend::milliseconds_of_day() {
  return local_milliseconds_of_day();
}

std::int64_t WebBackend::monotonic_milliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000LL + now.tv_nsec / 1'000'000;
}

double WebBackend::random() {
  return std::uniform_real_distribution<double>(0.0, 1.0)(state_->rng);
}

std::filesystem::path WebBackend::working_directory() const {
  return ".";
}

void WebBackend::start(std::string_view stored_path, const std::filesystem::path& executable) {
  const std::string name = executable.filename().string();
  if (std::find(state_->programs.begin(), state_->programs.end(), name) == state_->programs.end()) {
    std::fprintf(stderr, "cannot start %.*s: no such program in the page\n",
                 static_cast<int>(stored_path.size()), stored_path.data());
    return;
  }
  web_platform::store_changes();
  throw HandOver{name};
}

bool WebBackend::show_error_box(std::string_view caption, std::string_view text) {
  std::fprintf(stderr, "%.*s: %.*s", static_cast<int>(caption.size()), caption.data(),
               static_cast<int>(text.size()), text.data());
  return false;  // drawn on the canvas with the program's own font
}

void WebBackend::end(ExitStatus status) {
  web_platform::store_changes();
  throw WebProgramEnded{status};
}

void WebBackend::play(Sound sound) {
  state_->sound.play(sound);
}

}  // namespace tutor
