// The floor: the least a program can do to put one line of Japanese text in
// an SDL2 window on this machine, set up the way the console sets up its
// window. The tutor's programs are timed against it (bench/latency.py): how
// long it takes to show its first frame, to hand over to a new copy of
// itself by exec, to show a key press, what memory and CPU it needs while it
// waits.
//
//   floor <font file> [--exec N]
//
// The font file is a TrueType font with Japanese glyphs (IPAGothic, the path
// `fc-match -f '%{file}' IPAGothic` gives): the floor looks nothing up itself.
// It opens a 640x450 surface at the largest scale in quarters that fits the
// usable screen area, centred, draws one line of text in white on black at 16 px a
// unit, and sleeps in SDL_WaitEvent until something happens. Each key press
// redraws the window with the key echoed below the line. With --exec N and
// N > 0, F1 closes the window, ends SDL and starts the floor again in the same
// process with N - 1. Escape or closing the window ends it.
//
// One thing a bare SDL2 program needs besides: SDL_WaitEvent wakes itself
// with a message sent to the window over a second X connection when an event
// comes in while it waits. At a hand-over that message can reach the X server
// after the window is destroyed, and Xlib's default error handler ends the
// program over the BadWindow it earns (it happened in one of the first ten
// hand-overs timed on a busy machine). The floor lets that one error pass; any
// other ends it as before.

#include <SDL.h>
#include <SDL_ttf.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 450;
// Room left on the screen for the window frame and panels, as the console leaves.
constexpr int kRoomX = 16;
constexpr int kRoomY = 64;
constexpr const char* kLine = "タッチタイプ基本練習";

XErrorHandler xlib_default_handler = nullptr;

int pass_late_wakeups(Display* display, XErrorEvent* error) {
  if (error->error_code == BadWindow && error->request_code == X_SendEvent) {
    return 0;
  }
  return xlib_default_handler(display, error);
}

[[noreturn]] void give_up(const char* what, const char* why) {
  std::fprintf(stderr, "floor: %s: %s\n", what, why);
  std::exit(EXIT_FAILURE);
}

// The console's scale, in quarters: the largest that fits the usable area.
int pick_quarters() {
  SDL_Rect usable{};
  if (SDL_GetDisplayUsableBounds(0, &usable) != 0 && SDL_GetDisplayBounds(0, &usable) != 0) {
    return 4;
  }
  int q = 4;
  while (kWidth * (q + 1) / 4 + kRoomX <= usable.w &&
         (kHeight * (q + 1) + 2) / 4 + kRoomY <= usable.h) {
    ++q;
  }
  return q;
}

void draw_text(SDL_Surface* target, TTF_Font* font, const std::string& text, int x, int y) {
  if (text.empty()) {
    return;
  }
  SDL_Surface* line = TTF_RenderUTF8_Blended(font, text.c_str(), SDL_Color{255, 255, 255, 255});
  if (line == nullptr) {
    return;
  }
  SDL_Rect at{x, y, line->w, line->h};
  SDL_BlitSurface(line, nullptr, target, &at);
  SDL_FreeSurface(line);
}

void present(SDL_Window* window, TTF_Font* font, int quarters, const std::string& echo) {
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (surface == nullptr) {
    return;
  }
  SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
  draw_text(surface, font, kLine, 4 * quarters, 4 * quarters);
  draw_text(surface, font, echo, 4 * quarters, 10 * quarters);
  SDL_UpdateWindowSurface(window);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && !(argc == 4 && std::strcmp(argv[2], "--exec") == 0)) {
    std::fprintf(stderr, "usage: %s <font file> [--exec N]\n", argv[0]);
    return 2;
  }
  const char* font_file = argv[1];
  const long hand_overs = argc == 4 ? std::strtol(argv[3], nullptr, 10) : 0;

  // As the console does: the input method closed, the software path.
  setenv("XMODIFIERS", "@im=none", 1);
  setenv("SDL_IM_MODULE", "none", 1);
  setenv("IBUS_ADDRESS", "unix:path=/nonexistent", 1);
  // No compose sequences either: the table of the locale is parsed at every
  // start (tens of millions of instructions) for keys a JIS keyboard lacks.
  setenv("XCOMPOSEFILE", "/dev/null", 1);
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  // Set before SDL_Init, it stays the one in effect through SDL_Quit.
  xlib_default_handler = XSetErrorHandler(pass_late_wakeups);
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    give_up("cannot start the display", SDL_GetError());
  }
  if (TTF_Init() != 0) {
    give_up("cannot start SDL_ttf", TTF_GetError());
  }
  const int quarters = pick_quarters();
  SDL_Window* window =
      SDL_CreateWindow("floor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                       kWidth * quarters / 4, (kHeight * quarters + 2) / 4, SDL_WINDOW_SHOWN);
  if (window == nullptr) {
    give_up("cannot open the window", SDL_GetError());
  }
  TTF_Font* font = TTF_OpenFont(font_file, 4 * quarters);
  if (font == nullptr) {
    give_up(font_file, TTF_GetError());
  }
  SDL_StartTextInput();

  std::string echo;
  present(window, font, quarters, echo);
  bool hand_over = false;
  bool running = true;
  while (running && !hand_over) {
    SDL_Event ev;
    if (SDL_WaitEvent(&ev) == 0) {
      give_up("cannot wait for events", SDL_GetError());
    }
    // One key press queues a key-down and its text together: take everything
    // that is waiting, then draw once.
    bool changed = false;
    bool exposed = false;
    do {
      switch (ev.type) {
        case SDL_QUIT:
          running = false;
          break;
        case SDL_WINDOWEVENT:
          if (ev.window.event == SDL_WINDOWEVENT_EXPOSED) {
            exposed = true;
          } else if (ev.window.event == SDL_WINDOWEVENT_CLOSE) {
            running = false;
          }
          break;
        case SDL_KEYDOWN:
          if (ev.key.keysym.sym == SDLK_ESCAPE) {
            running = false;
          } else if (ev.key.keysym.sym == SDLK_F1 && hand_overs > 0) {
            hand_over = true;
          } else {
            echo = std::string("キー: ") + SDL_GetKeyName(ev.key.keysym.sym);
            changed = true;
          }
          break;
        case SDL_TEXTINPUT:
          echo = std::string("キー: ") + ev.text.text;
          changed = true;
          break;
        default:
          break;
      }
    } while (running && !hand_over && SDL_PollEvent(&ev) != 0);
    if (running && !hand_over) {
      if (changed) {
        present(window, font, quarters, echo);
      } else if (exposed) {
        SDL_UpdateWindowSurface(window);
      }
    }
  }

  SDL_DestroyWindow(window);
  TTF_CloseFont(font);
  TTF_Quit();
  SDL_Quit();
  if (hand_over) {
    std::fflush(nullptr);
    const std::string next = std::to_string(hand_overs - 1);
    char flag[] = "--exec";
    char* args[] = {argv[0], argv[1], flag, const_cast<char*>(next.c_str()), nullptr};
    ::execv("/proc/self/exe", args);
    std::fprintf(stderr, "floor: cannot start again: %s\n", std::strerror(errno));
    return EXIT_FAILURE;
  }
  return EXIT_SUCCESS;
}
