#include "console/sdl_events.h"

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

using WindowDoes = TranslatedEvent::WindowDoes;

Event key(std::string_view text) {
  return {Event::Kind::Key, std::string(text), 0, {}};
}

TranslatedEvent key_down(const SDL_Keysym& keysym) {
  const SDL_Keycode k = keysym.sym;
  // The window's own keys: not typing, and nothing else on any screen.
  if (k == SDLK_F11 || (k == SDLK_RETURN && (keysym.mod & KMOD_ALT) != 0)) {
    return {{}, WindowDoes::ToggleFullscreen, {}};
  }
  if ((k >= SDLK_F1 && k <= SDLK_F10) || k == SDLK_F12) {
    return {{Event::Kind::FunctionKey, {}, static_cast<int>(k - SDLK_F1) + 1, {}}, {}, {}};
  }
  // Ctrl with a letter types no text: it is its control code.
  if ((keysym.mod & KMOD_CTRL) != 0 && k >= SDLK_a && k <= SDLK_z) {
    return {key(std::string(1, keys::control_code(static_cast<char>(k)))), {}, {}};
  }
  const std::string_view code = key_code(k);
  return {code.empty() ? Event{} : key(code), {}, {}};
}

}  // namespace

TranslatedEvent translate_event(const SDL_Event& ev, const Viewport& view) {
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
      return {key(ev.text.text), {}, {}};
    case SDL_KEYDOWN:
      return key_down(ev.key.keysym);
    case SDL_MOUSEMOTION:
      return {{}, {}, on_surface(ev.motion.x, ev.motion.y)};
    case SDL_MOUSEBUTTONDOWN: {
      if (ev.button.button != SDL_BUTTON_LEFT) {
        return {};
      }
      const Point at = on_surface(ev.button.x, ev.button.y);
      return {
          {ev.button.clicks % 2 == 0 ? Event::Kind::DoubleClick : Event::Kind::Click, {}, 0, at},
          {},
          at};
    }
    default:
      return {};
  }
}

}  // namespace tutor
