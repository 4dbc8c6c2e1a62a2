#include "console/frame_box.h"

#include <gtest/gtest.h>

#include <random>

#include "console/headless.h"

namespace tutor {
namespace {

class FrameBoxTest : public ::testing::Test {
 protected:
  HeadlessBackend backend_{"."};
  Console con_{backend_, "Test"};
  [[nodiscard]] int at(int x, int y_pixel) const {
    return con_.screen().graphics.at({x, y_pixel}).index();
  }
};

// Checks a box against its drawing: face, lit rim top and left, shaded rim
// bottom and right, the mitres between, nothing outside it touched.
void expect_box(const Console& con, Rect f, BoxColours c, int background) {
  const GraphicsPlane& g = con.screen().graphics;
  const PixelRect face = f.to_pixels();
  const PixelRect outer = f.grown(2).to_pixels();
  auto colour = [&](int x, int y) { return g.at({x, y}).index(); };
  SCOPED_TRACE(::testing::Message() << "box " << f.x1 << "," << f.y1 << "-" << f.x2 << "," << f.y2);
  for (int y = outer.y1 - 1; y <= outer.y2 + 1; ++y) {
    for (int x = outer.x1 - 1; x <= outer.x2 + 1; ++x) {
      if (!outer.contains({x, y})) {
        ASSERT_EQ(colour(x, y), background) << "outside at " << x << "," << y;
      } else if (face.contains({x, y})) {
        ASSERT_EQ(colour(x, y), c.face.index()) << "face at " << x << "," << y;
      } else if (x < f.x2 && y < face.y1) {
        ASSERT_EQ(colour(x, y), c.lit.index()) << "top rim at " << x << "," << y;
      } else if (x < f.x1 && y < face.y2) {
        ASSERT_EQ(colour(x, y), c.lit.index()) << "left rim at " << x << "," << y;
      } else if (y > face.y2 && x > f.x1) {
        ASSERT_EQ(colour(x, y), c.shade.index()) << "bottom rim at " << x << "," << y;
      } else if (x > f.x2 && y > face.y1) {
        ASSERT_EQ(colour(x, y), c.shade.index()) << "right rim at " << x << "," << y;
      } else {
        // The mitres: either rim colour, split along the corner diagonal.
        const int v = colour(x, y);
        ASSERT_TRUE(v == c.lit.index() || v == c.shade.index()) << "mitre at " << x << "," << y;
      }
    }
  }
}

TEST_F(FrameBoxTest, DrawsFaceLitAndShadedRimsOfEveryBoxShape) {
  con_.fill({0, 0, 639, 399}, kCream);
  frame_box(con_, {114, 171, 140, 197}, key_box(kLightCyan));
  expect_box(con_, {114, 171, 140, 197}, key_box(kLightCyan), 14);
  // The corners themselves: top-left lit, bottom-right shaded.
  EXPECT_EQ(at(112, pixel_y(169)), 15);
  EXPECT_EQ(at(142, pixel_y(199)), 0);
  // Top-right mitre: outer corner shaded, just left of it along the top lit.
  EXPECT_EQ(at(142, pixel_y(169)), 0);
  EXPECT_EQ(at(139, pixel_y(169)), 15);
  // Wide and flat, tall and narrow, and the shapes the screens use: the seed
  // below the face centre must always land inside the shaded half.
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> x(4, 560);
  std::uniform_int_distribution<int> y(4, 330);
  std::uniform_int_distribution<int> size(2, 70);
  for (int i = 0; i < 400; ++i) {
    const int x1 = x(rng);
    const int y1 = y(rng);
    const Rect f{x1, y1, x1 + size(rng), y1 + size(rng)};
    con_.clear_screen();
    frame_box(con_, f, kRaisedBox);
    expect_box(con_, f, kRaisedBox, 0);
    if (::testing::Test::HasFatalFailure()) {
      return;
    }
  }
  for (Rect f : {Rect{2, 14, 637, 34}, Rect{15, 75, 624, 295}, Rect{142, 60, 161, 84},
                 Rect{507, 63, 521, 81}, Rect{454, 96, 499, 111}}) {
    con_.clear_screen();
    frame_box(con_, f, raised_box(kRed));
    expect_box(con_, f, raised_box(kRed), 0);
  }
}

TEST_F(FrameBoxTest, BlackOnBlackOnBlackErasesTheWholeBox) {
  con_.fill({0, 0, 639, 399}, kBlack);
  frame_box(con_, {142, 60, 161, 84}, raised_box(kLightCyan));
  con_.print({18, 4}, kBlack, "Ｆ");
  frame_box(con_, {142, 60, 161, 84}, kBlackBox);
  for (int y = 0; y < kSurfaceHeight; ++y) {
    for (int xx = 0; xx < kSurfaceWidth; ++xx) {
      ASSERT_EQ(at(xx, y), 0) << xx << "," << y;
    }
  }
  // The text plane is not the frame box's business.
  EXPECT_EQ(con_.screen().text.text_at({18, 4}, 2), "Ｆ");
}

}  // namespace
}  // namespace tutor
