// The page round the screen: what the module asks of it (Module.velmora,
// see console/web_platform.cpp) and the bar under the screen.
"use strict";
(function () {
  const status = document.getElementById("status");
  const say = (text) => { status.textContent = text; };
  const velmora = {
    onReady: () => say(""),
    onStored: (stored) => {
      if (!stored) { say("記録をブラウザに保存できませんでした。「記録を保存」で ファイルにのこしてください。"); }
    },
    onEnded: (resume) => {
      const ended = document.getElementById("ended");
      ended.hidden = false;
      const again = document.getElementById("again");
      again.focus();
      again.onclick = () => { ended.hidden = true; document.getElementById("canvas").focus(); resume(); };
    },
  };
  window.Module = {
    canvas: document.getElementById("canvas"),
    velmora: velmora,
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
    onRuntimeInitialized: () => {},
    // The code compiled while the page loaded; read whole where a server
    // sends it without its type, which compiling as it arrives needs.
    instantiateWasm: (imports, receive) => {
      const fetched = () => fetch("velmora.wasm", {credentials: "same-origin"})
        .then((response) => response.arrayBuffer()).then((bytes) => WebAssembly.compile(bytes));
      (window.velmoraCode || Promise.reject()).catch(fetched)
        .then((code) => WebAssembly.instantiate(code, imports).then((instance) => receive(instance, code)))
        .catch(() => say("プログラムを よみこめませんでした。ページを よみなおしてください。"));
      return {};
    },
  };
  // The canvas at the largest quarter step of 640x450 that fits the room
  // above the bar (or the whole screen in fullscreen), centred; smaller
  // rooms get the surface shrunk to fit, as a small window does. Set before
  // SDL's own listener reads the canvas's size.
  const canvas = document.getElementById("canvas");
  const room = document.getElementById("screen");
  const fit = () => {
    const w = room.clientWidth;
    const h = room.clientHeight;
    let quarters = 4;
    while (640 * (quarters + 1) / 4 <= w && Math.ceil(450 * (quarters + 1) / 4) <= h) { quarters += 1; }
    const cw = quarters > 4 || (w >= 640 && h >= 450) ? Math.floor(640 * quarters / 4) : w;
    const ch = quarters > 4 || (w >= 640 && h >= 450) ? Math.ceil(450 * quarters / 4) : h;
    canvas.style.width = cw + "px";
    canvas.style.height = ch + "px";
  };
  fit();
  window.addEventListener("resize", fit);
  // Into fullscreen or out of it the canvas is sized again, and told so as a
  // window's resizing tells it: the frame is drawn anew at the new size,
  // crisp, rather than stretched.
  document.addEventListener("fullscreenchange", () => {
    fit();
    window.dispatchEvent(new Event("resize"));
  });
  // The bar's button and the programs' F11 (through Module.velmora).
  velmora.toggleFullscreen = () => {
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(() => {});
    } else if (room.requestFullscreen) {
      room.requestFullscreen().catch(() => {});
    }
  };
  document.getElementById("fullscreen").onclick = () => {
    velmora.toggleFullscreen();
    canvas.focus();
  };
  const refocus = () => canvas.focus();
  const choose = (id) => new Promise((resolve) => {
    const input = document.getElementById(id);
    input.value = "";
    input.onchange = () => resolve(input.files);
    input.click();
  });
  document.getElementById("save").onclick = () => { VelmoraFiles.save().finally(refocus); };
  document.getElementById("load").onclick = async () => {
    const files = await choose("load-file");
    if (files.length) { await VelmoraFiles.load(files[0], say); }
    refocus();
  };
  document.getElementById("lessons").onclick = async () => {
    const files = await choose("lesson-files");
    if (files.length) { await VelmoraFiles.addLessons(files, say); }
    refocus();
  };
  document.getElementById("csv").onclick = () => { VelmoraFiles.csv(false, say).finally(refocus); };
  document.getElementById("csv-keys").onclick = () => { VelmoraFiles.csv(true, say).finally(refocus); };
  // Own lessons dropped anywhere on the page.
  window.addEventListener("dragover", (e) => e.preventDefault());
  window.addEventListener("drop", (e) => {
    e.preventDefault();
    if (e.dataTransfer.files.length) { VelmoraFiles.addLessons(e.dataTransfer.files, say).finally(refocus); }
  });
  // Offline once loaded: the service worker keeps this version's files.
  if ("serviceWorker" in navigator && window.isSecureContext) {
    navigator.serviceWorker.register("sw.js").catch(() => {});
  }
  fetch("version.txt", {cache: "no-store"}).then((r) => r.ok ? r.text() : "").then((v) => {
    document.getElementById("version").textContent = v.trim() ? "バージョン " + v.trim() : "";
  }, () => {});
})();
