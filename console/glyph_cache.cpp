#include "console/glyph_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace tutor {
namespace {

constexpr std::uint32_t kRecordMark = 0x32434756;  // "VGC2"
// A cache grown past this (many fonts' worth of glyphs) starts again.
constexpr off_t kLargestFile = 8 << 20;

// One kept glyph: this head, then the coverage of its ink, row by row.
struct RecordHead {
  std::uint32_t mark;
  std::uint32_t ch;
  std::uint16_t font_pixels;
  std::uint16_t unused;
  std::uint16_t width;
  std::uint16_t height;
  std::int16_t ink_x1;
  std::int16_t ink_y1;
  std::int16_t ink_x2;
  std::int16_t ink_y2;
  std::uint32_t check;  // of the head with this field 0, and the coverage
};

std::uint32_t fnv1a(const void* data, size_t n, std::uint32_t h = 2166136261u) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  for (size_t i = 0; i < n; ++i) {
    h = (h ^ p[i]) * 16777619u;
  }
  return h;
}

std::uint32_t check_of(RecordHead head, const std::uint8_t* coverage, size_t n) {
  head.check = 0;
  return fnv1a(coverage, n, fnv1a(&head, sizeof head));
}

size_t ink_size(const RecordHead& h) {
  return h.ink_x2 < h.ink_x1 ? 0
                             : static_cast<size_t>(h.ink_x2 - h.ink_x1 + 1) *
                                   static_cast<size_t>(h.ink_y2 - h.ink_y1 + 1);
}

bool plausible(const RecordHead& h) {
  return h.mark == kRecordMark && h.width > 0 && h.height > 0 && h.width <= 1024 &&
         h.height <= 1024 &&
         (h.ink_x2 < h.ink_x1 || (h.ink_x1 >= 0 && h.ink_y1 >= 0 && h.ink_x2 < h.width &&
                                  h.ink_y2 < h.height && h.ink_y1 <= h.ink_y2));
}

// Whether a file's first record is a glyph record that checks out.
bool begins_with_record(int fd, off_t size) {
  RecordHead head{};
  if (size < static_cast<off_t>(sizeof head) ||
      ::pread(fd, &head, sizeof head, 0) != static_cast<ssize_t>(sizeof head) || !plausible(head)) {
    return false;
  }
  const size_t n = ink_size(head);
  if (static_cast<off_t>(sizeof head + n) > size) {
    return false;
  }
  std::vector<std::uint8_t> coverage(n);
  return ::pread(fd, coverage.data(), n, sizeof head) == static_cast<ssize_t>(n) &&
         check_of(head, coverage.data(), n) == head.check;
}

}  // namespace

std::optional<std::filesystem::path> GlyphCacheFile::file_for(std::string_view identity) {
  std::filesystem::path folder;
  if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg != nullptr && xdg[0] == '/') {
    folder = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
    folder = std::filesystem::path(home) / ".cache";
  } else {
    return std::nullopt;
  }
  char name[40];
  std::snprintf(name, sizeof name, "glyphs-%08x.bin", fnv1a(identity.data(), identity.size()));
  return folder / "velmora" / name;
}

