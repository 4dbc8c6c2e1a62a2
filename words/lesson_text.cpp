#include "words/lesson_text.h"

#include <iconv.h>

#include <cerrno>
#include <optional>
#include <string_view>

#include "console/text.h"

namespace tutor::words {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool is_utf8(const std::string& text) {
  return encode_utf8(decode_utf8(text)) == text;
}

// CP932 as glibc's iconv converts it; nothing where a byte is not CP932.
std::optional<std::string> from_cp932(const std::string& bytes) {
  const iconv_t converter = ::iconv_open("UTF-8", "CP932");
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    return std::nullopt;
  }
  std::string out(bytes.size() * 3 / 2 + 16, '\0');
  char* in = const_cast<char*>(bytes.data());
  std::size_t in_left = bytes.size();
  char* to = out.data();
  std::size_t to_left = out.size();
  bool whole = true;
  while (in_left > 0) {
    if (::iconv(converter, &in, &in_left, &to, &to_left) == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG) {
        const std::size_t done = out.size() - to_left;
        out.resize(out.size() * 2);
        to = out.data() + done;
        to_left = out.size() - done;
        continue;
      }
      whole = false;
      break;
    }
  }
  ::iconv_close(converter);
  if (!whole) {
    return std::nullopt;
  }
  out.resize(out.size() - to_left);
  return out;
}

}  // namespace

std::string lesson_text(std::string bytes) {
  if (bytes.starts_with(kByteOrderMark)) {
    bytes.erase(0, kByteOrderMark.size());
  } else if (!is_utf8(bytes)) {
    if (std::optional<std::string> converted = from_cp932(bytes)) {
      bytes = std::move(*converted);
    }
  }
  return with_lf_line_ends(bytes);
}

}  // namespace tutor::words
