#include "console/ttf_glyphs.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <set>
#include <string>

#include "console/geometry.h"

namespace tutor {
namespace {

// The renderer's libraries as this process mapped them, each by its path,
// size and time: an upgrade of SDL_ttf or FreeType changes it. Read from the
// mappings rather than asked of FreeType, which would have to be started,
// at a cost of 400 KB and some time, even where every glyph is kept.
std::string renderer_identity() {
  std::ifstream maps("/proc/self/maps");
  std::set<std::string> libraries;
  for (std::string line; std::getline(maps, line);) {
    const std::size_t path = line.find('/');
    if (path != std::string::npos && (line.find("libfreetype", path) != std::string::npos ||
                                      line.find("libSDL2_ttf", path) != std::string::npos)) {
      libraries.insert(line.substr(path));
    }
  }
  const SDL_version ttf = *TTF_Linked_Version();
  std::string identity = "ttf " + std::to_string(ttf.major) + "." + std::to_string(ttf.minor) +
                         "." + std::to_string(ttf.patch);
  for (const std::string& library : libraries) {
    struct stat st {};
    if (::stat(library.c_str(), &st) == 0) {
      identity += "|" + library + " " + std::to_string(st.st_size) + " " +
                  std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
    }
  }
  return identity;
}

}  // namespace

struct TtfGlyphs::Font {
  TTF_Font* ttf = nullptr;
  ~Font() {
    if (ttf != nullptr) {
      TTF_CloseFont(ttf);
    }
  }
};

TtfGlyphs::TtfGlyphs(const void* data, size_t size) : data_(data), size_(size) {}

std::unique_ptr<TtfGlyphs> TtfGlyphs::open(const std::filesystem::path& font_file,
                                           int font_pixels) {
  // One mapping instead of the many small reads of a font opened by name,
  // once for every size.
  // A FIFO or a device named as the font is never waited on nor mapped.
  const int fd = ::open(font_file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    return nullptr;
  }
  struct stat st {};
  void* data = MAP_FAILED;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
    data = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
  }
  ::close(fd);
  if (data == MAP_FAILED) {
    return nullptr;
  }
  std::unique_ptr<TtfGlyphs> glyphs(
      new TtfGlyphs(data, static_cast<size_t>(st.st_size)));  // private constructor
  // Kept glyphs belong to this very font file and renderer.
  std::error_code ec;
  const std::string identity = std::filesystem::weakly_canonical(font_file, ec).string() + "|" +
                               std::to_string(st.st_size) + "|" +
                               std::to_string(st.st_mtim.tv_sec) + "." +
                               std::to_string(st.st_mtim.tv_nsec) + "|" + renderer_identity();
  glyphs->disk_ = std::make_unique<GlyphCacheFile>(identity);
  // A font whose glyphs were kept opened before; any other is tried now, and
  // one that cannot be opened is no font.
  if (glyphs->disk_->empty()) {
    if (glyphs->font_for(font_pixels) == nullptr) {
      return nullptr;
    }
    glyphs->release_pages();
  }
  return glyphs;
}

// FreeType copies what it keeps; the mapped pages it read are only the page
// cache's, so they need not count in this program's memory.
void TtfGlyphs::release_pages() {
  ::madvise(const_cast<void*>(data_), size_, MADV_DONTNEED);
}

TtfGlyphs::~TtfGlyphs() {
  fonts_.clear();
  ::munmap(const_cast<void*>(data_), size_);
}

TtfGlyphs::Font* TtfGlyphs::font_for(int pixels) {
  auto& slot = fonts_[pixels];
  if (!slot) {
    // FreeType starts with the first glyph no kept one stands for.
    if (TTF_WasInit() == 0 && TTF_Init() != 0) {
      fonts_.erase(pixels);
      return nullptr;
    }
    TTF_Font* ttf = TTF_OpenFontRW(SDL_RWFromConstMem(data_, static_cast<int>(size_)), 1, pixels);
    if (ttf == nullptr) {
      fonts_.erase(pixels);
      return nullptr;
    }
    slot = std::make_unique<Font>();
    slot->ttf = ttf;
  }
  return slot.get();
}

const GlyphMask* TtfGlyphs::glyph(char32_t ch, GlyphBox box) {
  const auto key = std::make_pair(ch, box);
  if (auto it = cache_.find(key); it != cache_.end()) {
    return it->second ? &*it->second : nullptr;
  }
  auto& entry = cache_[key];
  if (auto kept = disk_->find(ch, box)) {
    entry = std::move(kept);
    return &*entry;
  }
  Font* font = font_for(box.font_pixels);
  if (font == nullptr) {
    return nullptr;
  }
  if (ch > 0xffff || TTF_GlyphIsProvided32(font->ttf, ch) == 0) {
    lacks_glyphs_ = lacks_glyphs_ || ch >= 0x20;
    return nullptr;
  }
  SDL_Surface* rendered = TTF_RenderGlyph32_Blended(font->ttf, ch, SDL_Color{255, 255, 255, 255});
  release_pages();
  if (rendered == nullptr) {
    return nullptr;
  }
  SDL_Surface* argb = rendered;
  if (rendered->format->format != SDL_PIXELFORMAT_ARGB8888) {
    argb = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(rendered);
    if (argb == nullptr) {
      return nullptr;
    }
  }
  GlyphMask mask;
  mask.width = box.width;
  mask.height = box.height;
  mask.coverage.assign(static_cast<size_t>(mask.width * mask.height), 0);
  // Centre the glyph's box in the cells: horizontally on its advance, and the
  // font's line height in the row.
  const int left = (mask.width - argb->w) / 2;
  const int top = (mask.height - TTF_FontHeight(font->ttf)) / 2;
  SDL_LockSurface(argb);
  for (int y = 0; y < argb->h; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(
        static_cast<const std::uint8_t*>(argb->pixels) + y * argb->pitch);
    for (int x = 0; x < argb->w; ++x) {
      const int mx = left + x;
      const int my = top + y;
      if (mx < 0 || mx >= mask.width || my < 0 || my >= mask.height) {
        continue;
      }
      mask.coverage[static_cast<size_t>(my * mask.width + mx)] =
          static_cast<std::uint8_t>(row[x] >> 24);
    }
  }
  SDL_UnlockSurface(argb);
  SDL_FreeSurface(argb);
  mask.find_ink();
  disk_->keep(ch, box, mask);
  entry = std::move(mask);
  return &*entry;
}

}  // namespace tutor
