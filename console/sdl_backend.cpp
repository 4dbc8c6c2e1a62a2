#include "console/sdl_backend.h"

#include "console/sdl_sound.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <SDL_ttf.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <random>
#include <vector>

#include "console/compositor.h"
#include "console/console.h"
#include "console/local_clock.h"
#include "console/sdl_events.h"
#include "console/sdl_surface.h"
#include "console/ttf_glyphs.h"
#include "console/window_settings.h"
#include "console/x_handover.h"

namespace tutor {
namespace {

// The X connection of a window, or nothing on another video driver.
Display* x11_display(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11) {
    return info.info.x11.display;
  }
  return nullptr;
}

[[noreturn]] void give_up(const char* what) {
  std::fprintf(stderr, "%s: %s\n", what, SDL_GetError());
  std::exit(EXIT_FAILURE);
}

// The largest scale, in quarters, at which the window fits the usable screen
// area with room for its frame; at least 1.
Viewport pick_viewport() {
  SDL_Rect usable{};
  if (SDL_GetDisplayUsableBounds(0, &usable) != 0 && SDL_GetDisplayBounds(0, &usable) != 0) {
    return Viewport::at_scale(1);
  }
  const auto width = [](int quarters) { return kSurfaceWidth * quarters / 4; };
  const auto height = [](int quarters) { return (kSurfaceHeight * quarters + 2) / 4; };
  int quarters = 4;
  while (width(quarters + 1) + kFrameRoomX <= usable.w &&
         height(quarters + 1) + kFrameRoomY <= usable.h) {
    ++quarters;
  }
  return Viewport::fitting(width(quarters), height(quarters));
}

// The usable area of every screen, the primary first.
std::vector<ScreenArea> usable_screen_areas() {
  std::vector<ScreenArea> areas;
  for (int i = 0; i < SDL_GetNumVideoDisplays(); ++i) {
    SDL_Rect r{};
    if (SDL_GetDisplayUsableBounds(i, &r) == 0 || SDL_GetDisplayBounds(i, &r) == 0) {
      areas.push_back({r.x, r.y, r.w, r.h});
    }
  }
  return areas;
}

}  // namespace

struct SdlBackend::State {
  SDL_Window* window = nullptr;
  Viewport view = Viewport::at_scale(1);
  WindowSettings settings;     // as read at start
  Display* display = nullptr;  // on X11
  int x11_fd = -1;
  std::unique_ptr<TtfGlyphs> glyphs;
  const Screen* screen = nullptr;  // the console's, as last presented
  Picture picture;                 // only where the window's pixels are not 0xXXRRGGBB
  Point pointer;
  std::mt19937 rng{std::random_device{}() ^ static_cast<unsigned>(std::time(nullptr))};
  std::string title;
  // How closing the window ends the program: with a failure once an error
  // could not be shown in the system's box and is shown in the window.
  ExitStatus closing_status = ExitStatus::Normal;
  bool keys_by_place = false;
  SdlSound sound;

  void open() {
    // Keep the input method closed: every key arrives at once as its character.
    setenv("XMODIFIERS", "@im=none", 1);
    setenv("SDL_IM_MODULE", "none", 1);
    setenv("IBUS_ADDRESS", "unix:path=/nonexistent", 1);
    // No compose sequences either: the table of the locale is parsed at every
    // start (tens of millions of instructions) for keys a JIS keyboard lacks.
    setenv("XCOMPOSEFILE", "/dev/null", 1);
    // The software path: no hidden OpenGL context, drawing straight into the
    // window surface.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
      give_up("cannot start the display");
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver != nullptr && std::getenv("SDL_VIDEODRIVER") == nullptr &&
        (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) {
      std::fprintf(stderr, "no display to open a window on (is DISPLAY set?)\n");
      std::exit(EXIT_FAILURE);
    }
    // As the window was last left, by this program or the one before it,
    // fitted to the screens there are now; as the screen suggests where a
    // window cannot be made so.
    settings = read_window_settings();
    window = create_window(fitted_to_screens(settings, usable_screen_areas()));
    if (window == nullptr && settings != WindowSettings{}) {
      std::fprintf(stderr, "cannot open the window as it was left (%s); opening it as new\n",
                   SDL_GetError());
      window = create_window({});
    }
    if (window == nullptr) {
      give_up("cannot open the window");
    }
    SDL_SetWindowMinimumSize(window, kSurfaceWidth, kSurfaceHeight);
    resized();
    display = x11_display(window);
    x11_fd = display != nullptr ? ConnectionNumber(display) : -1;
    if (const auto font = find_console_font()) {
      glyphs = TtfGlyphs::open(*font, view.font_pixels());
    }
    if (!glyphs) {
      std::fprintf(stderr,
                   "no Japanese font found: install fonts-ipafont-gothic or set VELMORA_FONT\n");
    }
    SDL_StartTextInput();
  }

