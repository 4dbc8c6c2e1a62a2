// Whether a libpq service is defined, found the way libpq finds it.

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "classsync/service_file.h"

namespace tutor::classsync {
namespace {

// Service files are a few lines each; a bigger one is not read.
constexpr std::size_t kLargestServiceFile = 1 << 20;

// Debian's libpq looks here when PGSYSCONFDIR is not set (pg_config --sysconfdir).
constexpr std::string_view kDebianSysconfDir = "/etc/postgresql-common";

// A service file's text, following links as libpq does but never waiting on
// a FIFO or a device: only a regular file is read.
std::optional<std::string> read_small_file(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    return std::nullopt;
  }
  struct stat st {};
  std::string text;
  bool whole = false;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
      static_cast<std::size_t>(st.st_size) <= kLargestServiceFile) {
    text.resize(static_cast<std::size_t>(st.st_size));
    const ssize_t n = ::pread(fd, text.data(), text.size(), 0);
    whole = n == static_cast<ssize_t>(text.size());
  }
  ::close(fd);
  return whole ? std::optional(std::move(text)) : std::nullopt;
}

// A group "[service]" begins a line, after blanks; what follows the bracket
// does not matter to libpq.
bool defines(std::string_view text, std::string_view service) {
  while (!text.empty()) {
    const size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    line.remove_prefix(std::min(line.find_first_not_of(" \t\r\f\v"), line.size()));
    if (line.size() >= service.size() + 2 && line[0] == '[' &&
        line.substr(1, service.size()) == service && line[service.size() + 1] == ']') {
      return true;
    }
  }
  return false;
}

bool defined_in(const std::filesystem::path& file, std::string_view service) {
  const std::optional<std::string> text = read_small_file(file);
  return text && defines(*text, service);
}

std::optional<std::filesystem::path> home_folder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    return std::filesystem::path(home);
  }
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
      found != nullptr && found->pw_dir != nullptr) {
    return std::filesystem::path(found->pw_dir);
  }
  return std::nullopt;
}

}  // namespace

bool service_defined(std::string_view service) {
  if (const char* named = std::getenv("PGSERVICEFILE"); named != nullptr) {
    // libpq stops at a file named here that is not there.
    std::error_code ec;
    if (!std::filesystem::exists(named, ec)) {
      return false;
    }
    if (defined_in(named, service)) {
      return true;
    }
  } else if (const std::optional<std::filesystem::path> home = home_folder();
             home && defined_in(*home / ".pg_service.conf", service)) {
    return true;
  }
  const char* sysconf = std::getenv("PGSYSCONFDIR");
  const std::filesystem::path folder = sysconf != nullptr ? sysconf : kDebianSysconfDir;
  return defined_in(folder / "pg_service.conf", service);
}

}  // namespace tutor::classsync
