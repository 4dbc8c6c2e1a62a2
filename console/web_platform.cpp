#include "console/web_platform.h"

#include <emscripten.h>

#include <string>

// The page keeps its own state on Module.velmora (see web/page/velmora.js for
// the bar round the screen, which reads it too).
// clang-format off
EM_ASYNC_JS(int, velmora_open_storage, (const char* folder), {
  const root = UTF8ToString(folder);
  const v = Module.velmora = Module.velmora || {};
  v.root = root;
  v.dirty = false;
  v.back = false;
  // A change under the folder marks it for storing; writes to the console
  // streams and to the memory-only folders do not.
  const inside = (path) => typeof path === "string" && (path === root || path.startsWith(root + "/"));
  const mark = (path) => { if (inside(path)) { v.dirty = true; } };
  const watch = (name, pathOf) => {
    const original = FS[name];
    FS[name] = function() { mark(pathOf.apply(null, arguments)); return original.apply(this, arguments); };
  };
  watch("write", (stream) => stream && stream.path);
  watch("ftruncate", (fd) => { const s = FS.getStream(fd); return s && s.path; });
  // The system calls hand these their paths made absolute.
  for (const name of ["truncate", "rename", "unlink", "rmdir", "mkdir", "chmod", "utime"]) {
    watch(name, (path) => path);
  }
  watch("symlink", (target, link) => link);
  FS.mkdirTree(root);
  FS.mount(IDBFS, {}, root);
  const loaded = await new Promise((resolve) => FS.syncfs(true, (err) => resolve(!err)));
  // A class's page brings the signed-in learner's files first (web/page/velmora-class.js).
  if (v.afterLoad) { await v.afterLoad(); }
  if (navigator.storage && navigator.storage.persist) {
    navigator.storage.persist().then((kept) => { v.persisted = kept; }, () => {});
  }
  // Ends a wait for input, if one is under way.
  const wake = v.wakeWait = () => { if (v.wake) { v.wake(); } };
  window.addEventListener("popstate", () => {
    if (v.ignorePop) { v.ignorePop = false; return; }
    if (!v.atLauncher) { v.back = true; wake(); return; }
    // Forward again from the launcher: back to its own entry.
    if (history.state && history.state.velmora === "program") { v.ignorePop = true; history.back(); }
  });
  return loaded ? 1 : 0;
});

// The frame's own bytes are the image: nothing is copied but the area.
EM_JS(void, velmora_paint, (const void* pixels, int width, int height, int x, int y, int w, int h), {
  const canvas = Module.canvas;
  const v = Module.velmora;
  if (canvas.width !== width || canvas.height !== height) {
    canvas.width = width;
    canvas.height = height;
    x = 0; y = 0; w = width; h = height;
  }
  v.context = v.context || canvas.getContext("2d", {alpha: false});
  const image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4), width, height);
  v.context.putImageData(image, 0, 0, x, y, w, h);
});

EM_JS(void, velmora_start_fetch, (const char* url, const char* path), {
  const v = Module.velmora;
  const file = UTF8ToString(path);
  v.fetches = v.fetches || {};
  v.fetches[file] = 0;
  fetch(UTF8ToString(url))
    .then((response) => response.ok ? response.arrayBuffer() : Promise.reject(response.status))
    .then((bytes) => { FS.writeFile(file, new Uint8Array(bytes)); v.fetches[file] = 1; })
    .catch(() => { v.fetches[file] = -1; })
    .finally(v.wakeWait);
});

EM_JS(int, velmora_fetch_state, (const char* path), {
  const fetches = Module.velmora.fetches || {};
  const state = fetches[UTF8ToString(path)];
  return state === undefined ? -1 : state;
});

// As the bar's button does (web/page/velmora-page.js).
EM_JS(void, velmora_toggle_fullscreen, (), {
  const v = Module.velmora;
  if (v.toggleFullscreen) { v.toggleFullscreen(); }
});

