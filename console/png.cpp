#include "console/png.h"

#include <algorithm>
#include <array>
#include <fstream>

namespace tutor {
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
