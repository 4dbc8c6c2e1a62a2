#include "console/glyph_cache.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "console/ttf_glyphs.h"
#include "tests/support/headless_fixture.h"

namespace tutor {
namespace {

// Glyphs rendered once come back from the disk cache pixel for pixel, in a
// later program as in this one; a torn cache costs only what follows the tear.
TEST(GlyphCache, KeptGlyphsComeBackAsRenderedAndATornFileCostsOnlyItsTail) {
  const auto font = find_console_font();
  ASSERT_TRUE(font) << "no console font";
  const auto home =
      std::filesystem::temp_directory_path() / ("glyph-cache-" + std::to_string(::getpid()));
  std::filesystem::remove_all(home);
  ::setenv("XDG_CACHE_HOME", home.c_str(), 1);
  const std::u32string text = U"漢Aあ；J";
  auto glyphs_of = [&] {
    std::vector<GlyphMask> out;
    auto g = TtfGlyphs::open(*font, 32);
    for (char32_t ch : text) {
      out.push_back(*g->glyph(ch, {32, ch < 0x80 ? 16 : 32, 36}));
    }
    return out;
  };
  auto same = [](const std::vector<GlyphMask>& a, const std::vector<GlyphMask>& b) {
    for (size_t i = 0; i < a.size(); ++i) {
      EXPECT_EQ(a[i].coverage, b[i].coverage) << i;
      EXPECT_EQ(a[i].ink, b[i].ink) << i;
    }
  };
  const std::vector<GlyphMask> rendered = glyphs_of();
  const auto files = testing::files_in(home / "velmora");
  ASSERT_EQ(files.size(), 1u);
  const auto file = home / "velmora" / files[0];
  const auto full = std::filesystem::file_size(file);
  same(glyphs_of(), rendered);
  EXPECT_EQ(std::filesystem::file_size(file), full);  // nothing rendered again

  std::filesystem::resize_file(file, full / 2);
  std::ofstream(file, std::ios::app) << "not a glyph";
  same(glyphs_of(), rendered);
  const auto mended = std::filesystem::file_size(file);
  EXPECT_GE(mended, full / 2);
  same(glyphs_of(), rendered);
  EXPECT_EQ(std::filesystem::file_size(file), mended);
  ::unsetenv("XDG_CACHE_HOME");
  std::filesystem::remove_all(home);
}

}  // namespace
}  // namespace tutor
