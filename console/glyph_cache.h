#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string_view>
#include <utility>

#include "console/compositor.h"

namespace tutor {

// Rendered glyphs kept on disk between program starts, so that a program
// started after another draws its first frame without rendering its text
// again. One file per font and renderer (the identity given), under
// $XDG_CACHE_HOME/velmora (~/.cache/velmora). Glyphs are appended as they
// are rendered, each record checked when read: a torn or foreign file costs
// only the glyphs from the first record that does not check out. Without a
// usable cache folder nothing is kept and nothing fails.
class GlyphCacheFile {
 public:
  explicit GlyphCacheFile(std::string_view identity);
  ~GlyphCacheFile();
  GlyphCacheFile(const GlyphCacheFile&) = delete;
  GlyphCacheFile& operator=(const GlyphCacheFile&) = delete;

  // The glyph of `ch` rendered for a box, when kept.
  [[nodiscard]] std::optional<GlyphMask> find(char32_t ch, GlyphBox box) const;
  // Whether no glyph is kept.
  [[nodiscard]] bool empty() const { return index_.empty(); }
  // Keeps a rendered glyph.
  void keep(char32_t ch, GlyphBox box, const GlyphMask& mask);

  // Where the cache of an identity is kept; nothing without a cache folder.
  [[nodiscard]] static std::optional<std::filesystem::path> file_for(std::string_view identity);

 private:
  struct Entry {
    std::int64_t offset;  // of the ink's coverage
    GlyphMask shape;      // size and ink; no coverage
  };
  void drop_file();

  int fd_ = -1;
  std::map<std::pair<char32_t, GlyphBox>, Entry> index_;
};

}  // namespace tutor
