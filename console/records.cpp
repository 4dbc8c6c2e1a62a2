#include "console/records.h"

#include "console/float_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace tutor {
namespace {

std::string_view trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) {
    return {};
  }
  const auto last = s.find_last_not_of(" \t\r\n");
  return s.substr(first, last - first + 1);
}

bool write_all(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    data.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Records hold a few bytes, the word course's passes some kilobytes; a line
// longer than this is no record, and is unreadable rather than cut (a cut
// line written back would lose what was cut off).
constexpr size_t kLongestRecord = 1 << 20;
constexpr size_t kFirstRead = 4096;

// A temporary file beside `file` under a name no other writer uses, opened for
// writing; -1 when it cannot be made.
int open_fresh_beside(const std::filesystem::path& file, std::filesystem::path& fresh) {
  std::random_device random;
  for (int attempt = 0; attempt < 16; ++attempt) {
    char unique[32];
    std::snprintf(unique, sizeof unique, ".%08x%08x.new", random(), random());
    fresh = file.parent_path() / ("." + file.filename().string() + unique);
    const int fd = ::open(fresh.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0 || errno != EEXIST) {
      return fd;
    }
  }
  return -1;
}

void sync_folder(const std::filesystem::path& file) {
  std::filesystem::path folder = file.parent_path();
  if (folder.empty()) {
    folder = ".";
  }
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

}  // namespace

RecordRead read_record_file(const std::filesystem::path& file) {
  // Not waiting on a FIFO in the record's place: it is unreadable.
  const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    return {errno == ENOENT ? RecordRead::Status::Missing : RecordRead::Status::Unreadable, {}};
  }
  struct stat st {};
  std::string data(kFirstRead, '\0');
  size_t have = 0;
  bool failed = ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode);
  while (!failed) {
    if (have == data.size()) {
      if (data.size() > kLongestRecord) {
        failed = true;  // no line end within the longest record
        break;
      }
      data.resize(std::min(data.size() * 2, kLongestRecord + 1));
    }
    const ssize_t n = ::read(fd, data.data() + have, data.size() - have);
    if (n < 0 && errno == EINTR) {
      continue;
    }
    if (n < 0) {
      failed = true;
    } else if (n == 0 || std::memchr(data.data() + have, '\n', static_cast<size_t>(n)) != nullptr) {
      have += static_cast<size_t>(n);
      break;
    } else {
      have += static_cast<size_t>(n);
    }
  }
  ::close(fd);
  if (failed) {
    return {RecordRead::Status::Unreadable, {}};
  }
  data.resize(have);
  data.resize(std::min(data.find('\n'), data.size()));
  if (!data.empty() && data.back() == '\r') {
    data.pop_back();
  }
  return {RecordRead::Status::Read, std::move(data)};
}

bool replace_record_files(std::span<const RecordWrite> writes) {
  std::vector<std::filesystem::path> fresh(writes.size());
  auto discard_from = [&](size_t first) {
    for (size_t i = first; i < fresh.size(); ++i) {
      if (!fresh[i].empty()) {
        ::unlink(fresh[i].c_str());
      }
    }
  };
  for (size_t i = 0; i < writes.size(); ++i) {
    std::filesystem::path name;
    const int fd = open_fresh_beside(writes[i].file, name);
    if (fd < 0) {
      discard_from(0);
      return false;
    }
    fresh[i] = std::move(name);
    std::string data(writes[i].line);
    data += '\n';
    const bool written = write_all(fd, data) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !written) {
      discard_from(0);
      return false;
    }
  }
  for (size_t i = 0; i < writes.size(); ++i) {
    if (::rename(fresh[i].c_str(), writes[i].file.c_str()) != 0) {
      discard_from(i);
      return false;
    }
    fresh[i].clear();
  }
  // Make the renames themselves durable.
  for (size_t i = 0; i < writes.size(); ++i) {
    if (i == 0 || writes[i].file.parent_path() != writes[i - 1].file.parent_path()) {
      sync_folder(writes[i].file);
    }
  }
  return true;
}

bool replace_record_file(const std::filesystem::path& file, std::string_view line) {
  const RecordWrite write{file, line};
  return replace_record_files({&write, 1});
}

std::optional<int> parse_whole_number(std::string_view text) {
  text = trim(text);
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
  }
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc{} || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

std::optional<float> parse_number(std::string_view text) {
  text = trim(text);
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
  }
  return float_of_text(text);
}

std::string number_text(float value) {
  return std::isfinite(value) ? shortest_float_text(value) : std::string("0");
}

}  // namespace tutor