GlyphCacheFile::GlyphCacheFile(std::string_view identity) {
  const auto file = file_for(identity);
  std::error_code ec;
  if (!file || (std::filesystem::create_directories(file->parent_path(), ec), ec)) {
    return;
  }
  // Never through a link (it may lead to any file of the learner's, or be
  // made to lead to a system file), never waiting on a FIFO; only a regular
  // file of the learner's own is used, anything else is left alone.
  fd_ = ::open(file->c_str(), O_RDWR | O_CREAT | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
               0644);
  struct stat st {};
  if (fd_ < 0) {
    return;
  }
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
    drop_file();
    return;
  }
  // A file is only ever cut that begins with a glyph record: it is ours.
  if (st.st_size > 0 && !begins_with_record(fd_, st.st_size)) {
    drop_file();
    return;
  }
  if (st.st_size > kLargestFile) {
    if (::ftruncate(fd_, 0) != 0) {
      drop_file();
    }
    return;
  }
  // One read of the whole file; only an index of it is kept.
  std::vector<std::uint8_t> data(static_cast<size_t>(st.st_size));
  if (::pread(fd_, data.data(), data.size(), 0) != static_cast<ssize_t>(data.size())) {
    drop_file();
    return;
  }
  for (size_t at = 0; at + sizeof(RecordHead) <= data.size();) {
    RecordHead head;
    std::memcpy(&head, data.data() + at, sizeof head);
    const size_t n = plausible(head) ? ink_size(head) : 0;
    const size_t end = at + sizeof head + n;
    if (!plausible(head) || end > data.size() ||
        check_of(head, data.data() + at + sizeof head, n) != head.check) {
      // The rest cannot be trusted: cut it off, so that glyphs kept from now
      // on can be read again.
      if (::ftruncate(fd_, static_cast<off_t>(at)) != 0) {
        drop_file();
      }
      break;
    }
    GlyphMask shape;
    shape.width = head.width;
    shape.height = head.height;
    shape.ink = {head.ink_x1, head.ink_y1, head.ink_x2, head.ink_y2};
    index_[{static_cast<char32_t>(head.ch), {head.font_pixels, head.width, head.height}}] = {
        static_cast<std::int64_t>(at + sizeof head), shape};
    at = end;
  }
}

GlyphCacheFile::~GlyphCacheFile() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

std::optional<GlyphMask> GlyphCacheFile::find(char32_t ch, GlyphBox box) const {
  const auto it = index_.find({ch, box});
  if (it == index_.end()) {
    return std::nullopt;
  }
  GlyphMask mask = it->second.shape;
  mask.coverage.assign(static_cast<size_t>(mask.width * mask.height), 0);
  const PixelRect ink = mask.ink;
  if (ink.x2 < ink.x1) {
    return mask;
  }
  const auto ink_width = static_cast<size_t>(ink.x2 - ink.x1 + 1);
  std::vector<std::uint8_t> rows(ink_width * static_cast<size_t>(ink.y2 - ink.y1 + 1));
  if (::pread(fd_, rows.data(), rows.size(), it->second.offset) !=
      static_cast<ssize_t>(rows.size())) {
    return std::nullopt;
  }
  for (int y = ink.y1; y <= ink.y2; ++y) {
    std::memcpy(mask.coverage.data() + static_cast<size_t>(y * mask.width + ink.x1),
                rows.data() + static_cast<size_t>(y - ink.y1) * ink_width, ink_width);
  }
  return mask;
}

void GlyphCacheFile::keep(char32_t ch, GlyphBox box, const GlyphMask& mask) {
  if (fd_ < 0) {
    return;
  }
  RecordHead head{kRecordMark,
                  static_cast<std::uint32_t>(ch),
                  static_cast<std::uint16_t>(box.font_pixels),
                  0,
                  static_cast<std::uint16_t>(mask.width),
                  static_cast<std::uint16_t>(mask.height),
                  static_cast<std::int16_t>(mask.ink.x1),
                  static_cast<std::int16_t>(mask.ink.y1),
                  static_cast<std::int16_t>(mask.ink.x2),
                  static_cast<std::int16_t>(mask.ink.y2),
                  0};
  if (!plausible(head)) {
    return;
  }
  std::vector<std::uint8_t> record(sizeof head);
  for (int y = mask.ink.y1; y <= mask.ink.y2 && mask.ink.x1 <= mask.ink.x2; ++y) {
    const auto* row = mask.coverage.data() + static_cast<size_t>(y * mask.width);
    record.insert(record.end(), row + mask.ink.x1, row + mask.ink.x2 + 1);
  }
  head.check = check_of(head, record.data() + sizeof head, record.size() - sizeof head);
  std::memcpy(record.data(), &head, sizeof head);
  // One append: records of two programs never interleave.
  if (::write(fd_, record.data(), record.size()) != static_cast<ssize_t>(record.size())) {
    drop_file();
  }
}

// A file that could not be cut back or added to may end in a torn record:
// glyphs appended after it would be lost at the next start, so the file is
// left alone and every glyph rendered.
void GlyphCacheFile::drop_file() {
  ::close(fd_);
  fd_ = -1;
  index_.clear();
}

}  // namespace tutor
