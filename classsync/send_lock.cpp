#include "classsync/send_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace tutor::classsync {
namespace {

// A told failure is one line; more is never read back.
constexpr std::size_t kLongestFailure = 4096;

}  // namespace

std::filesystem::path lock_file_of(const std::filesystem::path& history) {
  std::filesystem::path file = history;
  file += ".sending";
  return file;
}

std::optional<SendLock> SendLock::take(const std::filesystem::path& history) {
  // No links followed: a link planted in the learner's folder must not make
  // the sender write elsewhere.
  const int fd = ::open(lock_file_of(history).c_str(),
                        O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
  if (fd < 0) {
    return std::nullopt;
  }
  SendLock lock(fd);
  if (!lock.take_again()) {
    return std::nullopt;
  }
  return lock;
}

SendLock& SendLock::operator=(SendLock&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) {
      ::close(fd_);
    }
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

SendLock::~SendLock() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

void SendLock::release() {
  ::flock(fd_, LOCK_UN);
}

bool SendLock::take_again() {
  int r = 0;
  do {
    r = ::flock(fd_, LOCK_EX | LOCK_NB);
  } while (r != 0 && errno == EINTR);
  return r == 0;
}

std::string SendLock::failure_told() const {
  std::string text(kLongestFailure, '\0');
  const ssize_t n = ::pread(fd_, text.data(), text.size(), 0);
  text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return text;
}

void SendLock::keep_failure_told(const std::string& failure) const {
  if (::ftruncate(fd_, 0) == 0 && !failure.empty()) {
    // Lost on a full disk, where the failure is then told again: no harm.
    [[maybe_unused]] const ssize_t n = ::pwrite(fd_, failure.data(), failure.size(), 0);
  }
}

}  // namespace tutor::classsync