  SDL_Window* create_window(const WindowSettings& s) const {
    const Viewport suggested = pick_viewport();
    const int width = s.width != 0 ? s.width : suggested.window_width();
    const int height = s.width != 0 ? s.height : suggested.window_height();
    return SDL_CreateWindow(title.c_str(), s.x.value_or(SDL_WINDOWPOS_CENTERED),
                            s.y.value_or(SDL_WINDOWPOS_CENTERED), width, height,
                            SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE |
                                (s.fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0));
  }

  void show(PixelRect area, bool whole = false) {
    if (screen != nullptr) {
      show_on_window(window, *screen, view, glyphs.get(), picture, area, whole);
    }
  }

  void show_all() { show({0, 0, kSurfaceWidth - 1, kSurfaceHeight - 1}, true); }

  // The surface fitted to the window's size now.
  void resized() {
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(window, &w, &h);
    view = Viewport::fitting(std::max(w, 1), std::max(h, 1));
  }

  // F11 and Alt+Enter: the desktop's resolution, no change of mode.
  void toggle_fullscreen() {
    const bool full = (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
    SDL_SetWindowFullscreen(window, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
  }

  // Keeps the window's size, place and fullscreen for the next program, when
  // they differ from what this one was given.
  void keep_settings() {
    WindowSettings now = settings;
    now.fullscreen = (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
    if (!now.fullscreen) {
      int x = 0;
      int y = 0;
      int top = 0;
      int left = 0;
      SDL_GetWindowSize(window, &now.width, &now.height);
      SDL_GetWindowPosition(window, &x, &y);
      // The place of the frame, where a window manager puts a new window.
      if (SDL_GetWindowBordersSize(window, &top, &left, nullptr, nullptr) != 0) {
        top = left = 0;
      }
      now.x = x - left;
      now.y = y - top;
      const Viewport suggested = pick_viewport();
      if (settings.width == 0 && !settings.x && now.width == suggested.window_width() &&
          now.height == suggested.window_height()) {
        now = settings;  // never resized: the screen goes on choosing
        now.fullscreen = false;
      }
    }
    if (now != settings) {
      write_window_settings(now);
    }
  }

  // The next SDL event, waiting up to `timeout_ms` (-1: until there is one).
  bool take_event(SDL_Event& ev, int timeout_ms) {
    if (SDL_PollEvent(&ev) != 0) {
      return true;
    }
    if (x11_fd < 0) {
      return (timeout_ms < 0 ? SDL_WaitEvent(&ev) : SDL_WaitEventTimeout(&ev, timeout_ms)) != 0;
    }
    // Sleep on the X connection rather than in SDL_WaitEventTimeout: that one
    // wakes itself with a message sent to the window over a second connection,
    // which can still be in flight when the window is destroyed on the way to
    // the next program, and Xlib ends the process over the BadWindow it earns.
    // A signal (the end of the session) cuts the sleep short.
    // Events Xlib has already read off the connection would not wake it.
    if (XPending(display) == 0) {
      pollfd x{x11_fd, POLLIN, 0};
      ::poll(&x, 1, timeout_ms);
    }
    return SDL_PollEvent(&ev) != 0;
  }

  // What the window does about an event of its own.
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
        toggle_fullscreen();
        break;
      case TranslatedEvent::WindowDoes::Close:
      case TranslatedEvent::WindowDoes::Nothing:
        break;
    }
  }

  void close() {
    if (window != nullptr) {
      SDL_DestroyWindow(window);
      window = nullptr;
    }
    glyphs.reset();
    sound.close();
    if (TTF_WasInit() != 0) {
      TTF_Quit();
    }
    SDL_Quit();
  }

  // A pointer position on the surface; outside it (on a bar) a point no area
  // holds.
  Point to_surface(int x, int y) const { return view.to_surface({x, y}).value_or(Point{-1, -1}); }
};

void SdlBackend::play(Sound sound) {
  state_->sound.play(sound);
}

SdlBackend::SdlBackend(const std::string& program_name) : state_(std::make_unique<State>()) {
  state_->title = window_title(program_name);
  state_->open();
}

SdlBackend::~SdlBackend() {
  state_->close();
}

void SdlBackend::present(const Screen& screen, PixelRect changed) {
  state_->screen = &screen;
  state_->show(changed);
  XHandOver::let_previous_window_go(state_->x11_fd);
}

Event SdlBackend::next_event(std::optional<int> wait_ms) {
  SDL_Event ev;
  if (!state_->take_event(ev, wait_ms ? std::max(0, *wait_ms) : -1)) {
    return {};
  }
  const TranslatedEvent t = translate_event(ev, state_->view, state_->keys_by_place);
  if (t.pointer) {
    state_->pointer = *t.pointer;
  }
  if (t.window == TranslatedEvent::WindowDoes::Close) {
    end(state_->closing_status);
  }
  state_->act_on(t.window);
  return t.event;
}

void SdlBackend::read_keys_by_place(bool on) {
  state_->keys_by_place = on;
}

Point SdlBackend::pointer() {
  int x = 0;
  int y = 0;
  SDL_GetMouseState(&x, &y);
  state_->pointer = state_->to_surface(x, y);
  return state_->pointer;
}

std::int64_t SdlBackend::milliseconds_of_day() {
  return local_milliseconds_of_day();
}

std::int64_t SdlBackend::monotonic_milliseconds() {
  // The boot-time clock also runs while the machine sleeps, as the time of
  // day does, so a lid closed in the middle of a block counts as before.
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  return now.tv_sec * 1000LL + now.tv_nsec / 1'000'000;
}

double SdlBackend::random() {
  return std::uniform_real_distribution<double>(0.0, 1.0)(state_->rng);
}

std::filesystem::path SdlBackend::working_directory() const {
  return ".";
}

void SdlBackend::start(std::string_view stored_path, const std::filesystem::path& executable) {
  if (::access(executable.c_str(), X_OK) != 0 || std::filesystem::is_directory(executable)) {
    std::fprintf(stderr, "cannot start %.*s: %s\n", static_cast<int>(stored_path.size()),
                 stored_path.data(), std::strerror(errno));
    return;
  }
  state_->keep_settings();
  std::fflush(nullptr);
  // The window stays up through the exec, its connection open in the next
  // program until that one has drawn.
  const bool handed_on = XHandOver::hand_on(state_->display, state_->x11_fd);
  if (!handed_on) {
    state_->close();
  }
  // A path without a folder would be looked up on PATH by nothing, but keep it
  // explicitly relative.
  std::string path = executable.string();
  if (path.find('/') == std::string::npos) {
    path = "./" + path;
  }
  char* argv[] = {path.data(), nullptr};
  ::execv(path.c_str(), argv);
  std::fprintf(stderr, "cannot start %s: %s\n", path.c_str(), std::strerror(errno));
  if (handed_on) {
    XHandOver::take_back(state_->x11_fd);
  } else {
    state_->open();  // bring the window back for the error box that follows
  }
}

void SdlBackend::end(ExitStatus status) {
  if (state_->window != nullptr) {
    state_->keep_settings();
  }
  state_->close();
  std::fflush(nullptr);
  // Every file is whole on the disk by now. Ending at once cuts off work
  // still running on other threads (sending blocks to a class server), as a
  // closed window may; running the exit handlers under it could not.
  std::_Exit(status == ExitStatus::Normal ? EXIT_SUCCESS : EXIT_FAILURE);
}

bool SdlBackend::show_error_box(std::string_view caption, std::string_view text) {
  const std::string c(caption);
  const std::string t(text);
  std::fprintf(stderr, "%s: %s", c.c_str(), t.c_str());
  // The system's box draws with the X core fonts, which hold no Japanese: in
  // a window the box is drawn with the program's own font instead.
  if (state_->window == nullptr &&
      SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, c.c_str(), t.c_str(), nullptr) == 0) {
    return true;
  }
  state_->closing_status = ExitStatus::Failure;
  return false;
}

}  // namespace tutor