// Input wakes the wait. Listening on the window after SDL's own listeners
// (on the window, the canvas or the document, which an event reaches first),
// the wait goes on only once SDL has queued what came.
EM_JS(void, velmora_listen_for_input, (), {
  const wake = Module.velmora.wakeWait;
  for (const type of ["keydown", "keyup", "keypress", "mousedown", "mouseup", "mousemove", "dblclick",
                      "resize", "focus", "blur"]) {
    window.addEventListener(type, wake);
  }
  document.addEventListener("fullscreenchange", () => setTimeout(wake, 0));
});

EM_JS(int, velmora_in_class, (), {
  return Module.velmora.classroom ? 1 : 0;
});

// Whether anything is to be stored: asked first without waiting, as every
// frame asks, since a wait costs the whole stack's unwinding and rewinding.
EM_JS(int, velmora_changes_waiting, (), {
  return Module.velmora.dirty ? 1 : 0;
});

EM_JS(void, velmora_defer_changes, (), {
  Module.velmora.dirty = false;
});

EM_ASYNC_JS(int, velmora_store_changes, (), {
  const v = Module.velmora;
  v.dirty = false;
  const stored = await new Promise((resolve) => FS.syncfs(false, (err) => resolve(!err)));
  if (!stored) { v.dirty = true; }
  if (v.onStored) { v.onStored(stored); }
  return stored ? 1 : 0;
});

EM_ASYNC_JS(void, velmora_wait_for_input, (int ms), {
  const v = Module.velmora;
  if (!v.ready) {
    v.ready = true;  // the first program waits for the learner
    if (v.onReady) { v.onReady(); }
  }
  await new Promise((resolve) => {
    let timer = 0;
    const done = () => {
      clearTimeout(timer);
      if (v.wake === done) { v.wake = null; }  // a late wake of a wait before leaves this one be
      resolve();
    };
    if (ms >= 0) { timer = setTimeout(done, ms); }
    v.wake = done;
  });
});

EM_JS(void, velmora_program_started, (int launcher), {
  const v = Module.velmora;
  v.atLauncher = launcher !== 0;
  const inProgram = history.state && history.state.velmora === "program";
  if (!launcher && !inProgram) {
    history.pushState({velmora: "program"}, "");
  } else if (launcher && inProgram) {
    v.ignorePop = true;
    history.back();
  }
});

EM_JS(int, velmora_back_pressed, (), {
  const v = Module.velmora;
  const pressed = v.back;
  v.back = false;
  return pressed ? 1 : 0;
});

EM_ASYNC_JS(void, velmora_wait_for_restart, (), {
  const v = Module.velmora;
  await new Promise((resolve) => { if (v.onEnded) { v.onEnded(resolve); } else { resolve(); } });
});
// clang-format on

namespace tutor::web_platform {

void paint(const std::uint32_t* pixels, int width, int height, PixelRect area) {
  velmora_paint(pixels, width, height, area.x1, area.y1, area.x2 - area.x1 + 1,
                area.y2 - area.y1 + 1);
}

void start_fetch(std::string_view url, std::string_view path) {
  velmora_start_fetch(std::string(url).c_str(), std::string(path).c_str());
}

Fetch fetch_state(std::string_view path) {
  switch (velmora_fetch_state(std::string(path).c_str())) {
    case 0:
      return Fetch::Pending;
    case 1:
      return Fetch::Arrived;
    default:
      return Fetch::Failed;
  }
}

void toggle_fullscreen() {
  velmora_toggle_fullscreen();
}

bool open_storage(std::string_view folder) {
  return velmora_open_storage(std::string(folder).c_str()) != 0;
}

bool store_changes() {
  return velmora_changes_waiting() == 0 || velmora_store_changes() != 0;
}

void defer_changes() {
  velmora_defer_changes();
}

bool in_class() {
  return velmora_in_class() != 0;
}

void listen_for_input() {
  velmora_listen_for_input();
}

void wait_for_input(int ms) {
  velmora_wait_for_input(ms);
}

void program_started(bool launcher) {
  velmora_program_started(launcher ? 1 : 0);
}

bool back_pressed() {
  return velmora_back_pressed() != 0;
}

void wait_for_restart() {
  velmora_wait_for_restart();
}

}  // namespace tutor::web_platform
