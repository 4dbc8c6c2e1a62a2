#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "console/colour.h"
#include "console/geometry.h"

namespace tutor {

// 640x450 pixels of palette indices. Everything is in pixels and clipped to
// the surface; the design-unit conversion happens in the console above it.
class GraphicsPlane {
 public:
  GraphicsPlane() { clear(); }

  void clear() { pixels_.fill(0); }
  void set(Point p, Colour c);
  [[nodiscard]] Colour at(Point p) const;
  void fill_rect(PixelRect r, Colour c);
  void outline_rect(PixelRect r, Colour c);
  void line(Point a, Point b, Colour c);
  // Fills the 4-connected region around `seed` that holds no pixel of
  // `border`, with `paint`. A seed on the border colour changes nothing.
  void flood_fill(Point seed, Colour paint, Colour border);

  [[nodiscard]] std::span<const std::uint8_t> pixels() const { return pixels_; }

 private:
  static constexpr bool inside(Point p) {
    return p.x >= 0 && p.x < kSurfaceWidth && p.y >= 0 && p.y < kSurfaceHeight;
  }
  std::array<std::uint8_t, kSurfaceWidth * kSurfaceHeight> pixels_{};
};

// One cell of the text plane. A full-width character lives in its left cell
// (Shape::WideLeft) and marks the cell to its right as Shape::WideRight.
struct TextCell {
  enum class Shape : std::uint8_t { Empty, Narrow, WideLeft, WideRight };
  char32_t ch = 0;
  Shape shape = Shape::Empty;
  Colour colour = 7;
};

// The 80x25 character plane over the graphics. Blanks erase; a character that
// would pass column 79 is dropped (no wrapping, no scrolling).
class TextPlane {
 public:
  void clear();
  // Writes `utf8` from `at` in colour `c`; returns the cell after the text.
  Cell print(Cell at, Colour c, std::string_view utf8);

  [[nodiscard]] const TextCell& cell(Cell at) const { return cells_[at.row][at.col]; }
  // The characters of a row as a string: an empty cell reads as a blank, a
  // full-width character once. For tests and diagnostics.
  [[nodiscard]] std::string row_text(int row) const;
  // `width` cells of a row from `col`, read the same way.
  [[nodiscard]] std::string text_at(Cell at, int width) const;

 private:
  void erase(int row, int col);
  std::array<std::array<TextCell, kColumns>, kRows> cells_{};
};

// Both planes of the console.
struct Screen {
  GraphicsPlane graphics;
  TextPlane text;
};

}  // namespace tutor
