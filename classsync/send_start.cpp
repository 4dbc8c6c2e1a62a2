#include "classsync/send_start.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "classsync/send_lock.h"
#include "classsync/service_file.h"

namespace tutor::classsync {
namespace {

// The descriptor the sender finds its lock on (see velmora-send).
constexpr int kLockFd = 3;

// In the grandchild, between fork and exec: only calls safe after a fork of
// a program with threads. It keeps stderr, where a failure is told, and
// nothing else of the program: above all not the window's connection, which
// would keep the window up until the sender ends.
[[noreturn]] void become_sender(const char* sender,
                                const char* history,
                                const char* service,
                                int lock_fd) {
  if (lock_fd == kLockFd) {
    ::fcntl(kLockFd, F_SETFD, 0);
  } else if (::dup2(lock_fd, kLockFd) < 0) {
    ::_exit(127);
  }
  const int null = ::open("/dev/null", O_RDWR);
  if (null >= 0) {
    ::dup2(null, STDIN_FILENO);
    ::dup2(null, STDOUT_FILENO);
  }
#if defined(__linux__)
  ::close_range(kLockFd + 1, ~0U, 0);
#else
  // Where there is no close_range (the browser, which has no sender to
  // start and never gets here), one at a time.
  for (long fd = kLockFd + 1, open_max = ::sysconf(_SC_OPEN_MAX); fd < open_max; ++fd) {
    ::close(static_cast<int>(fd));
  }
#endif
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  ::signal(SIGPIPE, SIG_DFL);
  char held[] = "--lock-held";
  char* const argv[] = {const_cast<char*>(sender), held, const_cast<char*>(history),
                        const_cast<char*>(service), nullptr};
  ::execv(sender, argv);
  ::_exit(127);
}

}  // namespace

std::optional<std::filesystem::path> sender_beside(const std::filesystem::path& launcher) {
  std::error_code ec;
  const std::filesystem::path programs = std::filesystem::canonical(launcher, ec).parent_path();
  if (ec) {
    return std::nullopt;
  }
  for (const char* bin : {"bin", "../bin", "../../bin"}) {
    const std::filesystem::path sender = (programs / bin / "velmora-send").lexically_normal();
    if (::access(sender.c_str(), X_OK) == 0) {
      return sender;
    }
  }
  return std::nullopt;
}

void SendStarter::start() {
  if (!service_there_) {
    service_there_ = service_defined(service_);
  }
  if (!*service_there_) {
    return;
  }
  if (!sender_) {
    sender_ = sender_beside(launcher_).value_or(std::filesystem::path());
  }
  if (sender_->empty()) {
    return;  // a tree without its sender (a test's)
  }
  // Taken here and handed over: a sender that runs keeps it, and will look
  // at the outbox once more after letting it go, so what was just kept is
  // sent either way.
  std::optional<SendLock> lock = SendLock::take(history_);
  if (!lock) {
    return;
  }
  // Two forks, so that the sender is nobody's child here: it outlives this
  // program and its hand-overs without ever waiting to be reaped.
  const pid_t middle = ::fork();
  if (middle == 0) {
    ::setsid();
    if (::fork() == 0) {
      become_sender(sender_->c_str(), history_.c_str(), service_.c_str(), lock->fd());
    }
    ::_exit(0);
  }
  if (middle > 0) {
    while (::waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  // The lock closes here; where the sender started, it holds it still.
}

}  // namespace tutor::classsync
