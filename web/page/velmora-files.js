// The bar's files: the learner's tree saved as a .zip and read back, own
// lessons added from .txt files (chosen or dropped on the page), and the
// history as CSV. The module's files change only while its program waits
// for input, and what changes is stored in the browser at once.
"use strict";
window.VelmoraFiles = (function () {
  const ROOT = "/velmora";
  const KEPT = ["M0/data/", "M0/lessons/", "config/velmora/"];
  const RECORDS = ["step.TXT", "RANK.TXT", "SUU.TXT", "KIGO.TXT", "SFT.TXT"];
  const LARGEST_LESSON = 1 << 20;

  const waiting = () => window.Module && Module.velmora && Module.velmora.wake;
  // Runs `work` once the program waits for input, so that no frame of it is
  // half drawn from files changed under it.
  const whenWaiting = (work) => new Promise((resolve, reject) => {
    const attempt = () => {
      if (!waiting()) { setTimeout(attempt, 50); return; }
      try { resolve(work()); } catch (e) { reject(e); }
    };
    attempt();
  });
  const store = () => new Promise((resolve) => FS.syncfs(false, (err) => resolve(!err)));

  function download(blob, name) {
    const a = document.createElement("a");
    a.href = URL.createObjectURL(blob);
    a.download = name;
    document.body.appendChild(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(a.href), 10000);
  }
  const today = () => new Date().toISOString().slice(0, 10).replaceAll("-", "");

  // The paths of the files under `folders` of the tree that `wanted` takes.
  function walk(folders, wanted) {
    const found = [];
    const visit = (relative) => {
      for (const name of FS.readdir(ROOT + "/" + relative)) {
        if (name === "." || name === "..") { continue; }
        const path = relative + name;
        const mode = FS.stat(ROOT + "/" + path).mode;
        if (FS.isDir(mode)) {
          visit(path + "/");
        } else if (FS.isFile(mode) && wanted(path)) {
          found.push(path);
        }
      }
    };
    for (const folder of folders) {
      if (FS.analyzePath(ROOT + "/" + folder).exists) { visit(folder); }
    }
    return found;
  }
  // The files of the tree under the kept folders, by their paths in it.
  function treeFiles() {
    return walk(KEPT, (path) => !path.endsWith(".sending") && !path.endsWith("-journal"))
      .map((path) => ({name: path, bytes: FS.readFile(ROOT + "/" + path)}));
  }

  async function save() {
    const files = await whenWaiting(treeFiles);
    download(VelmoraZip.make(files), `velmora-records-${today()}.zip`);
  }

  const isNumberIn = (text, low, high) => /^\d+$/.test(text) && Number(text) >= low && Number(text) <= high;
  const firstLine = (bytes) => new TextDecoder("utf-8", {fatal: true}).decode(bytes).split(/\r?\n|\r/)[0];

  // The files of a saved tree, or an error naming what is wrong with it.
  async function checkedTree(buffer) {
    let files;
    try {
      files = await VelmoraZip.read(buffer);
    } catch (e) {
      throw new Error("このファイルは読めません（" + e.message + "）");
    }
    const byName = new Map();
    for (const f of files) {
      const parts = f.name.split("/");
      if (f.name.startsWith("/") || f.name.includes("\\") || parts.some((p) => p === "" || p === "." || p === "..") ||
          !KEPT.some((k) => f.name.startsWith(k))) {
        throw new Error("タッチタイプの記録のファイルではありません（" + f.name + "）");
      }
      byName.set(f.name, f.bytes);
    }
    const missing = RECORDS.filter((r) => !byName.has("M0/data/" + r));
    if (missing.length) { throw new Error("タッチタイプの記録のファイルではありません（" + missing.join("、") + " がありません）"); }
    let lines;
    try {
      lines = Object.fromEntries(RECORDS.map((r) => [r, firstLine(byName.get("M0/data/" + r)).trim()]));
    } catch (e) {
      throw new Error("記録がこわれています");
    }
    if (!isNumberIn(lines["step.TXT"], 1, 6) || !isNumberIn(lines["RANK.TXT"], 1, 67) || !/^\d+$/.test(lines["SFT.TXT"])) {
      throw new Error("記録がこわれています");
    }
    const history = byName.get("M0/data/progress.sqlite3");
    if (history && new TextDecoder("latin1").decode(history.subarray(0, 16)) !== "SQLite format 3\0") {
      throw new Error("練習の記録（progress.sqlite3）がこわれています");
    }
    return files;
  }

  // Replaces the kept folders with the saved tree, stores it, and starts the
  // page again on it.
  function replaceTree(files) {
    for (const old of treeFiles()) { FS.unlink(ROOT + "/" + old.name); }
    for (const f of files) {
      const path = ROOT + "/" + f.name;
      FS.mkdirTree(path.slice(0, path.lastIndexOf("/")));
      FS.writeFile(path, f.bytes);
    }
  }

  async function load(file, say) {
    let files;
    try {
      files = await checkedTree(await file.arrayBuffer());
    } catch (e) {
      say(e.message + "。なにも置きかえていません。");
      return false;
    }
    const lessons = files.filter((f) => f.name.startsWith("M0/lessons/")).length;
    if (!window.confirm(`いまの記録を「${file.name}」の記録で置きかえます。\n` +
                        `練習の記録、ことばの合格、設定${lessons ? `、じぶんの教材 ${lessons} こ` : ""}が入れかわります。\n` +
                        "よろしいですか？")) {
      say("読み込みをやめました。");
      return false;
    }
    await whenWaiting(() => replaceTree(files));
    if (!await store()) {
      say("記録をブラウザに保存できませんでした。");
      return false;
    }
    location.reload();
    return true;
  }

  // Own lessons: each file put in M0/lessons/ as it is, where the word
  // course finds and checks it as the window does.
  async function addLessons(fileList, say) {
    const added = [];
    const refused = [];
    for (const file of fileList) {
      const name = file.name.split(/[\\/]/).pop();
      if (!/\.txt$/i.test(name) || name.length > 100 || file.size > LARGEST_LESSON) {
        refused.push(name);
        continue;
      }
      const bytes = new Uint8Array(await file.arrayBuffer());
      await whenWaiting(() => {
        FS.mkdirTree(ROOT + "/M0/lessons");
        FS.writeFile(ROOT + "/M0/lessons/" + name, bytes);
      });
      added.push(name);
    }
    if (added.length) { await store(); }
    say((added.length ? `教材「${added.join("」「")}」を入れました。ことばの練習のメニューの、さいごのページに出ます。` : "") +
        (refused.length ? `「${refused.join("」「")}」は入れられません（.txt で 1MB まで）。` : ""));
  }

  async function csv(missedKeys, say) {
    if (!FS.analyzePath(ROOT + "/M0/data/progress.sqlite3").exists) {
      say("まだ練習の記録がありません。");
      return;
    }
    const text = await whenWaiting(() => {
      if (!Module._velmora_write_csv(missedKeys ? 1 : 0)) { return null; }
      const bytes = FS.readFile("/tmp/velmora.csv");
      FS.unlink("/tmp/velmora.csv");
      return bytes;
    });
    if (text === null) {
      say("記録をCSVにできませんでした。");
      return;
    }
    download(new Blob([text], {type: "text/csv"}), missedKeys ? `velmora-missed-keys-${today()}.csv` : `velmora-blocks-${today()}.csv`);
  }

  return {save, load, addLessons, csv, checkedTree, walk};
})();
