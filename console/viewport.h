#pragma once

#include <algorithm>
#include <compare>
#include <optional>

#include "console/geometry.h"

namespace tutor {

// Where the 640x450 surface lies in a window: a content rectangle of (nearly)
// its shape, with black bars round it where the window's shape differs. Every
// surface pixel is a block of whole window pixels; blocks tile the content
// and differ in size by at most one pixel.
class Viewport {
 public:
  // The surface filling `content` of a window_width x window_height window.
  constexpr Viewport(int window_width, int window_height, PixelRect content)
      : window_width_(window_width), window_height_(window_height), content_(content) {}

  // The surface `scale` times over, filling its window.
  static constexpr Viewport at_scale(int scale) {
    return {kSurfaceWidth * scale,
            kSurfaceHeight * scale,
            {0, 0, kSurfaceWidth * scale - 1, kSurfaceHeight * scale - 1}};
  }
  // The largest content of the surface's shape in a window, centred.
  static constexpr Viewport fitting(int window_width, int window_height) {
    const int width = std::min(
        window_width, (window_height * kSurfaceWidth * 2 + kSurfaceHeight) / (2 * kSurfaceHeight));
    const int height =
        std::min(window_height, (width * kSurfaceHeight * 2 + kSurfaceWidth) / (2 * kSurfaceWidth));
    const int left = (window_width - width) / 2;
    const int top = (window_height - height) / 2;
    return {window_width, window_height, {left, top, left + width - 1, top + height - 1}};
  }

  [[nodiscard]] constexpr int window_width() const { return window_width_; }
  [[nodiscard]] constexpr int window_height() const { return window_height_; }
  [[nodiscard]] constexpr PixelRect content() const { return content_; }
  [[nodiscard]] constexpr int content_width() const { return content_.x2 - content_.x1 + 1; }
  [[nodiscard]] constexpr int content_height() const { return content_.y2 - content_.y1 + 1; }

  // The window column where surface column x (0-640) starts; the row of y.
  [[nodiscard]] constexpr int x_edge(int x) const {
    return content_.x1 + x * content_width() / kSurfaceWidth;
  }
  [[nodiscard]] constexpr int y_edge(int y) const {
    return content_.y1 + y * content_height() / kSurfaceHeight;
  }
  // The window pixels of a rectangle of surface pixels.
  [[nodiscard]] constexpr PixelRect window_area(PixelRect r) const {
    return {x_edge(r.x1), y_edge(r.y1), x_edge(r.x2 + 1) - 1, y_edge(r.y2 + 1) - 1};
  }
  // The surface pixel under a window pixel: the block that holds it; nothing
  // on a bar.
  [[nodiscard]] constexpr std::optional<Point> to_surface(Point p) const {
    const int x = p.x - content_.x1;
    const int y = p.y - content_.y1;
    if (x < 0 || y < 0 || x >= content_width() || y >= content_height()) {
      return std::nullopt;
    }
    return Point{((x + 1) * kSurfaceWidth - 1) / content_width(),
                 ((y + 1) * kSurfaceHeight - 1) / content_height()};
  }
  // The pixel size of the console font: the 16 design units of a row.
  [[nodiscard]] constexpr int font_pixels() const { return font_pixels(16); }
  // The pixel size of a font of `units` design units.
  [[nodiscard]] constexpr int font_pixels(int units) const {
    return (units * content_width() * 2 + kSurfaceWidth) / (2 * kSurfaceWidth);
  }

  friend constexpr bool operator==(const Viewport&, const Viewport&) = default;

 private:
  int window_width_;
  int window_height_;
  PixelRect content_;
};

}  // namespace tutor
