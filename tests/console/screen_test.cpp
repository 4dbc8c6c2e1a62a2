#include "console/screen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <tuple>

#include "console/compositor.h"

namespace tutor {
namespace {

TEST(TextPlane, FullWidthCharactersTakeTwoCells) {
  TextPlane t;
  const Cell end = t.print({10, 3}, kYellow, "終了x");
  EXPECT_EQ(end, (Cell{15, 3}));
  EXPECT_EQ(t.cell({10, 3}).shape, TextCell::Shape::WideLeft);
  EXPECT_EQ(t.cell({11, 3}).shape, TextCell::Shape::WideRight);
  EXPECT_EQ(t.cell({14, 3}).ch, U'x');
  EXPECT_EQ(t.cell({14, 3}).colour, Colour(6));
  EXPECT_EQ(t.text_at({10, 3}, 5), "終了x");
}

TEST(TextPlane, BlanksEraseTextAndHalfOfAWideCharacterErasesAllOfIt) {
  TextPlane t;
  t.print({0, 0}, kGrey, "ABCD");
  t.print({1, 0}, kGrey, "  ");
  EXPECT_EQ(t.text_at({0, 0}, 4), "A  D");
  EXPECT_EQ(t.cell({1, 0}).shape, TextCell::Shape::Empty);
  t.print({0, 1}, kGrey, "漢字");
  t.print({1, 1}, kGrey, "x");  // over the right half of 漢
  EXPECT_EQ(t.text_at({0, 1}, 4), " x字");
  t.print({2, 2}, kGrey, "漢");
  t.print({0, 2}, kGrey, "\u3000");  // a full-width blank erases two cells
  t.print({1, 2}, kGrey, "\u3000");  // ...and takes the wide character it overlaps
  EXPECT_EQ(t.row_text(2), std::string(80, ' '));
}

// A double-size character covers twice its width on two rows, and goes
// whole when any of its cells is written over.
TEST(TextPlane, DoubleSizeCharactersCoverTwoRowsAndGoWhole) {
  TextPlane t;
  EXPECT_EQ(t.print_large({10, 5}, kBlack, "漢A"), (Cell{16, 5}));
  EXPECT_EQ(t.cell({10, 5}).size, 2);
  EXPECT_EQ(t.cell({10, 5}).shape, TextCell::Shape::WideLeft);
  EXPECT_EQ(t.cell({14, 5}).shape, TextCell::Shape::Narrow);
  EXPECT_EQ(t.cell({13, 6}).shape, TextCell::Shape::Covered);
  EXPECT_EQ(t.cell({13, 6}).back, 3);
  EXPECT_EQ(t.cell({13, 6}).up, 1);
  EXPECT_EQ(t.text_at({10, 5}, 6), "漢A");
  t.print({12, 6}, kBlack, "x");  // under 漢: it goes, A stays
  EXPECT_EQ(t.cell({10, 5}).shape, TextCell::Shape::Empty);
  EXPECT_EQ(t.cell({11, 6}).shape, TextCell::Shape::Empty);
  EXPECT_EQ(t.text_at({10, 6}, 6), "  x ");  // A's lower half reads as nothing
  EXPECT_EQ(t.cell({15, 6}).shape, TextCell::Shape::Covered);
  t.print_large({78, 23}, kBlack, "漢");  // would pass column 79: dropped
  EXPECT_EQ(t.row_text(23), std::string(80, ' '));
}

TEST(TextPlane, TextPastColumn79IsClippedNotWrapped) {
  TextPlane t;
  t.print({76, 5}, kGrey, "abcdef");
  EXPECT_EQ(t.text_at({76, 5}, 4), "abcd");
  EXPECT_EQ(t.row_text(6), std::string(80, ' '));
  t.print({79, 7}, kGrey, "漢x");  // no room for the wide character; x lies beyond
  EXPECT_EQ(t.cell({79, 7}).shape, TextCell::Shape::Empty);
  EXPECT_EQ(t.row_text(8), std::string(80, ' '));
}

TEST(GraphicsPlane, FilledAndOutlinedRectanglesStayInsideTheirCorners) {
  GraphicsPlane g;
  g.fill_rect({10, 20, 12, 21}, kCyan);
  EXPECT_EQ(g.at({10, 20}), Colour(5));
  EXPECT_EQ(g.at({12, 21}), Colour(5));
  EXPECT_EQ(g.at({13, 21}), Colour(0));
  EXPECT_EQ(g.at({12, 22}), Colour(0));
  g.outline_rect({30, 30, 40, 35}, kMagenta);
  EXPECT_EQ(g.at({30, 30}), Colour(3));
  EXPECT_EQ(g.at({40, 35}), Colour(3));
  EXPECT_EQ(g.at({35, 32}), Colour(0));
  g.fill_rect({630, 440, 700, 500}, kRed);  // clipped, not wrapped
  EXPECT_EQ(g.at({639, 449}), Colour(2));
  EXPECT_EQ(g.at({0, 0}), Colour(0));
}

TEST(GraphicsPlane, FloodFillStopsAtTheBorderColourAndEnds) {
  GraphicsPlane g;
  g.fill_rect({0, 0, 639, 449}, kCream);
  g.outline_rect({100, 100, 200, 150}, kBlue);
  g.set({150, 125}, kLightBlue);  // another colour inside is painted over
  g.flood_fill({120, 120}, kBlue, kBlue);
  EXPECT_EQ(g.at({101, 101}), Colour(1));
  EXPECT_EQ(g.at({150, 125}), Colour(1));
  EXPECT_EQ(g.at({199, 149}), Colour(1));
  EXPECT_EQ(g.at({99, 125}), Colour(14));
  EXPECT_EQ(g.at({201, 125}), Colour(14));
  // A diagonal line holds a 4-connected fill.
  GraphicsPlane d;
  d.line({0, 0}, {449, 449}, kGreen);
  d.flood_fill({300, 10}, kGreen, kGreen);
  EXPECT_EQ(d.at({10, 300}), Colour(0));
  EXPECT_EQ(d.at({449, 448}), Colour(4));
  // A seed on the border colour changes nothing.
  GraphicsPlane s;
  s.flood_fill({5, 5}, kBlack, kBlack);
  EXPECT_EQ(s.at({6, 6}), Colour(0));
  // A paint colour other than the border's fills and ends.
  s.outline_rect({10, 10, 20, 20}, kBlue);
  s.flood_fill({15, 15}, kRed, kBlue);
  EXPECT_EQ(s.at({15, 15}), Colour(2));
  EXPECT_EQ(s.at({10, 15}), Colour(1));
  EXPECT_EQ(s.at({5, 5}), Colour(0));
}

// Glyphs of every coverage, different for each character, with blank margins,
// their ink found or the whole box looked at; or solid, so a cell's place and
// size show. The font sizes asked for are kept.
class TestGlyphs final : public GlyphSource {
 public:
  enum class Kind { kInk, kWholeBox, kSolid };
  explicit TestGlyphs(Kind kind) : kind_(kind) {}
  const GlyphMask* glyph(char32_t ch, GlyphBox box) override {
    GlyphMask& g = masks_[{ch, box}];
    g.width = box.width;
    g.height = box.height;
    g.coverage.resize(static_cast<size_t>(g.width * g.height));
    const int margin = box.font_pixels / 16;
    for (size_t i = 0; i < g.coverage.size(); ++i) {
      const auto x = static_cast<int>(i) % g.width;
      const auto y = static_cast<int>(i) / g.width;
      const bool blank = x < margin || y < 3 * margin || x >= g.width - 2 || y == g.height - 1;
      g.coverage[i] = kind_ == Kind::kSolid ? 255
                      : blank               ? 0
                                            : static_cast<std::uint8_t>((i * 37 + ch * 11) % 256);
    }
    g.ink = {0, 0, g.width - 1, g.height - 1};
    if (kind_ != Kind::kWholeBox) {
      g.find_ink();
    }
    fonts.push_back(box.font_pixels);
    return &g;
  }
  std::vector<int> fonts;

