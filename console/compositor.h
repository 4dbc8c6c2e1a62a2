#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "console/screen.h"

namespace tutor {

// A glyph drawn into the box of its cells: `cells` * 8 * scale pixels wide,
// 18 * scale high, one coverage value 0-255 per pixel.
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
  // The glyph of `ch` for a box of `cells` cells at `scale`; nullptr when the
  // font has none.
  virtual const GlyphMask* glyph(char32_t ch, int cells, int scale) = 0;
};

// A composed picture, 0xAARRGGBB per pixel.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> argb;
};

// Pixels to compose into, 0xAARRGGBB (the top byte may be ignored), rows
// `pitch` pixels apart.
struct PixelTarget {
  std::uint32_t* pixels;
  int width;
  int height;
  int pitch;
};

// Composes both planes `scale` times over: every graphics pixel a scale x
// scale block, every glyph over it in its colour. Only the part of the
// surface inside `area` is composed, and it comes out exactly as it does in
// the whole picture.
void compose_area(const Screen& screen,
                  int scale,
                  GlyphSource* glyphs,
                  PixelTarget out,
                  PixelRect area);
// The whole surface into a picture of its own.
void compose(const Screen& screen, int scale, GlyphSource* glyphs, Picture& out);

// Writes a picture as an uncompressed PNG; false when the file cannot be written.
[[nodiscard]] bool write_png(const Picture& picture, const std::filesystem::path& file);

}  // namespace tutor
