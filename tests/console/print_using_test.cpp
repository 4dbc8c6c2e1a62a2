#include "console/print_using.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tutor {
namespace {

// Right-aligned in their places, thousands grouped, halves rounded away from zero
// at every place count, the minus sign inside the field, a wider number whole.
TEST(PrintUsing, NumbersFillTheirFieldsAsTheScreensShowThem) {
  const std::tuple<const char*, double, const char*> cases[] = {
      {"####", 4.0, "   4"},        {"##", 45.0, "45"},           {"###", 0.0, "  0"},
      {"#,###", 1234.0, "1,234"},   {"#,###", 399.0, "  399"},    {"##,###", 12345.0, "12,345"},
      {"#,###.#", 91.2, "   91.2"}, {"#,###.#", 78.0, "   78.0"}, {"#,###.#", 1234.56, "1,234.6"},
      {"####", 92.5, "  93"},       {"####", 93.5, "  94"},       {"####", 0.5, "   1"},
      {"####", 91.49, "  91"},      {"####", -2.5, "  -3"},       {"#.#", 91.25, "91.3"},
      {"#.#", 91.15, "91.2"},       {"#.#", -0.25, "-0.3"},       {"#.#", -0.04, "0.0"}};
  for (const auto& [mask, value, shown] : cases) {
    EXPECT_EQ(format_using(mask, {value}), shown) << mask << " " << value;
  }
  EXPECT_EQ(format_using("  あと #### 文字", {600.0}), "  あと  600 文字");
  EXPECT_EQ(format_using("## 分", {100.0}), "100 分");
  EXPECT_EQ(format_using("##,###", {-2.0}), "    -2");
  EXPECT_EQ(format_using("##,###", {-1234.0}), "-1,234");
  EXPECT_EQ(format_using("##,###", {-12345.0}), "-12,345");
  EXPECT_EQ(format_using("#,###", {12345.0}), "12,345");
  EXPECT_EQ(format_using("#,###.#", {-1234.25}), "-1,234.3");
  EXPECT_EQ(format_using("##", {123.0}), "123");
  // Single precision as the drills compute: 380 in 4 min 10 s, 365 in 4:00.
  EXPECT_EQ(format_using("#,###.#", {double{380.0f / (4.0f + 10.0f / 60.0f)}}), "   91.2");
  EXPECT_EQ(format_using("#,###.#", {double{365.0f / 4.0f}}), "   91.3");
  EXPECT_EQ(format_using("#,###.#", {double{999.95f}}), "1,000.0");
  EXPECT_EQ(format_using("#.#", {double{0.45f}}), "0.5");
}

TEST(PrintUsing, StringFieldsAreLeftAlignedAndCutAtTheirWidth) {
  EXPECT_EQ(format_using("現在のランク  &  &", {std::string_view("初段")}), "現在のランク  初段");
  EXPECT_EQ(format_using("[&   &]", {std::string_view("10級")}), "[10級 ]");
  EXPECT_EQ(format_using("[&      &]", {std::string_view("導 入 編")}), "[導 入 編]");
  EXPECT_EQ(format_using("[&  &]", {std::string_view("クリアー")}), "[クリ]");
  // A full-width character that would straddle the edge is left out.
  EXPECT_EQ(format_using("[& &]", {std::string_view("ab漢")}), "[ab ]");
}

TEST(PrintUsing, FillsSeveralFieldsInOrder) {
  EXPECT_EQ(format_using(" あと ## 分 ## 秒です", {2.0, 5.0}), " あと  2 分  5 秒です");
  // Values beyond the fields start the mask again.
  EXPECT_EQ(format_using("#,", {1.0, 2.0}), "1,2,");
  EXPECT_THROW((void)format_using("####", {std::string_view("x")}), std::invalid_argument);
}

}  // namespace
}  // namespace tutor
