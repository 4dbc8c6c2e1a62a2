#include "console/compositor.h"

#include <algorithm>
#include <array>

namespace tutor {
namespace {

constexpr std::uint32_t argb(Rgb c) {
  return 0xff000000u | (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
}

constexpr std::array<std::uint32_t, 16> kArgb = [] {
  std::array<std::uint32_t, 16> out{};
  for (size_t i = 0; i < 16; ++i) {
    out[i] = argb(kPalette[i]);
  }
  return out;
}();

constexpr std::array<std::uint32_t, 16> kAbgr = [] {
  std::array<std::uint32_t, 16> out{};
  for (size_t i = 0; i < 16; ++i) {
    out[i] = argb({kPalette[i].b, kPalette[i].g, kPalette[i].r});
  }
  return out;
}();

// Blending treats the three channels alike, so only the palette differs
// between the orders.
const std::array<std::uint32_t, 16>& palette_of(const PixelTarget& out) {
  return out.order == ChannelOrder::Abgr ? kAbgr : kArgb;
}

std::uint32_t blend(std::uint32_t under, std::uint32_t over, unsigned alpha) {
  auto mix = [&](int shift) {
    const unsigned a = (under >> shift) & 0xff;
    const unsigned b = (over >> shift) & 0xff;
    return ((a * (255 - alpha) + b * alpha + 127) / 255) << shift;
  };
  return 0xff000000u | mix(16) | mix(8) | mix(0);
}

// Draws a glyph with its top-left corner at (left, top), only inside `clip`.
void draw_glyph(PixelTarget out,
                PixelRect clip,
                const GlyphMask& g,
                int left,
                int top,
                std::uint32_t colour) {
  const int y1 = std::max(top + g.ink.y1, clip.y1);
  const int y2 = std::min(top + g.ink.y2, clip.y2);
  const int x1 = std::max(left + g.ink.x1, clip.x1);
  const int x2 = std::min(left + g.ink.x2, clip.x2);
  // A glyph mostly lies on one face: its blends with that colour are worked
  // out once for each coverage (0 marks one not yet worked out; a blend is
  // opaque, never 0).
  std::array<std::uint32_t, 256> ramp{};
  std::uint32_t ramp_under = 0;
  for (int py = y1; py <= y2; ++py) {
    const std::uint8_t* coverage = g.coverage.data() + static_cast<size_t>((py - top) * g.width);
    std::uint32_t* row = out.pixels + static_cast<size_t>(py) * static_cast<size_t>(out.pitch);
    for (int px = x1; px <= x2; ++px) {
      const unsigned a = coverage[px - left];
      if (a == 255) {
        row[px] = colour;
      } else if (a != 0) {
        if (row[px] != ramp_under) {
          ramp_under = row[px];
          ramp.fill(0);
        }
        std::uint32_t& mixed = ramp[a];
        if (mixed == 0) {
          mixed = blend(ramp_under, colour, a);
        }
        row[px] = mixed;
      }
    }
  }
}

}  // namespace

void GlyphMask::find_ink() {
  ink = {width, height, -1, -1};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (coverage[static_cast<size_t>(y * width + x)] != 0) {
        ink = {std::min(ink.x1, x), std::min(ink.y1, y), std::max(ink.x2, x), std::max(ink.y2, y)};
      }
    }
  }
}

