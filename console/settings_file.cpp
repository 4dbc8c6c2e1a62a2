#include "console/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "console/records.h"
#include "console/text.h"

namespace tutor {
namespace {

// A settings file is a few lines; anything longer is not one.
constexpr std::size_t kLargestFile = 16 << 10;

}  // namespace

std::optional<std::filesystem::path> settings_file(std::string_view name) {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
    return std::filesystem::path(xdg) / "velmora" / name;
  }
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
    return std::filesystem::path(home) / ".config" / "velmora" / name;
  }
  return std::nullopt;
}

std::optional<std::string> read_settings_file(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    return std::nullopt;
  }
  struct stat st {};
  std::string text(kLargestFile + 1, '\0');
  ssize_t n = -1;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
      static_cast<std::size_t>(st.st_size) <= kLargestFile) {
    n = ::pread(fd, text.data(), text.size(), 0);
  }
  ::close(fd);
  if (n < 0 || static_cast<std::size_t>(n) > kLargestFile) {
    return std::nullopt;
  }
  text.resize(static_cast<std::size_t>(n));
  // A file saved on Windows or an old Mac reads as one saved here.
  return with_lf_line_ends(text);
}

void write_settings_file(const std::filesystem::path& file, std::string_view text) {
  std::error_code ec;
  if ((std::filesystem::create_directories(file.parent_path(), ec), ec)) {
    return;
  }
  // A link, a FIFO or a folder in its place is the learner's, not ours.
  const auto kind = std::filesystem::symlink_status(file, ec).type();
  if (kind != std::filesystem::file_type::regular &&
      kind != std::filesystem::file_type::not_found) {
    return;
  }
  if (!text.empty() && text.back() == '\n') {
    text.remove_suffix(1);  // the record writer ends the text with its line feed
  }
  (void)replace_record_file(file, text);
}

}  // namespace tutor
