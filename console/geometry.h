#pragma once

#include <compare>

namespace tutor {

// The drawing surface in pixels, and the text grid laid over it.
inline constexpr int kSurfaceWidth = 640;
inline constexpr int kSurfaceHeight = 450;
inline constexpr int kColumns = 80;
inline constexpr int kRows = 25;
inline constexpr int kCellWidth = 8;    // pixels
inline constexpr int kCellHeight = 18;  // pixels: 16 design units scaled by 9/8

// A position on the surface in pixels (mouse positions, pixel reads).
struct Point {
  int x = 0;
  int y = 0;
  friend constexpr bool operator==(Point, Point) = default;
};

// A position in design units: x is in pixels, y in the 400-line design space.
struct DesignPoint {
  int x = 0;
  int y = 0;
  friend constexpr bool operator==(DesignPoint, DesignPoint) = default;
};

// A text cell: column 0-79, row 0-24.
struct Cell {
  int col = 0;
  int row = 0;
  friend constexpr bool operator==(Cell, Cell) = default;
};

// Design y -> pixel row. Every conversion of a design y, including the half-unit
// seed of a frame box, goes through here: y * 9/8 rounded half up.
[[nodiscard]] constexpr int pixel_y_from_halves(int twice_design_y) {
  const int n = 9 * twice_design_y + 8;  // (2y * 9/8) / 2 + 1/2, times 16
  return n >= 0 ? n / 16 : -((-n + 15) / 16);
}
[[nodiscard]] constexpr int pixel_y(int design_y) {
  return pixel_y_from_halves(2 * design_y);
}
// A point given in half design units (a frame box's centre): x is not scaled
// and a half pixel rounds up, as a half unit of y does.
[[nodiscard]] constexpr Point pixel_from_halves(int twice_x, int twice_y) {
  return {(twice_x + 1) / 2, pixel_y_from_halves(twice_y)};
}
[[nodiscard]] constexpr Point to_pixels(DesignPoint p) {
  return {p.x, pixel_y(p.y)};
}

// A pixel rectangle, both corners inclusive.
struct PixelRect {
  int x1 = 0;
  int y1 = 0;
  int x2 = 0;
  int y2 = 0;
  friend constexpr bool operator==(PixelRect, PixelRect) = default;
  [[nodiscard]] constexpr bool contains(Point p) const {
    return p.x >= x1 && p.x <= x2 && p.y >= y1 && p.y <= y2;
  }
};

// A rectangle in design units, both corners inclusive.
struct Rect {
  int x1 = 0;
  int y1 = 0;
  int x2 = 0;
  int y2 = 0;
  friend constexpr bool operator==(Rect, Rect) = default;

  [[nodiscard]] constexpr PixelRect to_pixels() const { return {x1, pixel_y(y1), x2, pixel_y(y2)}; }
  // Hit test of a pointer in pixels against the exact scaled bounds, edges
  // included: x1 <= x <= x2 and y1*Q <= y <= y2*Q.
  [[nodiscard]] constexpr bool contains_pixel(Point p) const {
    return p.x >= x1 && p.x <= x2 && 8 * p.y >= 9 * y1 && 8 * p.y <= 9 * y2;
  }
  // The same rectangle grown by `d` units on every side.
  [[nodiscard]] constexpr Rect grown(int d) const { return {x1 - d, y1 - d, x2 + d, y2 + d}; }
};

// A pointer area with the x range half-open and the y range open:
// x1 <= x < x2 and y1*Q < y < y2*Q, as the exit boxes test it.
struct OpenArea {
  int x1 = 0;
  int y1 = 0;
  int x2 = 0;
  int y2 = 0;
  [[nodiscard]] constexpr bool contains_pixel(Point p) const {
    return p.x >= x1 && p.x < x2 && 8 * p.y > 9 * y1 && 8 * p.y < 9 * y2;
  }
};

}  // namespace tutor
