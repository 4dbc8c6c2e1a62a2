#include "console/screen.h"

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "console/text.h"

namespace tutor {

void ChangedArea::add(PixelRect r) {
  r = {std::max(0, std::min(r.x1, r.x2)), std::max(0, std::min(r.y1, r.y2)),
       std::min(kSurfaceWidth - 1, std::max(r.x1, r.x2)),
       std::min(kSurfaceHeight - 1, std::max(r.y1, r.y2))};
  if (r.x1 > r.x2 || r.y1 > r.y2) {
    return;
  }
  if (area_) {
    r = {std::min(r.x1, area_->x1), std::min(r.y1, area_->y1), std::max(r.x2, area_->x2),
         std::max(r.y2, area_->y2)};
  }
  area_ = r;
}

std::optional<PixelRect> ChangedArea::take() {
  return std::exchange(area_, std::nullopt);
}

std::optional<PixelRect> Screen::take_changed() {
  ChangedArea all;
  for (ChangedArea* plane : {&graphics.changed(), &text.changed(), &labels.changed()}) {
    if (const auto area = plane->take()) {
      all.add(*area);
    }
  }
  return all.take();
}

void LabelPlane::put(const Label& label) {
  changed_.add(label.box);
  const auto same_box = std::find_if(labels_.begin(), labels_.end(),
                                     [&](const Label& l) { return l.box == label.box; });
  if (same_box == labels_.end()) {
    labels_.push_back(label);
  } else {
    *same_box = label;
  }
}

void LabelPlane::clear() {
  for (const Label& l : labels_) {
    changed_.add(l.box);
  }
  labels_.clear();
}

void GraphicsPlane::set(Point p, Colour c) {
  if (inside(p)) {
    pixels_[static_cast<size_t>(p.y * kSurfaceWidth + p.x)] = static_cast<std::uint8_t>(c.index());
    changed_.add({p.x, p.y, p.x, p.y});
  }
}

Colour GraphicsPlane::at(Point p) const {
  if (!inside(p)) {
    return kBlack;
  }
  return Colour::from_index(pixels_[static_cast<size_t>(p.y * kSurfaceWidth + p.x)]);
}

void GraphicsPlane::fill_rect(PixelRect r, Colour c) {
  const int x1 = std::max(0, std::min(r.x1, r.x2));
  const int x2 = std::min(kSurfaceWidth - 1, std::max(r.x1, r.x2));
  const int y1 = std::max(0, std::min(r.y1, r.y2));
  const int y2 = std::min(kSurfaceHeight - 1, std::max(r.y1, r.y2));
  if (x1 > x2 || y1 > y2) {
    return;
  }
  changed_.add({x1, y1, x2, y2});
  const auto v = static_cast<std::uint8_t>(c.index());
  for (int y = y1; y <= y2; ++y) {
    auto row = pixels_.begin() + y * kSurfaceWidth;
    std::fill(row + x1, row + x2 + 1, v);
  }
}

void GraphicsPlane::outline_rect(PixelRect r, Colour c) {
  line({r.x1, r.y1}, {r.x2, r.y1}, c);
  line({r.x2, r.y1}, {r.x2, r.y2}, c);
  line({r.x2, r.y2}, {r.x1, r.y2}, c);
  line({r.x1, r.y2}, {r.x1, r.y1}, c);
}

void GraphicsPlane::line(Point a, Point b, Colour c) {
  changed_.add({a.x, a.y, b.x, b.y});
  const auto v = static_cast<std::uint8_t>(c.index());
  // Bresenham: an 8-connected line that a 4-connected fill cannot cross.
  const int dx = std::abs(b.x - a.x);
  const int dy = -std::abs(b.y - a.y);
  const int sx = a.x < b.x ? 1 : -1;
  const int sy = a.y < b.y ? 1 : -1;
  int err = dx + dy;
  Point p = a;
  while (true) {
    if (inside(p)) {
      pixels_[static_cast<size_t>(p.y * kSurfaceWidth + p.x)] = v;
    }
    if (p == b) {
      break;
    }
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      p.x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      p.y += sy;
    }
  }
}

void GraphicsPlane::flood_fill(Point seed, Colour paint, Colour border) {
  const auto fill = static_cast<std::uint8_t>(paint.index());
  const auto stop = static_cast<std::uint8_t>(border.index());
  // Pixels already painted count as filled, so a paint colour different from
  // the border cannot loop.
  auto open = [&](int x, int y) {
    if (!inside({x, y})) {
      return false;
    }
    const std::uint8_t v = pixels_[static_cast<size_t>(y * kSurfaceWidth + x)];
    return v != stop && v != fill;
  };
  auto set_pixel = [&](int x, int y) {
    pixels_[static_cast<size_t>(y * kSurfaceWidth + x)] = fill;
  };
  if (!open(seed.x, seed.y)) {
    return;
  }
  // Span filling: each entry is a run x1-x2 of row y reached from row y - dy;
  // a pixel is looked at about once, runs reaching back are followed only
  // where they stick out.
  struct Span {
    int x1, x2, y, dy;
  };
  std::vector<Span> stack = {{seed.x, seed.x, seed.y, 1}, {seed.x, seed.x, seed.y - 1, -1}};
  PixelRect painted = {seed.x, seed.y, seed.x, seed.y};
  while (!stack.empty()) {
    auto [x1, x2, y, dy] = stack.back();
    stack.pop_back();
    int x = x1;
    if (open(x, y)) {
      while (open(x - 1, y)) {
        set_pixel(--x, y);
      }
      if (x < x1) {
        stack.push_back({x, x1 - 1, y - dy, -dy});
      }
    }
    while (x1 <= x2) {
      while (open(x1, y)) {
        set_pixel(x1++, y);
      }
      if (x1 > x) {
        stack.push_back({x, x1 - 1, y + dy, dy});
        painted = {std::min(painted.x1, x), std::min(painted.y1, y), std::max(painted.x2, x1 - 1),
                   std::max(painted.y2, y)};
      }
      if (x1 - 1 > x2) {
        stack.push_back({x2 + 1, x1 - 1, y - dy, -dy});
      }
      for (++x1; x1 < x2 && !open(x1, y); ++x1) {
      }
      x = x1;
    }
  }
  changed_.add(painted);
}

