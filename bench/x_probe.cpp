// The X side of bench/latency.py: starts programs, presses keys through XTest
// and times what the X server sees of their windows, all on one clock
// (CLOCK_MONOTONIC, which Python's time.monotonic() also reads).
//
// It watches the root window from the start: every top-level window is given
// a Damage object as it is created, before it can draw, and the probe notes
// when it is mapped, unmapped or destroyed and when each drawing into it
// arrives. An event is timed when the probe takes it from the connection.
//
// Commands come on stdin, one a line, fields separated by tabs; each gets one
// line on stdout, "ok key=value ..." or "error <what>". Times are in ns of the
// monotonic clock, delays in ms.
//
//   start <log> <cwd> <exe> [<arg>...]   fork and exec <exe> in <cwd>, in a
//                                        process group of its own, output to <log>
//        -> ok pid=<pid> t0=<ns>         t0 taken just before the fork
//   window <pid> <timeout ms>            a mapped top-level window of <pid>
//                                        (_NET_WM_PID) that has been drawn into
//        -> ok wid=<id> created=<ns> mapped=<ns> drawn=<ns>
//   settle <wid> <quiet ms> <timeout ms> until nothing is drawn into <wid> for
//                                        <quiet ms>
//        -> ok draws=<n>
//   key <wid> <keysym> <timeout ms>      focus <wid>, press and release the key,
//                                        wait for the next drawing into <wid>
//        -> ok pressed=<ns> drawn=<ns> ms=<ms>
//   handover <wid> <keysym> <pid> <timeout ms>
//                                        as key, then wait for <wid> to be
//                                        unmapped or destroyed and for a new
//                                        window of <pid> to be mapped and drawn
//        -> ok new=<id> gone_ms=<ms> mapped_ms=<ms> drawn_ms=<ms> gap_ms=<ms>
//           (each from the key press but gap_ms: from the old window going
//           to the first drawing into the new one)
//   stop <pid>                           SIGTERM to its process group, SIGKILL
//                                        after 3 s; waits for it
//        -> ok status=<wait status>
//
// At the end of stdin it ends every process group it started and exits.
// Build: bench/build_probe.sh (g++), or bench/CMakeLists.txt.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

using Ns = std::int64_t;

Ns now_ns() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<Ns>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

double ms(Ns from, Ns to) {
  return static_cast<double>(to - from) / 1e6;
}

// One top-level window, from its creation on. An id can come back for a new
// window once the old one is destroyed (the server hands a new client the id
// range an ended one had), so windows are kept by creation, not by id.
struct Win {
  Window id = 0;
  Damage damage = 0;
  Ns created = 0;
  std::optional<Ns> mapped;
  std::optional<Ns> first_draw;
  std::optional<Ns> last_draw;
  std::vector<Ns> draw_times;
  std::optional<Ns> gone;  // unmapped or destroyed, whichever came first
  bool destroyed = false;
  long pid = -1;  // _NET_WM_PID once read; 0 when it has none
  int draws = 0;
};

Display* dpy = nullptr;
int damage_event_base = 0;
Atom net_wm_pid = None;
std::vector<Win> wins;
std::map<Window, std::size_t> live;     // id -> index in wins
std::map<Damage, std::size_t> damages;  // damage -> index in wins
std::set<pid_t> started;                // process groups started and not yet stopped
std::map<pid_t, int> ended;             // pid -> wait status, reaped while waiting

int ignore_x_errors(Display*, XErrorEvent*) {
  // A window can be destroyed between an event and a request about it.
  return 0;
}

