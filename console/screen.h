#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "console/colour.h"
#include "console/geometry.h"

namespace tutor {

// The part of the surface changed since it was last taken: one rectangle
// round every change, so that a frame recomposes and sends only that.
class ChangedArea {
 public:
  // Adds a rectangle, clipped to the surface.
  void add(PixelRect r);
  void add_all() { add({0, 0, kSurfaceWidth - 1, kSurfaceHeight - 1}); }
  // The area, and nothing changed from now on.
  [[nodiscard]] std::optional<PixelRect> take();

 private:
  std::optional<PixelRect> area_;
};

// 640x450 pixels of palette indices. Everything is in pixels and clipped to
// the surface; the design-unit conversion happens in the console above it.
class GraphicsPlane {
 public:
  GraphicsPlane() { clear(); }

  void clear() {
    pixels_.fill(0);
    changed_.add_all();
  }
  void set(Point p, Colour c);
  [[nodiscard]] Colour at(Point p) const;
  void fill_rect(PixelRect r, Colour c);
  void outline_rect(PixelRect r, Colour c);
  void line(Point a, Point b, Colour c);
  // Fills the 4-connected region around `seed` that holds no pixel of
  // `border`, with `paint`. A seed on the border colour changes nothing.
  void flood_fill(Point seed, Colour paint, Colour border);

  [[nodiscard]] std::span<const std::uint8_t> pixels() const { return pixels_; }
  ChangedArea& changed() { return changed_; }

 private:
  static constexpr bool inside(Point p) {
    return p.x >= 0 && p.x < kSurfaceWidth && p.y >= 0 && p.y < kSurfaceHeight;
  }
  std::array<std::uint8_t, kSurfaceWidth * kSurfaceHeight> pixels_{};
  ChangedArea changed_;
};

// One cell of the text plane. A full-width character lives in its left cell
// (Shape::WideLeft) and marks the cell to its right as Shape::WideRight. A
// character printed at double size lives in its top-left cell (size 2) and
// covers the cells right of it and below (Shape::Covered), each of which
// knows how far back and up its character is.
struct TextCell {
  enum class Shape : std::uint8_t { Empty, Narrow, WideLeft, WideRight, Covered };
  char32_t ch = 0;
  Shape shape = Shape::Empty;
  Colour colour = kGrey;
  std::uint8_t size = 1;  // of the character that starts here: 1 or 2
  std::uint8_t back = 0;  // Covered: columns to the character's cell
  std::uint8_t up = 0;    // Covered: rows to it
};

// The 80x25 character plane over the graphics. Blanks erase; a character that
// would pass column 79 is dropped (no wrapping, no scrolling).
class TextPlane {
 public:
  TextPlane() { changed_.add_all(); }
  void clear();
  // Writes `utf8` from `at` in colour `c`; returns the cell after the text.
  Cell print(Cell at, Colour c, std::string_view utf8);
  // The same at double size: each character twice as wide and two rows high.
  Cell print_large(Cell at, Colour c, std::string_view utf8);

  [[nodiscard]] const TextCell& cell(Cell at) const { return cells_[at.row][at.col]; }
  // The characters of a row as a string: an empty cell reads as a blank, a
  // full-width character once. For tests and diagnostics.
  [[nodiscard]] std::string row_text(int row) const;
  // `width` cells of a row from `col`, read the same way.
  [[nodiscard]] std::string text_at(Cell at, int width) const;
  ChangedArea& changed() { return changed_; }

 private:
  void erase(int row, int col);
  std::array<std::array<TextCell, kColumns>, kRows> cells_{};
  ChangedArea changed_;
};

// A character set freely over the graphics at a size of its own, its ink
// centred in its box: the kana on the keys of the on-screen keyboard, two to a key where
// the key has a shifted kana. Labels stand apart from the text plane.
struct Label {
  PixelRect box;
  int font_units = 16;  // the size of its font; the text plane's is 16
  char32_t ch = 0;
  Colour colour = kBlack;
  friend bool operator==(const Label&, const Label&) = default;
};

class LabelPlane {
 public:
  LabelPlane() { changed_.add_all(); }
  // Sets a label, replacing the one in the same box.
  void put(const Label& label);
  void clear();
  [[nodiscard]] std::span<const Label> labels() const { return labels_; }
  ChangedArea& changed() { return changed_; }

 private:
  std::vector<Label> labels_;
  ChangedArea changed_;
};

// The console's planes.
struct Screen {
  GraphicsPlane graphics;
  TextPlane text;
  LabelPlane labels;

  // What changed in any plane since the last call.
  [[nodiscard]] std::optional<PixelRect> take_changed();
};

// The pixels of a run of text cells on one row.
[[nodiscard]] constexpr PixelRect cell_pixels(int row, int first_col, int last_col) {
  return {first_col * kCellWidth, row * kCellHeight, (last_col + 1) * kCellWidth - 1,
          (row + 1) * kCellHeight - 1};
}

}  // namespace tutor
