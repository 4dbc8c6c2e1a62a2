#include "console/colour.h"

#include <gtest/gtest.h>

#include "tests/support/contrast.h"

namespace tutor {
namespace {

using testing::contrast_ratio;
using testing::luminance;

// A raised box looks raised on any face: the shaded rim darker than every
// face a box may have (all but black, which is the key caps' rim), the lit
// rim lighter than every one.
TEST(Palette, TheShadedRimIsDarkerAndTheLitRimLighterThanEveryFace) {
  for (int i = 2; i <= 14; ++i) {
    const Colour face = Colour::from_index(i);
    EXPECT_LT(luminance(kRaisedBox.shade), luminance(face)) << "face " << i;
    EXPECT_GT(luminance(kRaisedBox.lit), luminance(face)) << "face " << i;
  }
  EXPECT_EQ(raised_box(kRed).shade, kBlue);
  EXPECT_EQ(raised_box(kRed).lit, kWhite);
}

// The text a keyboard or a report writes on a face of any colour, black or
// white as text_on() takes it, stands out by 4.5:1, the blue of the finger
// step's keys included.
TEST(Palette, TextOnEveryFaceStandsOut) {
  for (int i = 0; i < 16; ++i) {
    const Colour face = Colour::from_index(i);
    EXPECT_GE(contrast_ratio(text_on(face), face), 4.5) << "face " << i;
  }
  EXPECT_EQ(text_on(kBlue), kWhite);
  EXPECT_EQ(text_on(kCream), kBlack);
}

}  // namespace
}  // namespace tutor
