#include "console/text.h"

#include <gtest/gtest.h>

namespace tutor {
namespace {

TEST(DisplayWidth, CountsFullWidthCharactersAsTwoCells) {
  EXPECT_EQ(display_width("Shift"), 5);
  EXPECT_EQ(display_width("終 了"), 5);
  EXPECT_EQ(display_width("   Ｆ10・・・記録のクリア"), 3 + 2 + 2 + 6 + 12);
  EXPECT_EQ(display_width("ｱｲｳ"), 3);  // half-width kana
  EXPECT_EQ(display_width("0級"), 3);
  EXPECT_EQ(display_width(""), 0);
}

TEST(Utf8, MalformedBytesDecodeAsReplacementAndDoNotOverrun) {
  EXPECT_EQ(decode_utf8("a\xff"
                        "b"),
            (std::vector<char32_t>{U'a', U'\uFFFD', U'b'}));
  // A lead byte at the end with its continuation missing.
  EXPECT_EQ(decode_utf8("a\xe3\x81"), (std::vector<char32_t>{U'a', U'\uFFFD'}));
  EXPECT_EQ(encode_utf8(decode_utf8("タイプ練習¥")), "タイプ練習¥");
}

TEST(FullWidth, ConvertsDigitsLettersBlanksAndKana) {
  EXPECT_EQ(to_full_width("12"), "１２");
  EXPECT_EQ(to_full_width("A b"), "Ａ　ｂ");
  EXPECT_EQ(to_full_width("\\"), "￥");
  EXPECT_EQ(to_full_width("ｶﾀｶﾅ"), "カタカナ");
  EXPECT_EQ(to_full_width("既に全角"), "既に全角");
}

}  // namespace
}  // namespace tutor
