// Times one hand-over from the launcher to a started program, as the X server
// sees it: presses F1 in the launcher's window through XTest, then watches the
// root window for the started program's new top-level window and reports the
// delay from the key press to its MapNotify and to the first Damage on it
// (its first frame).
//
//   handover_probe <launcher window id> [timeout ms]
//
// Prints one line "map_ms=<ms> paint_ms=<ms>" and exits 0, or says what was
// missing and exits 1. The window id may be decimal or 0x-hex.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>
#include <poll.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>

namespace {

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point start, Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(t - start).count();
}

struct Watch {
  Damage damage = 0;
  std::optional<Clock::time_point> mapped;
  std::optional<Clock::time_point> first_damage;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <launcher window id> [timeout ms]\n", argv[0]);
    return 2;
  }
  const Window launcher = std::strtoul(argv[1], nullptr, 0);
  const long timeout_ms = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 10000;

  Display* dpy = XOpenDisplay(nullptr);
  if (dpy == nullptr) {
    std::fprintf(stderr, "cannot open the display\n");
    return 1;
  }
  int xtest_event = 0;
  int xtest_error = 0;
  int xtest_major = 0;
  int xtest_minor = 0;
  if (XTestQueryExtension(dpy, &xtest_event, &xtest_error, &xtest_major, &xtest_minor) == 0) {
    std::fprintf(stderr, "the X server has no XTEST extension\n");
    return 1;
  }
  int damage_event = 0;
  int damage_error = 0;
  if (XDamageQueryExtension(dpy, &damage_event, &damage_error) == 0) {
    std::fprintf(stderr, "the X server has no DAMAGE extension\n");
    return 1;
  }
  int damage_major = 1;
  int damage_minor = 1;
  XDamageQueryVersion(dpy, &damage_major, &damage_minor);

  const Window root = DefaultRootWindow(dpy);
  XSelectInput(dpy, root, SubstructureNotifyMask);
  XSetInputFocus(dpy, launcher, RevertToPointerRoot, CurrentTime);
  const KeyCode f1 = XKeysymToKeycode(dpy, XK_F1);
  if (f1 == 0) {
    std::fprintf(stderr, "no key code for F1\n");
    return 1;
  }
  XSync(dpy, False);

  const Clock::time_point pressed = Clock::now();
  XTestFakeKeyEvent(dpy, f1, True, CurrentTime);
  XTestFakeKeyEvent(dpy, f1, False, CurrentTime);
  XFlush(dpy);

  // Every top-level window created after the press, by id.
  std::map<Window, Watch> windows;
  std::optional<Window> shown;  // the first of them to be mapped
  const Clock::time_point deadline = pressed + std::chrono::milliseconds(timeout_ms);
  while (!(shown && windows[*shown].first_damage)) {
    if (XPending(dpy) == 0) {
      const Clock::time_point now = Clock::now();
      if (now >= deadline) {
        break;
      }
      pollfd pfd{ConnectionNumber(dpy), POLLIN, 0};
      poll(&pfd, 1,
           static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count()));
      continue;
    }
    XEvent ev;
    XNextEvent(dpy, &ev);
    const Clock::time_point at = Clock::now();
    // Any top-level window created after the press is new, even one under the
    // launcher's window id: the X server gives the started program's
    // connection the id range the launcher's had.
    if (ev.type == CreateNotify && ev.xcreatewindow.parent == root) {
      Watch& w = windows[ev.xcreatewindow.window];
      // Watched from its creation, before it can draw anything.
      w.damage = XDamageCreate(dpy, ev.xcreatewindow.window, XDamageReportNonEmpty);
      XFlush(dpy);
    } else if (ev.type == MapNotify && ev.xmap.event == root) {
      const auto it = windows.find(ev.xmap.window);
      if (it != windows.end() && !it->second.mapped) {
        it->second.mapped = at;
        if (!shown) {
          shown = ev.xmap.window;
        }
      }
    } else if (ev.type == DestroyNotify && ev.xdestroywindow.event == root) {
      const auto it = windows.find(ev.xdestroywindow.window);
      if (it != windows.end() && !(shown && *shown == it->first)) {
        windows.erase(it);  // its Damage went with it
      }
    } else if (ev.type == damage_event + XDamageNotify) {
      const auto* de = reinterpret_cast<const XDamageNotifyEvent*>(&ev);
      for (auto& [id, w] : windows) {
        if (w.damage == de->damage && !w.first_damage) {
          w.first_damage = at;
        }
      }
      XDamageSubtract(dpy, de->damage, None, None);
    }
  }

  if (!shown) {
    std::fprintf(stderr, "no new top-level window was mapped within %ld ms of F1\n", timeout_ms);
    XCloseDisplay(dpy);
    return 1;
  }
  const Watch& w = windows[*shown];
  if (!w.first_damage) {
    std::fprintf(stderr, "window 0x%lx was mapped but not drawn within %ld ms of F1\n", *shown,
                 timeout_ms);
    XCloseDisplay(dpy);
    return 1;
  }
  std::printf("window=0x%lx map_ms=%.2f paint_ms=%.2f\n", *shown, ms_since(pressed, *w.mapped),
              ms_since(pressed, *w.first_damage));
  XCloseDisplay(dpy);
  return 0;
}
