#include "console/compositor.h"

#include <algorithm>
#include <array>
#include <fstream>

namespace tutor {
namespace {

constexpr std::uint32_t argb(Rgb c) {
  return 0xff000000u | (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
}

constexpr std::array<std::uint32_t, 16> kArgb = [] {
  std::array<std::uint32_t, 16> out{};
  for (size_t i = 0; i < 16; ++i) {
    out[i] = argb(kPalette[i]);
  }
  return out;
}();

std::uint32_t blend(std::uint32_t under, std::uint32_t over, unsigned alpha) {
  auto mix = [&](int shift) {
    const unsigned a = (under >> shift) & 0xff;
    const unsigned b = (over >> shift) & 0xff;
    return ((a * (255 - alpha) + b * alpha + 127) / 255) << shift;
  };
  return 0xff000000u | mix(16) | mix(8) | mix(0);
}

void draw_glyph(Picture& out, const GlyphMask& g, int left, int top, std::uint32_t colour) {
  for (int y = 0; y < g.height; ++y) {
    const int py = top + y;
    if (py < 0 || py >= out.height) {
      continue;
    }
    for (int x = 0; x < g.width; ++x) {
      const int px = left + x;
      const unsigned a = g.coverage[static_cast<size_t>(y * g.width + x)];
      if (a == 0 || px < 0 || px >= out.width) {
        continue;
      }
      std::uint32_t& dst = out.argb[static_cast<size_t>(py * out.width + px)];
      dst = a == 255 ? colour : blend(dst, colour, a);
    }
  }
}

}  // namespace

void compose(const Screen& screen, int scale, GlyphSource* glyphs, Picture& out) {
  out.width = kSurfaceWidth * scale;
  out.height = kSurfaceHeight * scale;
  out.argb.resize(static_cast<size_t>(out.width) * static_cast<size_t>(out.height));
  const auto pixels = screen.graphics.pixels();
  for (int y = 0; y < kSurfaceHeight; ++y) {
    std::uint32_t* row = out.argb.data() + static_cast<size_t>(y * scale) * out.width;
    for (int x = 0; x < kSurfaceWidth; ++x) {
      const std::uint32_t c = kArgb[pixels[static_cast<size_t>(y * kSurfaceWidth + x)] & 15];
      for (int k = 0; k < scale; ++k) {
        row[x * scale + k] = c;
      }
    }
    for (int k = 1; k < scale; ++k) {
      std::copy(row, row + out.width, row + static_cast<size_t>(k) * out.width);
    }
  }
  if (glyphs == nullptr) {
    return;
  }
  for (int row = 0; row < kRows; ++row) {
    for (int col = 0; col < kColumns; ++col) {
      const TextCell& cell = screen.text.cell({col, row});
      if (cell.shape != TextCell::Shape::Narrow && cell.shape != TextCell::Shape::WideLeft) {
        continue;
      }
      const int cells = cell.shape == TextCell::Shape::WideLeft ? 2 : 1;
      if (const GlyphMask* g = glyphs->glyph(cell.ch, cells, scale)) {
        draw_glyph(out, *g, col * kCellWidth * scale, row * kCellHeight * scale,
                   kArgb[static_cast<size_t>(cell.colour.index())]);
      }
    }
  }
}

namespace {

std::uint32_t crc32(const std::uint8_t* data, size_t n, std::uint32_t crc = 0) {
  static const auto table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) {
        c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
      }
      t[i] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) {
    crc = table[(crc ^ data[i]) & 0xff] ^ (crc >> 8);
  }
  return ~crc;
}

void put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    v.push_back(static_cast<std::uint8_t>(x >> shift));
  }
}

void chunk(std::ofstream& out, const char* type, const std::vector<std::uint8_t>& body) {
  std::vector<std::uint8_t> c;
  put32(c, static_cast<std::uint32_t>(body.size()));
  c.insert(c.end(), type, type + 4);
  c.insert(c.end(), body.begin(), body.end());
  put32(c, crc32(c.data() + 4, c.size() - 4));
  out.write(reinterpret_cast<const char*>(c.data()), static_cast<std::streamsize>(c.size()));
}

}  // namespace

bool write_png(const Picture& picture, const std::filesystem::path& file) {
  std::ofstream out(file, std::ios::binary);
  if (!out) {
    return false;
  }
  static constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  out.write(reinterpret_cast<const char*>(kSignature), sizeof kSignature);
  std::vector<std::uint8_t> header;
  put32(header, static_cast<std::uint32_t>(picture.width));
  put32(header, static_cast<std::uint32_t>(picture.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
  chunk(out, "IHDR", header);

  // Raw scanlines (filter 0) in stored deflate blocks.
  std::vector<std::uint8_t> raw;
  for (int y = 0; y < picture.height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < picture.width; ++x) {
      const std::uint32_t p = picture.argb[static_cast<size_t>(y * picture.width + x)];
      raw.push_back(static_cast<std::uint8_t>(p >> 16));
      raw.push_back(static_cast<std::uint8_t>(p >> 8));
      raw.push_back(static_cast<std::uint8_t>(p));
    }
  }
  std::vector<std::uint8_t> z = {0x78, 0x01};
  for (size_t at = 0; at < raw.size() || raw.empty();) {
    const size_t n = std::min<size_t>(65535, raw.size() - at);
    const bool last = at + n == raw.size();
    z.push_back(last ? 1 : 0);
    z.push_back(static_cast<std::uint8_t>(n));
    z.push_back(static_cast<std::uint8_t>(n >> 8));
    z.push_back(static_cast<std::uint8_t>(~n));
    z.push_back(static_cast<std::uint8_t>(~n >> 8));
    z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
             raw.begin() + static_cast<std::ptrdiff_t>(at + n));
    at += n;
    if (last) {
      break;
    }
  }
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  put32(z, (b << 16) | a);
  chunk(out, "IDAT", z);
  chunk(out, "IEND", {});
  return static_cast<bool>(out);
}

}  // namespace tutor