 private:
  Kind kind_;
  std::map<std::pair<char32_t, GlyphBox>, GlyphMask> masks_;
};

TEST(Compositor, EveryWindowSizeTilesTheSurfaceAndMapsThePointerBack) {
  std::mt19937 rng(9);
  Screen screen;
  for (int i = 0; i < 400; ++i) {
    const Point a{static_cast<int>(rng() % 640), static_cast<int>(rng() % 450)};
    screen.graphics.fill_rect({a.x, a.y, a.x + static_cast<int>(rng() % 9), a.y + 3},
                              Colour::from_index(static_cast<int>(rng() % 16)));
  }
  screen.text.print({10, 5}, kLightBlue, "x漢");
  // Scales 1, 1.25, 1.5, 2 and 2.75, and a window of another shape.
  for (const auto& [w, h] :
       {std::pair{640, 450}, {800, 563}, {960, 675}, {1280, 900}, {1760, 1238}, {1000, 600}}) {
    const Viewport view = Viewport::fitting(w, h);
    TestGlyphs glyphs(TestGlyphs::Kind::kSolid);
    Picture picture;
    compose(screen, view, &glyphs, picture);
    const PixelRect c = view.content();
    const int cw = view.content_width();
    const int ch = view.content_height();
    EXPECT_LE(std::abs(cw * 450 - ch * 640), 640) << w << "x" << h;  // the surface's shape
    EXPECT_TRUE(cw == w || ch == h) << w << "x" << h;
    for (int x = 0; x < 640; ++x) {
      EXPECT_LE(std::abs(view.x_edge(x + 1) - view.x_edge(x) - cw / 640), 1);
    }
    for (int py = 0; py < h; ++py) {
      for (int px = 0; px < w; ++px) {
        const auto at = view.to_surface({px, py});
        const std::uint32_t shown = picture.argb[static_cast<size_t>(py * w + px)];
        const bool in_content = px >= c.x1 && px <= c.x2 && py >= c.y1 && py <= c.y2;
        ASSERT_EQ(at.has_value(), in_content) << px << "," << py;
        const Rgb want = at ? kPalette[screen.graphics.at(*at).index()] : kPalette[0];
        const bool text = at && at->y >= 90 && at->y < 108 && at->x >= 80 && at->x < 104;
        if (!text) {
          ASSERT_EQ(shown & 0xffffff, std::uint32_t{want.r} << 16 | want.g << 8 | want.b)
              << w << "x" << h << " at " << px << "," << py;
        } else {
          ASSERT_EQ(shown & 0xffffff, 0x5888f0u) << "text colour 9 over its whole cells";
        }
        if (at) {  // the block of the surface pixel holds this window pixel
          ASSERT_TRUE(view.x_edge(at->x) <= px && px < view.x_edge(at->x + 1));
          ASSERT_TRUE(view.y_edge(at->y) <= py && py < view.y_edge(at->y + 1));
        }
      }
    }
    EXPECT_EQ(glyphs.fonts, (std::vector<int>{view.font_pixels(), view.font_pixels()}));
    EXPECT_EQ(view.font_pixels(), (16 * cw + 320) / 640);
  }
}

TEST(Compositor, FramesComposedFromChangedAreasAndInkMatchWholeFramesPixelForPixel) {
  std::mt19937 rng(5);
  auto any = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  TestGlyphs glyphs(TestGlyphs::Kind::kInk);
  TestGlyphs whole_boxes(TestGlyphs::Kind::kWholeBox);
  for (int scale : {1, 2}) {
    Screen screen;
    Picture shown;  // what a window keeps: only changed areas recomposed
    compose(screen, scale, &glyphs, shown);
    // and what a canvas keeps, its red and blue the other way round
    std::vector<std::uint32_t> canvas(shown.argb.size());
    const PixelTarget canvas_target = {canvas.data(), shown.width, shown.height, shown.width,
                                       ChannelOrder::Abgr};
    compose_area(screen, Viewport::at_scale(scale), &glyphs, canvas_target,
                 {0, 0, kSurfaceWidth - 1, kSurfaceHeight - 1});
    (void)screen.take_changed();
    for (int frame = 0; frame < 60; ++frame) {
      for (int op = any(4); op >= 0; --op) {
        const Colour c = Colour::from_index(any(16));
        const Point a{any(700) - 30, any(500) - 25};
        switch (any(7)) {
          case 0:
            screen.graphics.fill_rect({a.x, a.y, a.x + any(60), a.y + any(40)}, c);
            break;
          case 1:
            screen.graphics.line(a, {any(640), any(450)}, c);
            break;
          case 2:
            screen.graphics.flood_fill(a, c, Colour::from_index(any(16)));
            break;
          case 3:
            screen.text.print({any(84) - 2, any(25)}, c, any(2) ? "漢x字" : "ab");
            break;
          case 4:
            screen.text.print({any(80), any(25)}, c, any(2) ? " " : "\u3000");
            break;
          case 5:
            screen.text.print_large({any(84) - 2, any(26) - 1}, c, any(2) ? "漢x" : "あ");
            break;
          default:
            screen.graphics.set(a, c);
        }
      }
      if (const auto changed = screen.take_changed()) {
        compose_area(screen, Viewport::at_scale(scale), &glyphs,
                     {shown.argb.data(), shown.width, shown.height, shown.width}, *changed);
        compose_area(screen, Viewport::at_scale(scale), &glyphs, canvas_target, *changed);
      }
      Picture whole;
      compose(screen, scale, &glyphs, whole);
      ASSERT_EQ(shown.argb, whole.argb) << "scale " << scale << ", frame " << frame;
      std::vector<std::uint32_t> swapped(whole.argb.size());
      std::transform(whole.argb.begin(), whole.argb.end(), swapped.begin(), [](std::uint32_t p) {
        return (p & 0xff00ff00u) | ((p >> 16) & 0xffu) | ((p & 0xffu) << 16);
      });
      ASSERT_EQ(canvas, swapped) << "scale " << scale << ", frame " << frame;
      if (frame % 10 == 0) {  // and glyphs drawn by their ink alone lose nothing
        compose(screen, scale, &whole_boxes, whole);
        ASSERT_EQ(shown.argb, whole.argb) << "scale " << scale << ", frame " << frame;
      }
    }
  }
}

}  // namespace
}  // namespace tutor
