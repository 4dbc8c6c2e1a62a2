#include "lessonkit/key_table.h"

#include <gtest/gtest.h>

#include "console/text.h"

namespace tutor::lessonkit {
namespace {

bool overlap(Rect a, Rect b) {
  return a.x1 <= b.x2 && b.x1 <= a.x2 && a.y1 <= b.y2 && b.y1 <= a.y2;
}

TEST(KeyTable, KeysDoNotOverlapRimsIncluded) {
  for (int a = 1; a <= kKeyCount; ++a) {
    for (int b = a + 1; b <= kKeyCount; ++b) {
      EXPECT_FALSE(overlap(key(a).rect.grown(2), key(b).rect.grown(2))) << a << " and " << b;
    }
  }
}

TEST(KeyTable, EveryLegendSitsOnItsKey) {
  for (int k = 1; k <= kKeyCount; ++k) {
    if (!key(k).legend_cell) {
      EXPECT_EQ(k, kSpaceBar);
      continue;
    }
    const Cell c = *key(k).legend_cell;
    const int left = c.col * kCellWidth;
    const int right = left + display_width(key(k).legend) * kCellWidth - 1;
    const PixelRect face = key(k).rect.grown(2).to_pixels();
    EXPECT_TRUE(face.contains({left, c.row * kCellHeight + 4}) &&
                face.contains({right, c.row * kCellHeight + 13}))
        << "key " << k << " legend " << key(k).legend;
  }
}

TEST(KeyTable, EveryTypedCharacterFindsItsOwnKey) {
  for (int k = 1; k <= kTypingKeys; ++k) {
    EXPECT_EQ(key_typing(key(k).typed), k);
    EXPECT_EQ(key_accepting(key(k).alternative), k);
  }
  EXPECT_EQ(key_accepting("f"), 29);
  EXPECT_EQ(key_accepting("\r"), 0);
  EXPECT_EQ(key_accepting("!"), 0);
}

}  // namespace
}  // namespace tutor::lessonkit
