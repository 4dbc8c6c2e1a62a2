#include "console/sdl_events.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <tuple>

namespace tutor {
namespace {

using WindowDoes = TranslatedEvent::WindowDoes;

SDL_Event key_down(SDL_Keycode k, Uint16 mod = KMOD_NONE) {
  SDL_Event ev{};
  ev.type = SDL_KEYDOWN;
  ev.key.keysym.sym = k;
  ev.key.keysym.mod = mod;
  return ev;
}

SDL_Event text(const char* typed) {
  SDL_Event ev{};
  ev.type = SDL_TEXTINPUT;
  std::strncpy(ev.text.text, typed, sizeof ev.text.text - 1);
  return ev;
}

SDL_Event button(Uint8 which, int x, int y, Uint8 clicks) {
  SDL_Event ev{};
  ev.type = SDL_MOUSEBUTTONDOWN;
  ev.button.button = which;
  ev.button.x = x;
  ev.button.y = y;
  ev.button.clicks = clicks;
  return ev;
}

// What a learner's keystroke becomes: characters come as text, key-downs give
// only the keys that type none, and the window's own keys never reach a program.
TEST(SdlEvents, EveryKeystrokeIsTheKeyTheProgramExpects) {
  const Viewport view = Viewport::at_scale(1);
  const std::pair<SDL_Event, std::string_view> keys[] = {
      {text("f"), "f"},
      {text("F"), "F"},  // with Shift: the shifted character, from the text
      {text("ー"), "ー"},
      {key_down(SDLK_a, KMOD_LCTRL), "\x01"},
      {key_down(SDLK_z, KMOD_RCTRL), "\x1a"},
      {key_down(SDLK_RETURN), keys::kEnter},
      {key_down(SDLK_KP_ENTER), keys::kEnter},
      {key_down(SDLK_TAB), keys::kTab},
      {key_down(SDLK_BACKSPACE), keys::kBackspace},
      {key_down(SDLK_ESCAPE), keys::kEscape},
      {key_down(SDLK_UP), keys::kUp},
      {key_down(SDLK_HOME), keys::kHome},
      {key_down(SDLK_PAGEUP), keys::kPageUp},
      {key_down(SDLK_END), keys::kEnd},
      {key_down(SDLK_PAGEDOWN), keys::kPageDown},
      {key_down(SDLK_INSERT), keys::kInsert},
      {key_down(SDLK_DELETE), keys::kDelete},
  };
  for (const auto& [ev, expected] : keys) {
    const TranslatedEvent t = translate_event(ev, view);
    EXPECT_EQ(t.event.kind, Event::Kind::Key) << expected;
    EXPECT_EQ(t.event.key, expected);
    EXPECT_EQ(t.window, WindowDoes::Nothing);
  }
  // A letter's key-down types nothing itself (its text follows), nor do the
  // modifiers, the input-mode keys of the JIS keyboard (Hiragana_Katakana,
  // Henkan, Muhenkan, Zenkaku_Hankaku as SDL gives them) or F13.
  for (const SDL_Keycode k : std::initializer_list<SDL_Keycode>{
           SDLK_f, SDLK_LSHIFT, SDLK_LCTRL, SDLK_CAPSLOCK, SDLK_F13,
           SDL_SCANCODE_TO_KEYCODE(SDL_SCANCODE_INTERNATIONAL2),
           SDL_SCANCODE_TO_KEYCODE(SDL_SCANCODE_INTERNATIONAL4),
           SDL_SCANCODE_TO_KEYCODE(SDL_SCANCODE_INTERNATIONAL5),
           SDL_SCANCODE_TO_KEYCODE(SDL_SCANCODE_LANG5), SDLK_UNKNOWN}) {
    const TranslatedEvent t = translate_event(key_down(k), view);
    EXPECT_EQ(t.event.kind, Event::Kind::None) << k;
    EXPECT_EQ(t.window, WindowDoes::Nothing) << k;
  }
  EXPECT_EQ(translate_event(key_down(SDLK_F1), view).event.function_key, 1);
  EXPECT_EQ(translate_event(key_down(SDLK_F10), view).event.function_key, 10);
  EXPECT_EQ(translate_event(key_down(SDLK_F12), view).event.function_key, 12);
  for (const SDL_Event& ev : {key_down(SDLK_F11), key_down(SDLK_RETURN, KMOD_LALT)}) {
    const TranslatedEvent t = translate_event(ev, view);
    EXPECT_EQ(t.event.kind, Event::Kind::None);
    EXPECT_EQ(t.window, WindowDoes::ToggleFullscreen);
  }
}

SDL_Event scancode_down(SDL_Scancode code, SDL_Keycode sym, Uint16 mod = KMOD_NONE) {
  SDL_Event ev = key_down(sym, mod);
  ev.key.keysym.scancode = code;
  return ev;
}

// Keys read by place: the scancode names the key whatever the keyboard map
// types with it (the JIS keys as X's jp106 keycodes arrive, the ろ and ¥
// keys under a us map with no keysym at all); text gives nothing, and the
// keys that type no text stay as they are.
TEST(SdlEvents, KeysReadByPlaceComeFromTheScancode) {
  const Viewport view = Viewport::at_scale(1);
  const std::tuple<SDL_Event, KeyPlace, bool> placed[] = {
      {scancode_down(SDL_SCANCODE_1, SDLK_1), {'E', 1}, false},
      {scancode_down(SDL_SCANCODE_Q, SDLK_a, KMOD_LSHIFT), {'D', 1}, true},  // an AZERTY map
      {scancode_down(static_cast<SDL_Scancode>(47), SDLK_AT), {'D', 11}, false},
      {scancode_down(static_cast<SDL_Scancode>(48), SDLK_LEFTBRACKET), {'D', 12}, false},
      {scancode_down(static_cast<SDL_Scancode>(52), SDLK_COLON), {'C', 11}, false},
      {scancode_down(static_cast<SDL_Scancode>(49), SDLK_RIGHTBRACKET), {'C', 12}, false},
      {scancode_down(SDL_SCANCODE_NONUSHASH, SDLK_HASH), {'C', 12}, false},
      {scancode_down(static_cast<SDL_Scancode>(135), SDLK_UNKNOWN, KMOD_RSHIFT), {'B', 11}, true},
      {scancode_down(static_cast<SDL_Scancode>(137), SDLK_UNKNOWN), {'E', 13}, false},
      {scancode_down(SDL_SCANCODE_GRAVE, SDLK_BACKQUOTE), {'E', 0}, false},
      {scancode_down(SDL_SCANCODE_NONUSBACKSLASH, SDLK_LESS), {'B', 0}, false},
      {scancode_down(SDL_SCANCODE_SLASH, SDLK_SLASH), {'B', 10}, false},
  };
  for (const auto& [ev, place, shift] : placed) {
    const TranslatedEvent t = translate_event(ev, view, true);
    EXPECT_EQ(t.event.kind, Event::Kind::PlacedKey) << ev.key.keysym.scancode;
    EXPECT_EQ(t.event.place, place) << ev.key.keysym.scancode;
    EXPECT_EQ(t.event.shift, shift) << ev.key.keysym.scancode;
    EXPECT_EQ(translate_event(ev, view).event.kind, Event::Kind::None);  // not read by place
  }
  EXPECT_EQ(translate_event(text("か"), view, true).event.kind, Event::Kind::None);
  EXPECT_EQ(
      translate_event(scancode_down(SDL_SCANCODE_A, SDLK_a, KMOD_LCTRL), view, true).event.key,
      "\x01");
  EXPECT_EQ(translate_event(scancode_down(SDL_SCANCODE_RETURN, SDLK_RETURN), view, true).event.key,
            keys::kEnter);
  EXPECT_EQ(translate_event(scancode_down(SDL_SCANCODE_INTERNATIONAL2,
                                          SDL_SCANCODE_TO_KEYCODE(SDL_SCANCODE_INTERNATIONAL2)),
                            view, true)
                .event.kind,
            Event::Kind::None);
}

TEST(SdlEvents, ClicksLandOnTheSurfaceThroughTheViewport) {
  const Viewport wide = Viewport::fitting(1100, 700);  // bars left and right
  const int left = wide.content().x1;
  TranslatedEvent t = translate_event(button(SDL_BUTTON_LEFT, left, 0, 1), wide);
  EXPECT_EQ(t.event.kind, Event::Kind::Click);
  EXPECT_EQ(t.event.pointer, (Point{0, 0}));
  t = translate_event(button(SDL_BUTTON_LEFT, left + wide.content_width() - 1, 699, 2), wide);
  EXPECT_EQ(t.event.kind, Event::Kind::DoubleClick);
  EXPECT_EQ(t.event.pointer, (Point{639, 449}));
  t = translate_event(button(SDL_BUTTON_LEFT, left - 1, 300, 1), wide);  // on the bar
  EXPECT_EQ(t.event.pointer, (Point{-1, -1}));
  EXPECT_EQ(translate_event(button(SDL_BUTTON_RIGHT, 500, 300, 1), wide).event.kind,
            Event::Kind::None);

  SDL_Event close{};
  close.type = SDL_WINDOWEVENT;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  EXPECT_EQ(translate_event(close, wide).window, WindowDoes::Close);
  close.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
  EXPECT_EQ(translate_event(close, wide).window, WindowDoes::Refit);
}

}  // namespace
}  // namespace tutor
