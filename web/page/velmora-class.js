// A class's page: served by the school's class server (velmora-class
// serve), which marks index.html so. The learner signed in at "/" finds the
// records, passes, settings and own lessons the server keeps; every change
// goes back to it, and every block from the page's outbox. The browser keeps
// nothing of one learner for the next who signs in on it. A page not marked
// so is the learner's own and this does nothing.
"use strict";
(function () {
  if (!document.querySelector('meta[name="velmora-class"]')) { return; }
  const v = window.Module.velmora;
  v.classroom = true;
  const ROOT = "/velmora";
  const OUTBOX = ROOT + "/outbox";
  const SET_ASIDE = ROOT + "/outbox-refused";
  const FOLDERS = ["M0/data/", "config/velmora/", "M0/lessons/"];
  const FOLLOWING = [/^M0\/data\/(step|RANK|SUU|KIGO|SFT|KOTOBA)\.TXT$/,
    /^config\/velmora\/(?!window\.conf$)[^/.][^/]*\.conf$/, /^M0\/lessons\/[^/.][^/]*\.(txt|TXT)$/];
  const BLOCKS_AT_ONCE = 20;
  const RETRY_MS = 10000;
  const HELD = "velmora.held";        // whose tree the browser holds
  const SYNCED = "velmora.synced";    // each file's revision and sum as last agreed with the server
  const PENDING = "velmora.pending";  // blocks of learners signed out unsent, by learner
  const status = document.getElementById("status");
  const say = (text) => { status.textContent = text; };
  let session = null;

  const never = () => new Promise(() => {});
  const readJson = (key, empty) => { try { return JSON.parse(localStorage.getItem(key)) || empty; } catch (e) { return empty; } };
  const writeJson = (key, value) => localStorage.setItem(key, JSON.stringify(value));
  // FNV-1a over the bytes: enough to tell a file changed since it was agreed.
  const sum = (bytes) => {
    let h = 0x811c9dc5;
    for (const b of bytes) { h = Math.imul(h ^ b, 0x01000193) >>> 0; }
    return bytes.length + ":" + h.toString(16);
  };
  const exists = (path) => FS.analyzePath(path).exists;
  const store = () => new Promise((resolve) => FS.syncfs(false, (err) => resolve(!err)));
  // Files are changed only while the program waits for input (as the bar's are).
  const whenWaiting = (work) => new Promise((resolve) => {
    const attempt = () => { if (!v.wake && v.ready) { setTimeout(attempt, 50); return; } resolve(work()); };
    attempt();
  });
  const following = () => VelmoraFiles.walk(FOLDERS, (path) => FOLLOWING.some((r) => r.test(path)));
  const write = (path, bytes) => {
    FS.mkdirTree((ROOT + "/" + path).replace(/\/[^/]*$/, ""));
    FS.writeFile(ROOT + "/" + path, bytes);
  };
  const removeAll = (folder) => {
    for (const name of FS.readdir(folder)) {
      if (name === "." || name === "..") { continue; }
      const path = folder + "/" + name;
      if (FS.isDir(FS.stat(path).mode)) { removeAll(path); FS.rmdir(path); } else { FS.unlink(path); }
    }
  };
  const outboxNames = () => (exists(OUTBOX) ? FS.readdir(OUTBOX) : []).filter((n) => n.endsWith(".json")).sort();
  const ask = (path, options = {}) => fetch(path, Object.assign({cache: "no-store", credentials: "same-origin"}, options,
    {headers: Object.assign({"X-Velmora-Csrf": session ? session.csrf : ""}, options.headers || {})}));
  const signedOut = () => {
    session = null;
    say("しばらく つかわなかったので サインアウトしました。練習は このブラウザに のこっています。");
    showSignIn();
  };
  const bytesOf = (base64) => Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));

  // Another learner's tree goes, but for the blocks it could not send yet,
  // kept by that learner's login until it signs in here again.
  function clearTree(held) {
    if (held) {
      const pending = readJson(PENDING, {});
      const own = pending[held] || {};
      for (const name of outboxNames()) { own[name] = FS.readFile(OUTBOX + "/" + name, {encoding: "utf8"}); }
      if (Object.keys(own).length) { pending[held] = own; writeJson(PENDING, pending); }
    }
    removeAll(ROOT);
    localStorage.removeItem(SYNCED);
  }
  function takeBackPending(learner) {
    const pending = readJson(PENDING, {});
    for (const [name, json] of Object.entries(pending[learner] || {})) { write("outbox/" + name, json); }
    delete pending[learner];
    writeJson(PENDING, pending);
  }

  // The server's files where this browser has not changed its own since
  // they were last agreed; the others go back to it at the next sync.
  async function loadFiles(fresh) {
    const answer = await ask("/api/files");
    if (!answer.ok) { throw new Error(answer.status); }
    const synced = fresh ? {} : readJson(SYNCED, {});
    for (const file of (await answer.json()).files) {
      const here = exists(ROOT + "/" + file.path) ? FS.readFile(ROOT + "/" + file.path) : null;
      const known = synced[file.path];
      if (!here || (known && known.sum === sum(here))) {
        const bytes = bytesOf(file.content);
        write(file.path, bytes);
        synced[file.path] = {revision: file.revision, sum: sum(bytes)};
      }
    }
    writeJson(SYNCED, synced);
  }
  function keepPassMark(mark) {
    const file = ROOT + "/M0/data/class.conf";
    if (mark) { write("M0/data/class.conf", "pass=" + mark + "\n"); } else if (exists(file)) { FS.unlink(file); }
  }

  v.afterLoad = async () => {
    const held = localStorage.getItem(HELD);
    let answer = null;
    try { answer = await ask("/api/session"); } catch (e) { answer = null; }
    if (answer && answer.status === 401) { location.replace(held ? "/?over=1" : "/"); await never(); }
    if (!answer || !answer.ok) {
      // Offline: the learner whose tree this is goes on; the blocks wait.
      if (held) { say("サーバーに つながっていません。練習は のこしておき、つながったら 送ります。"); addBar(null); return; }
      say("サーバーに つながりません。つながってから ページを よみなおしてください。");
      await never();
    }
    session = await answer.json();
    if (session.teacher) { location.replace(session.classes.length ? "/class/" + session.classes[0] : "/"); await never(); }
    const fresh = held !== session.learner;
    if (fresh) { clearTree(held); }
    takeBackPending(session.learner);
    await loadFiles(fresh);
    keepPassMark(session.pass_mark);
    localStorage.setItem(HELD, session.learner);
    addBar(session);
  };

  async function pushFiles() {
    const synced = readJson(SYNCED, {});
    for (const path of await whenWaiting(following)) {
      const bytes = FS.readFile(ROOT + "/" + path);
      const known = synced[path];
      if (known && known.sum === sum(bytes)) { continue; }
      const answer = await ask("/api/files?path=" + encodeURIComponent(path) + "&base=" + (known ? known.revision : 0),
        {method: "PUT", body: bytes, headers: {"Content-Type": "application/octet-stream"}});
      if (answer.status === 401) { signedOut(); return false; }
      if (!answer.ok) { return false; }
      const kept = new Uint8Array(await answer.arrayBuffer());
      synced[path] = {revision: Number(answer.headers.get("X-Velmora-Revision")), sum: sum(kept)};
      writeJson(SYNCED, synced);
      // Joined with another browser's change: the better record is kept here too.
      if (sum(kept) !== sum(bytes)) { await whenWaiting(() => write(path, kept)); await store(); }
    }
    return true;
  }
  async function send(names) {
    const body = "[" + names.map((n) => FS.readFile(OUTBOX + "/" + n, {encoding: "utf8"})).join(",") + "]";
    const answer = await ask("/api/blocks", {method: "POST", body: body, headers: {"Content-Type": "application/json"}});
    if (answer.status === 401) { signedOut(); return false; }
    if (answer.status === 400 && names.length > 1) {
      for (const name of names) { if (!(await send([name]))) { return false; } }
      return true;
    }
    if (answer.status === 400) {
      // No block can be so: kept aside here, never sent again, holding back no other.
      FS.mkdirTree(SET_ASIDE);
      FS.rename(OUTBOX + "/" + names[0], SET_ASIDE + "/" + names[0]);
      await store();
      return true;
    }
    if (!answer.ok) { return false; }
    for (const name of names) { FS.unlink(OUTBOX + "/" + name); }
    await store();
    return true;
  }
  async function sendOutbox() {
    for (let names = outboxNames(); names.length; names = outboxNames()) {
      if (!(await send(names.slice(0, BLOCKS_AT_ONCE)))) { return false; }
    }
    return true;
  }

  // One sync at a time; one asked for while it runs follows it.
  let running = null;
  let again = false;
  let retry = 0;
  function sync() {
    if (running) { again = true; return running; }
    running = (async () => {
      let done = false;
      try { done = session !== null && (await pushFiles()) && (await sendOutbox()); } catch (e) { done = false; }
      return done;
    })().then((done) => {
      running = null;
      clearTimeout(retry);
      if (again) { again = false; return sync(); }
      if (!done && session) { retry = setTimeout(sync, RETRY_MS); }
      return done;
    });
    return running;
  }
  window.VelmoraClass = {sync: sync, outbox: () => outboxNames().length};
  const stored = v.onStored;
  v.onStored = (ok) => { if (stored) { stored(ok); } if (ok) { sync(); } };
  window.addEventListener("online", () => sync());

  function showSignIn() {
    const bar = document.getElementById("bar");
    if (document.getElementById("sign-in-again")) { return; }
    const link = document.createElement("a");
    link.id = "sign-in-again";
    link.href = "/";
    link.textContent = "サインインする";
    bar.insertBefore(link, status);
  }
  function addBar(who) {
    const bar = document.getElementById("bar");
    const name = document.createElement("span");
    name.id = "who";
    name.textContent = who ? who.class + " " + who.name : "";
    const out = document.createElement("button");
    out.type = "button";
    out.id = "sign-out";
    out.textContent = "サインアウト";
    out.onclick = signOut;
    bar.insertBefore(out, bar.firstChild);
    bar.insertBefore(name, out);
  }
  async function signOut() {
    say("記録を 送っています…");
    await store();
    const sent = session !== null && (await sync()) && outboxNames().length === 0;
    if (!sent) {
      say("まだ 送れていない 練習が あります。ネットワークに つながってから、もう一度 サインアウトを おしてください。");
      return;
    }
    try { await ask("/sign-out", {method: "POST"}); } catch (e) { /* the session ends by itself */ }
    session = null;
    await whenWaiting(() => removeAll(ROOT));
    await store();
    localStorage.removeItem(HELD);
    localStorage.removeItem(SYNCED);
    location.replace("/?out=1");
  }
})();
