#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

#include "console/compositor.h"

namespace tutor {

// The font file for the console text: $VELMORA_FONT when it names a file, else
// the family it names (or IPAGothic) as fontconfig resolves it.
[[nodiscard]] std::optional<std::filesystem::path> find_console_font();

// Glyphs of a TrueType font through SDL_ttf, rendered at the pixel size of each
// scale so that text stays crisp, and cached.
class TtfGlyphs final : public GlyphSource {
 public:
  // Nullptr when the font cannot be opened.
  static std::unique_ptr<TtfGlyphs> open(const std::filesystem::path& font_file);
  ~TtfGlyphs() override;

  const GlyphMask* glyph(char32_t ch, int cells, int scale) override;

 private:
  explicit TtfGlyphs(std::filesystem::path file);
  struct Font;
  Font* font_for(int scale);

  std::filesystem::path file_;
  std::map<int, std::unique_ptr<Font>> fonts_;
  std::map<std::tuple<char32_t, int, int>, std::optional<GlyphMask>> cache_;
};

}  // namespace tutor
