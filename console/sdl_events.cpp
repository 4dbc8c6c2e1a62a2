#include "console/sdl_events.h"

#include <array>
#include <string>
#include <string_view>

namespace tutor {
namespace {

// The console's code of a key that types no text; empty for the others.
std::string_view key_code(SDL_Keycode k) {
  switch (k) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return keys::kEnter;
    case SDLK_RIGHT:
      return keys::kRight;
    case SDLK_LEFT:
      return keys::kLeft;
    case SDLK_UP:
      return keys::kUp;
    case SDLK_DOWN:
      return keys::kDown;
    case SDLK_BACKSPACE:
      return keys::kBackspace;
    case SDLK_ESCAPE:
      return keys::kEscape;
    case SDLK_TAB:
      return keys::kTab;
    case SDLK_HOME:
      return keys::kHome;
    case SDLK_PAGEUP:
      return keys::kPageUp;
    case SDLK_END:
      return keys::kEnd;
    case SDLK_PAGEDOWN:
      return keys::kPageDown;
    case SDLK_INSERT:
      return keys::kInsert;
    case SDLK_DELETE:
      return keys::kDelete;
    default:
      return {};
  }
}

// The scancodes of the typing area, row by row from column 0. SDL names a
// scancode after the key a US keyboard has there; the JIS keys it lacks are
// INTERNATIONAL3 (the ¥ key, E13) and INTERNATIONAL1 (the ろ key, B11). The
// key left of Enter on ISO keyboards (NONUSHASH) stands where ] does on JIS.
struct ScancodeRow {
  char row;
  std::array<SDL_Scancode, 14> codes;  // SDL_SCANCODE_UNKNOWN: no key there
};
// clang-format off
constexpr std::array<ScancodeRow, 4> kTypingArea = {{
    {'E', {SDL_SCANCODE_GRAVE, SDL_SCANCODE_1, SDL_SCANCODE_2, SDL_SCANCODE_3, SDL_SCANCODE_4,
           SDL_SCANCODE_5, SDL_SCANCODE_6, SDL_SCANCODE_7, SDL_SCANCODE_8, SDL_SCANCODE_9,
           SDL_SCANCODE_0, SDL_SCANCODE_MINUS, SDL_SCANCODE_EQUALS, SDL_SCANCODE_INTERNATIONAL3}},
    {'D', {SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_Q, SDL_SCANCODE_W, SDL_SCANCODE_E, SDL_SCANCODE_R,
           SDL_SCANCODE_T, SDL_SCANCODE_Y, SDL_SCANCODE_U, SDL_SCANCODE_I, SDL_SCANCODE_O,
           SDL_SCANCODE_P, SDL_SCANCODE_LEFTBRACKET, SDL_SCANCODE_RIGHTBRACKET,
           SDL_SCANCODE_UNKNOWN}},
    {'C', {SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_A, SDL_SCANCODE_S, SDL_SCANCODE_D, SDL_SCANCODE_F,
           SDL_SCANCODE_G, SDL_SCANCODE_H, SDL_SCANCODE_J, SDL_SCANCODE_K, SDL_SCANCODE_L,
           SDL_SCANCODE_SEMICOLON, SDL_SCANCODE_APOSTROPHE, SDL_SCANCODE_BACKSLASH,
           SDL_SCANCODE_UNKNOWN}},
    {'B', {SDL_SCANCODE_NONUSBACKSLASH, SDL_SCANCODE_Z, SDL_SCANCODE_X, SDL_SCANCODE_C,
           SDL_SCANCODE_V, SDL_SCANCODE_B, SDL_SCANCODE_N, SDL_SCANCODE_M, SDL_SCANCODE_COMMA,
           SDL_SCANCODE_PERIOD, SDL_SCANCODE_SLASH, SDL_SCANCODE_INTERNATIONAL1,
           SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_UNKNOWN}},
}};
// clang-format on

using WindowDoes = TranslatedEvent::WindowDoes;

Event key(std::string_view text) {
  return {Event::Kind::Key, std::string(text), 0, {}, {}, false};
}

TranslatedEvent key_down(const SDL_Keysym& keysym, bool keys_by_place) {
  const SDL_Keycode k = keysym.sym;
  // The window's own keys: not typing, and nothing else on any screen.
  if (k == SDLK_F11 || (k == SDLK_RETURN && (keysym.mod & KMOD_ALT) != 0)) {
    return {{}, WindowDoes::ToggleFullscreen, {}};
  }
  if ((k >= SDLK_F1 && k <= SDLK_F10) || k == SDLK_F12) {
    return {
        {Event::Kind::FunctionKey, {}, static_cast<int>(k - SDLK_F1) + 1, {}, {}, false}, {}, {}};
  }
  // Ctrl with a letter types no text: it is its control code.
  if ((keysym.mod & KMOD_CTRL) != 0 && k >= SDLK_a && k <= SDLK_z) {
    return {key(std::string(1, keys::control_code(static_cast<char>(k)))), {}, {}};
  }
  if (keys_by_place) {
    if (const auto place = place_of(keysym.scancode)) {
      return {{Event::Kind::PlacedKey, {}, 0, {}, *place, (keysym.mod & KMOD_SHIFT) != 0}, {}, {}};
    }
  }
  const std::string_view code = key_code(k);
  return {code.empty() ? Event{} : key(code), {}, {}};
}

}  // namespace

std::optional<KeyPlace> place_of(SDL_Scancode code) {
  if (code == SDL_SCANCODE_UNKNOWN) {
    return std::nullopt;
  }
  if (code == SDL_SCANCODE_NONUSHASH) {
    return KeyPlace{'C', 12};
  }
  for (const ScancodeRow& row : kTypingArea) {
    for (std::size_t column = 0; column < row.codes.size(); ++column) {
      if (row.codes[column] == code) {
        return KeyPlace{row.row, static_cast<int>(column)};
      }
    }
  }
  return std::nullopt;
}

TranslatedEvent translate_event(const SDL_Event& ev, const Viewport& view, bool keys_by_place) {
  auto on_surface = [&](int x, int y) { return view.to_surface({x, y}).value_or(Point{-1, -1}); };
  switch (ev.type) {
    case SDL_QUIT:
      return {{}, WindowDoes::Close, {}};
    case SDL_WINDOWEVENT:
      switch (ev.window.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          return {{}, WindowDoes::Refit, {}};
        case SDL_WINDOWEVENT_EXPOSED:
        case SDL_WINDOWEVENT_RESTORED:
          return {{}, WindowDoes::Redraw, {}};
        case SDL_WINDOWEVENT_CLOSE:
          return {{}, WindowDoes::Close, {}};
        default:
          return {};
      }
    case SDL_TEXTINPUT:
      return keys_by_place ? TranslatedEvent{} : TranslatedEvent{key(ev.text.text), {}, {}};
    case SDL_KEYDOWN:
      return key_down(ev.key.keysym, keys_by_place);
    case SDL_MOUSEMOTION:
      return {{}, {}, on_surface(ev.motion.x, ev.motion.y)};
    case SDL_MOUSEBUTTONDOWN: {
      if (ev.button.button != SDL_BUTTON_LEFT) {
        return {};
      }
      const Point at = on_surface(ev.button.x, ev.button.y);
      return {{ev.button.clicks % 2 == 0 ? Event::Kind::DoubleClick : Event::Kind::Click,
               {},
               0,
               at,
               {},
               false},
              {},
              at};
    }
    default:
      return {};
  }
}

}  // namespace tutor
