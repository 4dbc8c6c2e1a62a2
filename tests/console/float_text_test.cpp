#include "console/float_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace tutor {
namespace {

// The console's own float text, which the browser's build uses, gives and
// takes exactly what the standard library's does: records written by one
// edition read back the same in the other, and numbers show alike. Floats
// across the whole range (a stride through every bit pattern) and the edges.
TEST(FloatText, TheBrowsersOwnFormIsTheStandardLibrarys) {
  std::vector<float> values = {0.0f,
                               -0.0f,
                               0.1f,
                               92.5f,
                               91.25f,
                               0.45f,
                               1e20f,
                               1e-5f,
                               123456789.0f,
                               1.0f / 3,
                               std::numeric_limits<float>::max(),
                               std::numeric_limits<float>::min(),
                               std::numeric_limits<float>::denorm_min()};
  for (std::uint64_t bits = 0; bits <= 0xffffffffu; bits += 104729) {
    const auto value = std::bit_cast<float>(static_cast<std::uint32_t>(bits));
    if (std::isfinite(value)) {
      values.push_back(value);
    }
  }
  for (const float value : values) {
    for (const bool fixed : {false, true}) {
      const std::string text = shortest_float_text(value, fixed);
      ASSERT_EQ(portable::shortest_float_text(value, fixed), text) << value << " fixed " << fixed;
      ASSERT_EQ(portable::float_of_text(text), float_of_text(text)) << text;
      ASSERT_EQ(float_of_text(text), value) << text;
    }
  }
  for (const std::string_view text :
       {"",      "+1",     " 1",  "1 ",  "1e",   "1e+",   "e5",   ".5",  "5.",  "-",    "-.",
        "1.5e3", "1.5E-3", "inf", "nan", "1e40", "1e-50", "0x10", "1,5", "--1", "1.2.3"}) {
    EXPECT_EQ(portable::float_of_text(text), float_of_text(text)) << "\"" << text << "\"";
  }
}

}  // namespace
}  // namespace tutor