void TextPlane::clear() {
  for (auto& row : cells_) {
    row.fill(TextCell{});
  }
  changed_.add_all();
}

void TextPlane::erase(int row, int col) {
  auto& line = cells_[row];
  TextCell& c = line[col];
  if (c.shape == TextCell::Shape::Empty) {
    return;
  }
  if (c.shape == TextCell::Shape::Covered || c.size == 2) {
    // A double-size character goes whole.
    const int top = row - c.up;
    const int left = col - c.back;
    const int width = cells_[top][left].shape == TextCell::Shape::WideLeft ? 4 : 2;
    for (int r = top; r < top + 2 && r < kRows; ++r) {
      for (int k = left; k < left + width && k < kColumns; ++k) {
        cells_[r][k] = TextCell{};
      }
    }
    changed_.add({left * kCellWidth, top * kCellHeight,
                  std::min(kColumns, left + width) * kCellWidth - 1,
                  std::min(kRows, top + 2) * kCellHeight - 1});
    return;
  }
  if (c.shape == TextCell::Shape::WideLeft && col + 1 < kColumns) {
    line[col + 1] = TextCell{};
    changed_.add(cell_pixels(row, col, col + 1));
  } else if (c.shape == TextCell::Shape::WideRight && col > 0) {
    line[col - 1] = TextCell{};
    changed_.add(cell_pixels(row, col - 1, col));
  }
  changed_.add(cell_pixels(row, col, col));
  c = TextCell{};
}

Cell TextPlane::print(Cell at, Colour c, std::string_view utf8) {
  if (at.row < 0 || at.row >= kRows) {
    return at;
  }
  int col = at.col;
  for (char32_t cp : decode_utf8(utf8)) {
    const int w = char_width(cp);
    if (col < 0 || col + w > kColumns) {
      col += w;  // clipped: past the right edge nothing is drawn
      continue;
    }
    for (int k = 0; k < w; ++k) {
      erase(at.row, col + k);
    }
    if (!is_blank(cp)) {
      auto& line = cells_[at.row];
      if (w == 1) {
        line[col] = TextCell{cp, TextCell::Shape::Narrow, c};
      } else {
        line[col] = TextCell{cp, TextCell::Shape::WideLeft, c};
        line[col + 1] = TextCell{cp, TextCell::Shape::WideRight, c};
      }
      changed_.add(cell_pixels(at.row, col, col + w - 1));
    }
    col += w;
  }
  return {col, at.row};
}

Cell TextPlane::print_large(Cell at, Colour c, std::string_view utf8) {
  if (at.row < 0 || at.row + 1 >= kRows) {
    return at;
  }
  int col = at.col;
  for (char32_t cp : decode_utf8(utf8)) {
    const int w = 2 * char_width(cp);
    if (col < 0 || col + w > kColumns) {
      col += w;
      continue;
    }
    for (int r = at.row; r <= at.row + 1; ++r) {
      for (int k = 0; k < w; ++k) {
        erase(r, col + k);
      }
    }
    if (!is_blank(cp)) {
      for (int r = 0; r < 2; ++r) {
        for (int k = 0; k < w; ++k) {
          cells_[at.row + r][col + k] =
              TextCell{cp, TextCell::Shape::Covered,     c,
                       1,  static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(r)};
        }
      }
      cells_[at.row][col] =
          TextCell{cp, w == 2 ? TextCell::Shape::Narrow : TextCell::Shape::WideLeft, c, 2, 0, 0};
      changed_.add({col * kCellWidth, at.row * kCellHeight, (col + w) * kCellWidth - 1,
                    (at.row + 2) * kCellHeight - 1});
    }
    col += w;
  }
  return {col, at.row};
}

std::string TextPlane::text_at(Cell at, int width) const {
  std::string out;
  for (int col = at.col; col < at.col + width && col < kColumns; ++col) {
    const TextCell& c = cells_[at.row][col];
    switch (c.shape) {
      case TextCell::Shape::Empty:
        out += ' ';
        break;
      case TextCell::Shape::Narrow:
      case TextCell::Shape::WideLeft:
        out += encode_utf8(c.ch);
        break;
      case TextCell::Shape::WideRight:
      case TextCell::Shape::Covered:
        if (col == at.col) {
          out += ' ';  // the character's own cell lies outside the span read
        }
        break;
    }
  }
  return out;
}

std::string TextPlane::row_text(int row) const {
  return text_at({0, row}, kColumns);
}

}  // namespace tutor
