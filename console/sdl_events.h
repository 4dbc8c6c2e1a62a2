#pragma once

#include <SDL.h>

#include <optional>

#include "console/backend.h"
#include "console/viewport.h"

namespace tutor {

// What one SDL event means: an event for the program, what the window itself
// has to do, and where the pointer now is. Nothing else is read or changed.
struct TranslatedEvent {
  enum class WindowDoes { Nothing, Close, Refit, Redraw, ToggleFullscreen };
  Event event;  // Event::Kind::None: nothing for the program
  WindowDoes window = WindowDoes::Nothing;
  std::optional<Point> pointer;  // on the surface; {-1, -1} on a bar round it
};

// Printable characters come as text input; key-downs give the keys that type
// no text, Ctrl with a letter, F1-F10 and F12. The window keeps F11 and
// Alt+Enter (fullscreen) for itself; modifiers alone, the input-mode keys and
// the other function keys give nothing. Of the mouse, only the left button
// clicks; the second press of a double-click is the double-click alone.
//
// With `keys_by_place`, a key-down of the typing area is its place (from the
// scancode, which names the key's position whatever the map) with the Shift
// state, and text input gives nothing. Ctrl with a letter and the keys that
// type no text stay as they are.
[[nodiscard]] TranslatedEvent translate_event(const SDL_Event& ev,
                                              const Viewport& view,
                                              bool keys_by_place = false);

// The place of a typing-area key's scancode, or nothing for another key.
[[nodiscard]] std::optional<KeyPlace> place_of(SDL_Scancode code);

}  // namespace tutor
