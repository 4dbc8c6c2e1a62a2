#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "console/screen.h"
#include "console/viewport.h"

namespace tutor {

// The box of one or two text cells in a window, and the font size for it.
struct GlyphBox {
  int font_pixels;
  int width;
  int height;
  friend constexpr auto operator<=>(const GlyphBox&, const GlyphBox&) = default;
};

// A glyph drawn into the box of its cells, one coverage value 0-255 per pixel.
struct GlyphMask {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> coverage;
  // The rows and columns holding any coverage (mask coordinates, inclusive);
  // composing looks at nothing outside them.
  PixelRect ink = {0, 0, -1, -1};

  // Sets `ink` from the coverage.
  void find_ink();
};

// Where glyphs come from: a font, or nothing (text then composes as nothing).
class GlyphSource {
 public:
  virtual ~GlyphSource() = default;
  // The glyph of `ch` rendered for a box; nullptr when the font has none.
  virtual const GlyphMask* glyph(char32_t ch, GlyphBox box) = 0;
};

// A composed picture, 0xAARRGGBB per pixel.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;
};

// How a target's 32-bit pixels hold their channels: 0xAARRGGBB (a window's
// surface), or 0xAABBGGRR (a canvas's bytes R, G, B, A read on a
// little-endian machine).
enum class ChannelOrder { Argb, Abgr };

// Pixels to compose into (the top byte may be ignored), rows `pitch` pixels
// apart.
struct PixelTarget {
  std::uint32_t* pixels;
  int width;
  int height;
  int pitch;
  ChannelOrder order = ChannelOrder::Argb;
};

// Composes both planes into a window: every surface pixel a block of the
// viewport, every glyph over it in its colour, rendered for its cells' box.
// Only the part of the surface inside `area` is composed, and it comes out
// exactly as it does in the whole picture.
void compose_area(const Screen& screen,
                  const Viewport& view,
                  GlyphSource* glyphs,
                  PixelTarget out,
                  PixelRect area);
// The black bars round the surface, where the window's shape differs from it.
void compose_bars(const Viewport& view, PixelTarget out);
// The whole window: the surface and the black bars round it.
void compose(const Screen& screen, const Viewport& view, GlyphSource* glyphs, Picture& out);
// The surface `scale` times over, in a picture of its own.
void compose(const Screen& screen, int scale, GlyphSource* glyphs, Picture& out);

}  // namespace tutor
