#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "console/compositor.h"
#include "console/glyph_cache.h"

namespace tutor {

// The font file for the console text: $VELMORA_FONT when it names a file, else
// the family it names as fontconfig resolves it; without it, IPAGothic where
// Debian installs it, else as fontconfig resolves it.
[[nodiscard]] std::optional<std::filesystem::path> find_console_font();

// Glyphs of a TrueType font through SDL_ttf, rendered at the pixel size of the
// cells they fill so that text stays crisp, and cached, in memory and on disk for the
// programs started later. The font file is mapped into memory once; each size
// is opened from there when a glyph is not kept.
class TtfGlyphs final : public GlyphSource {
 public:
  // The font ready at `font_pixels`; nullptr when it cannot be opened.
  static std::unique_ptr<TtfGlyphs> open(const std::filesystem::path& font_file, int font_pixels);
  ~TtfGlyphs() override;
  TtfGlyphs(const TtfGlyphs&) = delete;
  TtfGlyphs& operator=(const TtfGlyphs&) = delete;

  const GlyphMask* glyph(char32_t ch, GlyphBox box) override;
  // Whether a printable character was asked for that the font has no glyph
  // for (a font cut to the built-in texts, given an own lesson's word).
  [[nodiscard]] bool lacks_glyphs() const { return lacks_glyphs_; }

 private:
  TtfGlyphs(const void* data, size_t size);
  struct Font;
  Font* font_for(int pixels);
  void release_pages();

  const void* data_;  // the mapped font file
  size_t size_;
  std::unique_ptr<GlyphCacheFile> disk_;
  std::map<int, std::unique_ptr<Font>> fonts_;
  std::map<std::pair<char32_t, GlyphBox>, std::optional<GlyphMask>> cache_;
  bool lacks_glyphs_ = false;
};

}  // namespace tutor
