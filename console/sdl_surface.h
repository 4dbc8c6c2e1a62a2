#pragma once

#include <SDL.h>

#include "console/compositor.h"
#include "console/screen.h"
#include "console/viewport.h"

namespace tutor {

// Composes an area of the screen (surface pixels) into a window and shows it;
// `whole` also draws the bars round the screen and sends the whole window.
// The window surface keeps what it was last given, so a frame only recomposes
// and sends what changed. `picture` is used only where the window's pixels
// are not 0xXXRRGGBB.
void show_on_window(SDL_Window* window,
                    const Screen& screen,
                    const Viewport& view,
                    GlyphSource* glyphs,
                    Picture& picture,
                    PixelRect area,
                    bool whole);

}  // namespace tutor