void compose_area(const Screen& screen,
                  const Viewport& view,
                  GlyphSource* glyphs,
                  PixelTarget out,
                  PixelRect area) {
  const auto& colours = palette_of(out);
  const auto pixels = screen.graphics.pixels();
  const int left = view.x_edge(area.x1);
  const int right = view.x_edge(area.x2 + 1);
  for (int y = area.y1; y <= area.y2; ++y) {
    const int top = view.y_edge(y);
    const int bottom = view.y_edge(y + 1);
    if (top == bottom) {
      continue;
    }
    std::uint32_t* row = out.pixels + static_cast<size_t>(top) * static_cast<size_t>(out.pitch);
    const std::uint8_t* source = pixels.data() + static_cast<size_t>(y * kSurfaceWidth);
    // Runs of one colour, which faces and backgrounds are made of, fill at once.
    for (int x = area.x1; x <= area.x2;) {
      const std::uint8_t index = source[x];
      int end = x + 1;
      while (end <= area.x2 && source[end] == index) {
        ++end;
      }
      std::fill(row + view.x_edge(x), row + view.x_edge(end), colours[index & 15]);
      x = end;
    }
    for (int r = top + 1; r < bottom; ++r) {
      std::copy(row + left, row + right,
                out.pixels + static_cast<size_t>(r) * static_cast<size_t>(out.pitch) + left);
    }
  }
  if (glyphs == nullptr) {
    return;
  }
  const PixelRect clip = view.window_area(area);
  const int font = view.font_pixels();
  const int first_col = area.x1 / kCellWidth;
  const int first_row = area.y1 / kCellHeight;
  for (int row = first_row; row <= area.y2 / kCellHeight; ++row) {
    const int top = view.y_edge(row * kCellHeight);
    const int height = view.y_edge((row + 1) * kCellHeight) - top;
    for (int col = first_col; col <= area.x2 / kCellWidth; ++col) {
      const TextCell& cell = screen.text.cell({col, row});
      // A double-size character is drawn from its own cell, or from the first
      // of its cells in the area when its own cell lies outside it.
      if (cell.size == 2 || cell.shape == TextCell::Shape::Covered) {
        const int own_row = row - cell.up;
        const int own_col = col - cell.back;
        const bool first_in_area =
            (cell.up == 0 || row == first_row) && (cell.back == 0 || col == first_col);
        if (!first_in_area) {
          continue;
        }
        const TextCell& own = screen.text.cell({own_col, own_row});
        const int cells = own.shape == TextCell::Shape::WideLeft ? 4 : 2;
        const int box_left = view.x_edge(own_col * kCellWidth);
        const int box_top = view.y_edge(own_row * kCellHeight);
        const int width = view.x_edge((own_col + cells) * kCellWidth) - box_left;
        const int tall = view.y_edge((own_row + 2) * kCellHeight) - box_top;
        if (const GlyphMask* g = glyphs->glyph(own.ch, {2 * font, width, tall})) {
          draw_glyph(out, clip, *g, box_left, box_top,
                     colours[static_cast<size_t>(own.colour.index())]);
        }
        continue;
      }
      // A wide character is drawn from its left cell, also when only its
      // right half lies in the area.
      const bool left_outside = cell.shape == TextCell::Shape::WideRight && col == first_col;
      if (cell.shape != TextCell::Shape::Narrow && cell.shape != TextCell::Shape::WideLeft &&
          !left_outside) {
        continue;
      }
      const int at = left_outside ? col - 1 : col;
      const int cells = cell.shape == TextCell::Shape::Narrow ? 1 : 2;
      const int box_left = view.x_edge(at * kCellWidth);
      const int width = view.x_edge((at + cells) * kCellWidth) - box_left;
      if (const GlyphMask* g = glyphs->glyph(cell.ch, {font, width, height})) {
        draw_glyph(out, clip, *g, box_left, top, colours[static_cast<size_t>(cell.colour.index())]);
      }
    }
  }
  for (const Label& l : screen.labels.labels()) {
    if (l.box.x2 < area.x1 || l.box.x1 > area.x2 || l.box.y2 < area.y1 || l.box.y1 > area.y2) {
      continue;
    }
    const PixelRect box = view.window_area(l.box);
    // Rendered in room enough for the whole em, so that nothing of it is cut.
    const int size = view.font_pixels(l.font_units);
    const GlyphBox glyph_box = {size, 2 * size, 2 * size};
    // The ink, not the font's em, is centred: marks such as 、 and ゛ sit in a
    // corner of theirs.
    if (const GlyphMask* g = glyphs->glyph(l.ch, glyph_box); g && g->ink.x2 >= g->ink.x1) {
      const int ink_left = (box.x1 + box.x2 + 1 - (g->ink.x2 - g->ink.x1 + 1)) / 2 - g->ink.x1;
      const int ink_top = (box.y1 + box.y2 + 1 - (g->ink.y2 - g->ink.y1 + 1)) / 2 - g->ink.y1;
      draw_glyph(out, clip, *g, ink_left, ink_top, colours[static_cast<size_t>(l.colour.index())]);
    }
  }
}

void compose_bars(const Viewport& view, PixelTarget out) {
  const std::uint32_t black = palette_of(out)[0];
  const PixelRect c = view.content();
  for (int y = 0; y < view.window_height(); ++y) {
    std::uint32_t* row = out.pixels + static_cast<size_t>(y) * static_cast<size_t>(out.pitch);
    if (y < c.y1 || y > c.y2) {
      std::fill(row, row + view.window_width(), black);
    } else {
      std::fill(row, row + c.x1, black);
      std::fill(row + c.x2 + 1, row + view.window_width(), black);
    }
  }
}

void compose(const Screen& screen, const Viewport& view, GlyphSource* glyphs, Picture& out) {
  out.width = view.window_width();
  out.height = view.window_height();
  out.argb.resize(static_cast<size_t>(out.width) * static_cast<size_t>(out.height));
  const PixelTarget target = {out.argb.data(), out.width, out.height, out.width};
  compose_bars(view, target);
  compose_area(screen, view, glyphs, target, {0, 0, kSurfaceWidth - 1, kSurfaceHeight - 1});
}

void compose(const Screen& screen, int scale, GlyphSource* glyphs, Picture& out) {
  compose(screen, Viewport::at_scale(scale), glyphs, out);
}

}  // namespace tutor
