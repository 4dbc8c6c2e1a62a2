#include "console/sdl_surface.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace tutor {
namespace {

// The window surface's own pixels when they are 0xXXRRGGBB and hold the
// whole viewport.
std::optional<PixelTarget> direct_target(SDL_Surface* surface, const Viewport& view) {
  const SDL_PixelFormat& f = *surface->format;
  if (f.BytesPerPixel != 4 || f.Rmask != 0xff0000 || f.Gmask != 0xff00 || f.Bmask != 0xff ||
      surface->w < view.window_width() || surface->h < view.window_height()) {
    return std::nullopt;
  }
  return PixelTarget{static_cast<std::uint32_t*>(surface->pixels), surface->w, surface->h,
                     surface->pitch / 4};
}

}  // namespace

void show_on_window(SDL_Window* window,
                    const Screen& screen,
                    const Viewport& view,
                    GlyphSource* glyphs,
                    Picture& picture,
                    PixelRect area,
                    bool whole) {
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (surface == nullptr) {
    return;
  }
  if (const auto target = direct_target(surface, view)) {
    SDL_LockSurface(surface);
    if (whole) {
      compose_bars(view, *target);
    }
    compose_area(screen, view, glyphs, *target, area);
    SDL_UnlockSurface(surface);
  } else {
    compose(screen, view, glyphs, picture);
    SDL_ConvertPixels(std::min(surface->w, picture.width), std::min(surface->h, picture.height),
                      SDL_PIXELFORMAT_ARGB8888, picture.argb.data(), picture.width * 4,
                      surface->format->format, surface->pixels, surface->pitch);
    whole = true;
  }
  if (whole) {
    SDL_UpdateWindowSurface(window);
    return;
  }
  const PixelRect shown = view.window_area(area);
  const SDL_Rect r = {shown.x1, shown.y1, shown.x2 - shown.x1 + 1, shown.y2 - shown.y1 + 1};
  SDL_UpdateWindowSurfaceRects(window, &r, 1);
}

}  // namespace tutor