void reply(const char* format, ...) __attribute__((format(printf, 1, 2)));
void reply(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vfprintf(stdout, format, args);
  va_end(args);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

long window_pid(Win& w) {
  if (w.pid >= 0 || w.destroyed) {
    return w.pid;
  }
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  long pid = 0;
  if (XGetWindowProperty(dpy, w.id, net_wm_pid, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                         &after, &data) == Success &&
      data != nullptr && format == 32 && count == 1) {
    pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
  }
  if (data != nullptr) {
    XFree(data);
  }
  if (pid != 0 || w.mapped) {  // SDL sets it before mapping
    w.pid = pid;
  }
  return pid;
}

void handle(const XEvent& ev, Ns at) {
  const Window root = DefaultRootWindow(dpy);
  if (ev.type == CreateNotify && ev.xcreatewindow.parent == root) {
    Win w;
    w.id = ev.xcreatewindow.window;
    w.created = at;
    w.damage = XDamageCreate(dpy, w.id, XDamageReportRawRectangles);
    XFlush(dpy);
    wins.push_back(w);
    live[w.id] = wins.size() - 1;
    damages[w.damage] = wins.size() - 1;
  } else if (ev.type == MapNotify && ev.xmap.event == root) {
    if (const auto it = live.find(ev.xmap.window); it != live.end() && !wins[it->second].mapped) {
      wins[it->second].mapped = at;
    }
  } else if (ev.type == UnmapNotify && ev.xunmap.event == root) {
    if (const auto it = live.find(ev.xunmap.window); it != live.end() && !wins[it->second].gone) {
      wins[it->second].gone = at;
    }
  } else if (ev.type == DestroyNotify && ev.xdestroywindow.event == root) {
    if (const auto it = live.find(ev.xdestroywindow.window); it != live.end()) {
      Win& w = wins[it->second];
      if (!w.gone) {
        w.gone = at;
      }
      w.destroyed = true;
      damages.erase(w.damage);  // the server freed it with the window
      live.erase(it);
    }
  } else if (ev.type == damage_event_base + XDamageNotify) {
    const auto* de = reinterpret_cast<const XDamageNotifyEvent*>(&ev);
    if (const auto it = damages.find(de->damage); it != damages.end()) {
      Win& w = wins[it->second];
      if (!w.first_draw) {
        w.first_draw = at;
      }
      w.last_draw = at;
      w.draw_times.push_back(at);
      ++w.draws;
    }
  }
}

// Takes every event the connection holds now.
void drain() {
  while (XPending(dpy) > 0) {
    XEvent ev;
    XNextEvent(dpy, &ev);
    handle(ev, now_ns());
  }
}

// Waits for X events until `deadline` at the latest (at most `slice` ns, so
// callers can look at their processes), then takes them.
void pump(Ns deadline, Ns slice = 50'000'000) {
  drain();
  const Ns left = std::min(deadline - now_ns(), slice);
  if (left > 0) {
    pollfd x{ConnectionNumber(dpy), POLLIN, 0};
    ::poll(&x, 1, static_cast<int>((left + 999'999) / 1'000'000));
  }
  drain();
}

// Whether the process is still there; reaps it if it has ended.
bool alive(pid_t pid) {
  if (ended.count(pid) != 0) {
    return false;
  }
  int status = 0;
  const pid_t r = ::waitpid(pid, &status, WNOHANG);
  if (r == pid) {
    ended[pid] = status;
    return false;
  }
  return r == 0;
}

std::string ended_how(pid_t pid) {
  const auto it = ended.find(pid);
  if (it == ended.end()) {
    return "is not a child of the probe";
  }
  char text[64];
  if (WIFSIGNALED(it->second)) {
    std::snprintf(text, sizeof text, "ended by signal %d", WTERMSIG(it->second));
  } else {
    std::snprintf(text, sizeof text, "ended with status %d", WEXITSTATUS(it->second));
  }
  return text;
}

std::vector<std::string> split(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t from = 0;
  while (true) {
    const std::size_t tab = line.find('\t', from);
    fields.push_back(line.substr(from, tab == std::string::npos ? std::string::npos : tab - from));
    if (tab == std::string::npos) {
      return fields;
    }
    from = tab + 1;
  }
}

// The newest mapped, drawn, not yet gone window of `pid` created at or after
// `since`.
std::optional<std::size_t> drawn_window_of(long pid, Ns since) {
  for (std::size_t i = wins.size(); i-- > 0;) {
    Win& w = wins[i];
    if (w.created >= since && w.mapped && w.first_draw && !w.gone && window_pid(w) == pid) {
      return i;
    }
  }
  return std::nullopt;
}

void start(const std::vector<std::string>& f) {
  if (f.size() < 4) {
    reply("error usage: start <log> <cwd> <exe> [<arg>...]");
    return;
  }
  std::vector<char*> argv;
  for (std::size_t i = 3; i < f.size(); ++i) {
    argv.push_back(const_cast<char*>(f[i].c_str()));
  }
  argv.push_back(nullptr);
  std::fflush(nullptr);
  const Ns t0 = now_ns();
  const pid_t pid = ::fork();
  if (pid < 0) {
    reply("error fork: %s", std::strerror(errno));
    return;
  }
  if (pid == 0) {
    ::setpgid(0, 0);
    ::signal(SIGPIPE, SIG_DFL);
    const int log = ::open(f[1].c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    const int null = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (log < 0 || null < 0 || ::dup2(null, 0) < 0 || ::dup2(log, 1) < 0 || ::dup2(log, 2) < 0 ||
        ::chdir(f[2].c_str()) != 0) {
      ::_exit(126);
    }
    ::execv(f[3].c_str(), argv.data());
    std::fprintf(stderr, "cannot start %s: %s\n", f[3].c_str(), std::strerror(errno));
    ::_exit(127);
  }
  ::setpgid(pid, pid);  // either side may get there first
  started.insert(pid);
  reply("ok pid=%d t0=%lld", pid, static_cast<long long>(t0));
}

void window(const std::vector<std::string>& f) {
  if (f.size() != 3) {
    reply("error usage: window <pid> <timeout ms>");
    return;
  }
  const pid_t pid = static_cast<pid_t>(std::stol(f[1]));
  const Ns deadline = now_ns() + std::stoll(f[2]) * 1'000'000;
  while (true) {
    drain();
    if (const auto i = drawn_window_of(pid, 0)) {
      const Win& w = wins[*i];
      reply("ok wid=0x%lx created=%lld mapped=%lld drawn=%lld", w.id,
            static_cast<long long>(w.created), static_cast<long long>(*w.mapped),
            static_cast<long long>(*w.first_draw));
      return;
    }
    if (!alive(pid)) {
      reply("error process %d %s before it showed a window", pid, ended_how(pid).c_str());
      return;
    }
    if (now_ns() >= deadline) {
      reply("error no drawn window of process %d within %s ms", pid, f[2].c_str());
      return;
    }
    pump(deadline);
  }
}

std::optional<std::size_t> live_window(const std::string& text) {
  const Window id = std::strtoul(text.c_str(), nullptr, 0);
  if (const auto it = live.find(id); it != live.end()) {
    return it->second;
  }
  return std::nullopt;
}

void settle(const std::vector<std::string>& f) {
  if (f.size() != 4) {
    reply("error usage: settle <wid> <quiet ms> <timeout ms>");
    return;
  }
  drain();
  const auto i = live_window(f[1]);
  if (!i) {
    reply("error no window %s", f[1].c_str());
    return;
  }
  const Ns from = now_ns();
  const Ns quiet = std::stoll(f[2]) * 1'000'000;
  const Ns deadline = from + std::stoll(f[3]) * 1'000'000;
  const int draws_before = wins[*i].draws;
  while (true) {
    const Win& w = wins[*i];
    if (w.gone) {
      reply("error window %s went away", f[1].c_str());
      return;
    }
    const Ns last = std::max(from, w.last_draw.value_or(from));
    const Ns now = now_ns();
    if (now - last >= quiet) {
      reply("ok draws=%d", w.draws - draws_before);
      return;
    }
    if (now >= deadline) {
      reply("error window %s kept drawing for %s ms", f[1].c_str(), f[3].c_str());
      return;
    }
    pump(std::min(deadline, last + quiet), quiet);
  }
}

// Focuses the window and takes every event up to now, then presses and
// releases the key; returns the time of the press, or nothing.
std::optional<Ns> press(Window id, const std::string& keysym_name) {
  const KeySym sym = XStringToKeysym(keysym_name.c_str());
  const KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(dpy, sym);
  if (code == 0) {
    reply("error no key for %s", keysym_name.c_str());
    return std::nullopt;
  }
  XSetInputFocus(dpy, id, RevertToPointerRoot, CurrentTime);
  XSync(dpy, False);
  drain();
  const Ns pressed = now_ns();
  XTestFakeKeyEvent(dpy, code, True, CurrentTime);
  XTestFakeKeyEvent(dpy, code, False, CurrentTime);
  XFlush(dpy);
  return pressed;
}

void key(const std::vector<std::string>& f) {
  if (f.size() != 4) {
    reply("error usage: key <wid> <keysym> <timeout ms>");
    return;
  }
  drain();
  const auto i = live_window(f[1]);
  if (!i) {
    reply("error no window %s", f[1].c_str());
    return;
  }
  const auto pressed = press(wins[*i].id, f[2]);
  if (!pressed) {
    return;
  }
  const int draws_before = wins[*i].draws;
  const Ns deadline = *pressed + std::stoll(f[3]) * 1'000'000;
  while (true) {
    const Win& w = wins[*i];
    if (w.draws > draws_before) {
      const Ns drawn = w.draw_times[static_cast<std::size_t>(draws_before)];
      reply("ok pressed=%lld drawn=%lld ms=%.3f", static_cast<long long>(*pressed),
            static_cast<long long>(drawn), ms(*pressed, drawn));
      return;
    }
    if (w.gone) {
      reply("error window %s went away after %s", f[1].c_str(), f[2].c_str());
      return;
    }
    if (now_ns() >= deadline) {
      reply("error nothing drawn within %s ms of %s", f[3].c_str(), f[2].c_str());
      return;
    }
    pump(deadline);
  }
}

void handover(const std::vector<std::string>& f) {
  if (f.size() != 5) {
    reply("error usage: handover <wid> <keysym> <pid> <timeout ms>");
    return;
  }
  drain();
  const auto old = live_window(f[1]);
  if (!old) {
    reply("error no window %s", f[1].c_str());
    return;
  }
  const pid_t pid = static_cast<pid_t>(std::stol(f[3]));
  const auto pressed = press(wins[*old].id, f[2]);
  if (!pressed) {
    return;
  }
  const Ns deadline = *pressed + std::stoll(f[4]) * 1'000'000;
  while (true) {
    const auto fresh = drawn_window_of(pid, *pressed);
    const Win& o = wins[*old];
    if (fresh && o.gone) {
      const Win& w = wins[*fresh];
      reply("ok new=0x%lx gone_ms=%.3f mapped_ms=%.3f drawn_ms=%.3f gap_ms=%.3f", w.id,
            ms(*pressed, *o.gone), ms(*pressed, *w.mapped), ms(*pressed, *w.first_draw),
            ms(*o.gone, *w.first_draw));
      return;
    }
    if (!alive(pid)) {
      reply("error process %d %s after %s", pid, ended_how(pid).c_str(), f[2].c_str());
      return;
    }
    if (now_ns() >= deadline) {
      reply("error no hand-over within %s ms of %s (old window %s, new window %s)", f[4].c_str(),
            f[2].c_str(), o.gone ? "gone" : "still there", fresh ? "drawn" : "not drawn");
      return;
    }
    pump(deadline);
  }
}

int end_group(pid_t pid) {
  ::kill(-pid, SIGTERM);
  const Ns deadline = now_ns() + 3'000'000'000;
  while (alive(pid) && now_ns() < deadline) {
    ::usleep(10'000);
  }
  if (alive(pid)) {
    ::kill(-pid, SIGKILL);
    int status = 0;
    if (::waitpid(pid, &status, 0) == pid) {
      ended[pid] = status;
    }
  }
  ::kill(-pid, SIGKILL);  // anything it left in its group
  started.erase(pid);
  const auto it = ended.find(pid);
  return it == ended.end() ? -1 : it->second;
}

void stop(const std::vector<std::string>& f) {
  if (f.size() != 2) {
    reply("error usage: stop <pid>");
    return;
  }
  const pid_t pid = static_cast<pid_t>(std::stol(f[1]));
  if (started.count(pid) == 0) {
    reply("error process %d was not started here", pid);
    return;
  }
  reply("ok status=%d", end_group(pid));
}

}  // namespace

int main() {
  ::signal(SIGPIPE, SIG_IGN);
  dpy = XOpenDisplay(nullptr);
  if (dpy == nullptr) {
    std::fprintf(stderr, "x_probe: cannot open the display\n");
    return 1;
  }
  XSetErrorHandler(ignore_x_errors);
  // The programs started here must not inherit the probe's connection.
  ::fcntl(ConnectionNumber(dpy), F_SETFD, FD_CLOEXEC);
  int ev = 0;
  int err = 0;
  int major = 0;
  int minor = 0;
  if (XTestQueryExtension(dpy, &ev, &err, &major, &minor) == 0) {
    std::fprintf(stderr, "x_probe: the X server has no XTEST extension\n");
    return 1;
  }
  if (XDamageQueryExtension(dpy, &damage_event_base, &err) == 0) {
    std::fprintf(stderr, "x_probe: the X server has no DAMAGE extension\n");
    return 1;
  }
  major = 1;
  minor = 1;
  XDamageQueryVersion(dpy, &major, &minor);
  net_wm_pid = XInternAtom(dpy, "_NET_WM_PID", False);
  XSelectInput(dpy, DefaultRootWindow(dpy), SubstructureNotifyMask);
  // The pointer off every window: no hover effects during the timings.
  XTestFakeMotionEvent(dpy, -1, 0, 0, CurrentTime);
  XSync(dpy, False);
  reply("ok ready");

  std::string buffer;
  while (true) {
    pollfd fds[2] = {{0, POLLIN, 0}, {ConnectionNumber(dpy), POLLIN, 0}};
    drain();
    if (::poll(fds, 2, -1) < 0 && errno != EINTR) {
      break;
    }
    drain();
    if ((fds[0].revents & (POLLIN | POLLHUP)) == 0) {
      continue;
    }
    char chunk[4096];
    const ssize_t n = ::read(0, chunk, sizeof chunk);
    if (n <= 0) {
      break;
    }
    buffer.append(chunk, static_cast<std::size_t>(n));
    std::size_t newline;
    while ((newline = buffer.find('\n')) != std::string::npos) {
      const std::string line = buffer.substr(0, newline);
      buffer.erase(0, newline + 1);
      const std::vector<std::string> f = split(line);
      try {
        if (f[0] == "start") {
          start(f);
        } else if (f[0] == "window") {
          window(f);
        } else if (f[0] == "settle") {
          settle(f);
        } else if (f[0] == "key") {
          key(f);
        } else if (f[0] == "handover") {
          handover(f);
        } else if (f[0] == "stop") {
          stop(f);
        } else {
          reply("error unknown command %s", f[0].c_str());
        }
      } catch (const std::exception& e) {
        reply("error %s: %s", f[0].c_str(), e.what());
      }
    }
  }
  for (const pid_t pid : std::set<pid_t>(started)) {
    end_group(pid);
  }
  XCloseDisplay(dpy);
  return 0;
}
