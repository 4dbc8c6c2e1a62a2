#include "console/x_handover.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace tutor {
namespace {

constexpr const char* kHandedOverConnection = "VELMORA_HANDED_OVER_X_FD";

// Whether two sockets are connected to the same peer: the same X server.
bool same_peer(int a, int b) {
  sockaddr_storage pa{};
  sockaddr_storage pb{};
  socklen_t la = sizeof pa;
  socklen_t lb = sizeof pb;
  return ::getpeername(a, reinterpret_cast<sockaddr*>(&pa), &la) == 0 &&
         ::getpeername(b, reinterpret_cast<sockaddr*>(&pb), &lb) == 0 && la == lb &&
         std::memcmp(&pa, &pb, la) == 0;
}

}  // namespace

bool XHandOver::hand_on(Display* display, int fd) {
  const int flags = fd >= 0 ? ::fcntl(fd, F_GETFD) : -1;
  if (flags < 0) {
    return false;
  }
  XSync(display, False);
  ::fcntl(fd, F_SETFD, flags & ~FD_CLOEXEC);
  setenv(kHandedOverConnection, std::to_string(fd).c_str(), 1);
  return true;
}

void XHandOver::take_back(int fd) {
  const int flags = ::fcntl(fd, F_GETFD);
  if (flags >= 0) {
    ::fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
  }
  unsetenv(kHandedOverConnection);
}

void XHandOver::let_previous_window_go(int own_fd) {
  const char* inherited = std::getenv(kHandedOverConnection);
  if (inherited == nullptr) {
    return;
  }
  const int fd = std::atoi(inherited);
  unsetenv(kHandedOverConnection);
  if (fd > 2 && fd != own_fd && own_fd >= 0 && same_peer(fd, own_fd)) {
    ::close(fd);
  }
}

}  // namespace tutor
