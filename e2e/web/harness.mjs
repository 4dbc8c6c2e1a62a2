// The web edition in a real browser: Debian's chromium, headless, driven
// through the DevTools protocol by puppeteer-core, on build/web/ served by a
// small server of the test's own. Points are surface pixels of the 640x450
// screen, read back as palette indices as the window tests read them.
import fs from "node:fs";
import http from "node:http";
import os from "node:os";
import path from "node:path";
import {fileURLToPath} from "node:url";
import {after, before} from "node:test";
import puppeteer from "puppeteer-core";

const here = path.dirname(fileURLToPath(import.meta.url));
export const sourceDir = path.resolve(here, "../..");
export const webDir = process.env.VELMORA_WEB_DIR || path.join(sourceDir, "build/web");
export const SURFACE = {width: 640, height: 450};
const POLL_MS = 25;

/** A design y (400-line space) as a pixel row: y * 9/8 rounded half up. */
export const designY = (y) => Math.floor((9 * 2 * y + 8) / 16);

// The launcher's entry 1 (face 2 while the menu waits), a stage's title bar
// (the stage's face) and the home prompt's cap (11).
export const MENU_ENTRY_1 = [62, designY(112)];
export const TITLE_BAR = [4, designY(16)];
export const HOME_CAP = [228, designY(46)];
// The word course's menu, its first entry lit (2), and its drill's counter.
export const WORD_MENU_FIRST = [40, designY(66)];
export const WORD_COUNTER = [244, designY(352)];

/** The 16 entries of kPalette in console/colour.h, as [r, g, b]. */
export function readPalette() {
  const header = fs.readFileSync(path.join(sourceDir, "console/colour.h"), "utf8");
  const block = header.match(/kPalette\s*\[\s*16\s*\]\s*=\s*\{([\s\S]*?)\};/);
  if (!block) { throw new Error("console/colour.h: no kPalette[16] table found"); }
  const body = block[1].replace(/\/\/[^\n]*/g, "");
  const palette = [...body.matchAll(/\{\s*(0x[0-9a-fA-F]+|\d+)\s*,\s*(0x[0-9a-fA-F]+|\d+)\s*,\s*(0x[0-9a-fA-F]+|\d+)\s*\}/g)]
    .map((m) => [Number(m[1]), Number(m[2]), Number(m[3])]);
  if (palette.length !== 16) { throw new Error(`kPalette has ${palette.length} entries`); }
  return palette;
}

/** The 20-character lines of table `name` in a material header, joined. */
export function drillLines(header, name, count = 20) {
  const text = fs.readFileSync(path.join(sourceDir, header), "utf8");
  const table = text.split(` ${name} = `)[1].split("}};")[0];
  const lines = [...table.matchAll(/"([^"]*)"/g)].map((m) => m[1]);
  if (lines.length !== count || lines.some((l) => l.length !== 20)) {
    throw new Error(`read ${lines.length} lines of ${name} from ${header}`);
  }
  return lines.join("");
}

const MIME = {
  ".html": "text/html; charset=utf-8", ".js": "text/javascript", ".css": "text/css",
  ".wasm": "application/wasm", ".data": "application/octet-stream", ".txt": "text/plain; charset=utf-8",
  ".ttf": "font/ttf", ".json": "application/json", ".webmanifest": "application/manifest+json",
};

/** Serves `dir` on a free loopback port; `stop()` ends it. */
export async function serve(dir = webDir) {
  if (!fs.existsSync(path.join(dir, "index.html"))) {
    throw new Error(`${dir} holds no web edition: run scripts/web.sh --build`);
  }
  const requests = [];
  const server = http.createServer((req, res) => {
    const wanted = decodeURIComponent(new URL(req.url, "http://x").pathname);
    requests.push(wanted);
    const file = path.join(dir, wanted === "/" ? "index.html" : wanted);
    if (!file.startsWith(dir) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      res.writeHead(404).end();
      return;
    }
    res.writeHead(200, {"Content-Type": MIME[path.extname(file)] || "application/octet-stream"});
    fs.createReadStream(file).pipe(res);
  });
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  return {url: `http://127.0.0.1:${server.address().port}/`, requests,
          stop: () => new Promise((r) => server.close(r))};
}

/** A headless chromium with a profile of its own, kept across reloads. */
export async function browser(profile = fs.mkdtempSync(path.join(os.tmpdir(), "velmora-web-")),
                              viewport = {width: 1000, height: 700}, extraArgs = []) {
  const b = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    headless: true,
    userDataDir: profile,
    args: ["--no-sandbox", "--disable-gpu", `--window-size=${viewport.width},${viewport.height}`,
           "--autoplay-policy=no-user-gesture-required", ...extraArgs],
    defaultViewport: viewport,
  });
  return {browser: b, profile, close: async () => {
    await b.close();
    fs.rmSync(profile, {recursive: true, force: true});
  }};
}

// The punctuation of a JIS keyboard by place: KeyboardEvent.code and the
// Windows key code (Shift gives the second character of a key).
const JIS_PLACES = {
  "-": ["Minus", 189], "=": ["Minus", 189], "^": ["Equal", 222], "~": ["Equal", 222],
  "\\": ["IntlYen", 220], "|": ["IntlYen", 220], "@": ["BracketLeft", 192], "`": ["BracketLeft", 192],
  "[": ["BracketRight", 219], "{": ["BracketRight", 219], ";": ["Semicolon", 187], "+": ["Semicolon", 187],
  ":": ["Quote", 186], "*": ["Quote", 186], "]": ["Backslash", 221], "}": ["Backslash", 221],
  ",": ["Comma", 188], "<": ["Comma", 188], ".": ["Period", 190], ">": ["Period", 190],
  "/": ["Slash", 191], "?": ["Slash", 191], "_": ["IntlRo", 226],
};

/** For a test file: the web edition served and a chromium started before
 * its tests, both stopped after them. Their handles fill in `place`. */
export function servedInChromium(viewport) {
  const place = {};
  before(async () => {
    place.server = await serve();
    place.chromium = await browser(undefined, viewport);
  });
  after(async () => {
    await place.chromium?.close();
    await place.server?.stop();
  });
  return place;
}

/** One tab of the web edition. */
export class Tutor {
  constructor(page, url) {
    this.page = page;
    this.url = url;
    this.palette = readPalette();
    this.errors = [];
    page.on("pageerror", (e) => this.errors.push(e.stack || String(e)));
  }

  static async open(b, url) {
    const page = await b.browser.newPage();
    const tutor = new Tutor(page, url);
    tutor.cdp = await page.createCDPSession();
    await page.goto(url);
    await tutor.ready();
    return tutor;
  }

  /** From the launcher to the drill of the word course's own lesson (the
   * last page's first): kana input chosen first when asked, and `menuShows`
   * and `drillShows` waited for beside the menu and the drill. */
  async startOwnLesson({kana = false, menuShows = [], drillShows = []} = {}) {
    await this.key("k");
    await this.waitForPixels([[WORD_MENU_FIRST, 2], ...menuShows]);
    if (kana) { await this.key("Tab"); }
    await this.key("ArrowUp");
    await this.key("ArrowUp");  // round to the last page: the own lesson
    await this.waitForPixels([[WORD_MENU_FIRST, 2]]);
    await this.key("Enter");
    await this.waitForPixels([[TITLE_BAR, 12], [HOME_CAP, 11]]);
    await this.type("x");
    await this.waitForPixels([[TITLE_BAR, 12], [WORD_COUNTER, 2], ...drillShows]);
  }

  async ready(timeout = 30000) {
    await this.page.waitForFunction(() => window.Module && Module.velmora && Module.velmora.ready, {timeout});
  }

  async reload() {
    await this.page.reload();
    await this.ready();
  }

  /** Palette indices at surface points, the canvas mapped as the module maps it. */
  async indices(points) {
    const rgb = await this.page.evaluate((points, surface) => {
      const canvas = document.getElementById("canvas");
      const w = canvas.width;
      const h = canvas.height;
      const cw = Math.min(w, Math.floor((h * surface.width * 2 + surface.height) / (2 * surface.height)));
      const ch = Math.min(h, Math.floor((cw * surface.height * 2 + surface.width) / (2 * surface.width)));
      const left = Math.floor((w - cw) / 2);
      const top = Math.floor((h - ch) / 2);
      const image = canvas.getContext("2d").getImageData(0, 0, w, h).data;
      return points.map(([sx, sy]) => {
        const x0 = left + Math.floor(sx * cw / surface.width);
        const x1 = left + Math.floor((sx + 1) * cw / surface.width);
        const y0 = top + Math.floor(sy * ch / surface.height);
        const y1 = top + Math.floor((sy + 1) * ch / surface.height);
        const i = (Math.floor((y0 + y1 - 1) / 2) * w + Math.floor((x0 + x1 - 1) / 2)) * 4;
        return [image[i], image[i + 1], image[i + 2]];
      });
    }, points, SURFACE);
    return rgb.map(([r, g, b]) => this.palette.findIndex(([pr, pg, pb]) => pr === r && pg === g && pb === b));
  }

  /** The canvas's pixels, [width, height, RGBA bytes]. */
  async canvasPixels() {
    const {width, height, data} = await this.page.evaluate(() => {
      const c = document.getElementById("canvas");
      const image = c.getContext("2d").getImageData(0, 0, c.width, c.height);
      const bytes = new Uint8Array(image.data.buffer);
      let text = "";
      for (let i = 0; i < bytes.length; i += 0x8000) {
        text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
      }
      return {width: c.width, height: c.height, data: btoa(text)};
    });
    return {width, height, rgba: Buffer.from(data, "base64")};
  }

  /** Waits until every point shows its palette index. */
  async waitForPixels(expected, timeout = 15000) {
    const points = expected.map(([p]) => p);
    const deadline = Date.now() + timeout;
    let seen = [];
    while (Date.now() < deadline) {
      seen = await this.indices(points);
      if (seen.every((v, i) => v === expected[i][1])) { return; }
      await new Promise((r) => setTimeout(r, POLL_MS));
    }
    await this.picture("timed-out");
    const wrong = expected.map(([p, want], i) => `${p}: ${seen[i]} not ${want}`).filter((_, i) => seen[i] !== expected[i][1]);
    throw new Error(`timed out waiting for pixels: ${wrong.join(", ")}${this.errors.length ? "; page errors: " + this.errors.join(" | ") : ""}`);
  }

  /** Saves what the tab shows, for a failure, under build/web-test-pictures/. */
  async picture(name) {
    const folder = path.join(sourceDir, "build/web-test-pictures");
    fs.mkdirSync(folder, {recursive: true});
    await this.page.screenshot({path: path.join(folder, `${name}-${Date.now()}.png`)});
  }

  /** A key by its place: KeyboardEvent.code, key, the Windows key code and the text it types. */
  async press(code, key, keyCode, text = "") {
    const base = {code, key, windowsVirtualKeyCode: keyCode, nativeVirtualKeyCode: keyCode};
    await this.cdp.send("Input.dispatchKeyEvent", {type: text ? "keyDown" : "rawKeyDown", ...base, text, unmodifiedText: text});
    await this.cdp.send("Input.dispatchKeyEvent", {type: "keyUp", ...base});
  }

  /** A key by place with Shift held, as a keyboard sends it. */
  async pressShifted(code, key, keyCode, text = "") {
    const shift = {code: "ShiftLeft", key: "Shift", windowsVirtualKeyCode: 16, modifiers: 8};
    await this.cdp.send("Input.dispatchKeyEvent", {type: "rawKeyDown", ...shift});
    const base = {code, key, windowsVirtualKeyCode: keyCode, nativeVirtualKeyCode: keyCode, modifiers: 8};
    await this.cdp.send("Input.dispatchKeyEvent", {type: text ? "keyDown" : "rawKeyDown", ...base, text, unmodifiedText: text});
    await this.cdp.send("Input.dispatchKeyEvent", {type: "keyUp", ...base});
    await this.cdp.send("Input.dispatchKeyEvent", {type: "keyUp", ...shift, modifiers: 0});
  }

  /** Clicks a button of the bar and returns the file it downloads into `folder`. */
  async download(button, folder) {
    const before = new Set(fs.readdirSync(folder));
    await this.cdp.send("Browser.setDownloadBehavior", {behavior: "allow", downloadPath: folder});
    await this.page.click(button);
    for (let tries = 0; tries < 200; ++tries) {
      const fresh = fs.readdirSync(folder).filter((f) => !before.has(f) && !f.endsWith(".crdownload"));
      if (fresh.length) { return path.join(folder, fresh[0]); }
      await new Promise((r) => setTimeout(r, 50));
    }
    throw new Error(`${button} downloaded nothing`);
  }

  /** Writes a file into the learner's tree, as the page would keep it. */
  async writeFile(relative, text) {
    await this.page.evaluate((p, t) => {
      const file = "/velmora/" + p;
      FS.mkdirTree(file.slice(0, file.lastIndexOf("/")));
      FS.writeFile(file, t);
    }, relative, text);
  }

  async key(name) { await this.page.keyboard.press(name); }

  /** Text typed on a JIS keyboard, each character by the key that types it. */
  async type(text, delayMs = 0) {
    for (const ch of text) {
      const place = JIS_PLACES[ch];
      if (place) {
        await this.press(place[0], ch, place[1], ch);
      } else {
        await this.page.keyboard.type(ch);
      }
      if (delayMs) { await new Promise((r) => setTimeout(r, delayMs)); }
    }
  }

  /** A click at a surface point. */
  async click(sx, sy, clickCount = 1) {
    const box = await this.page.evaluate((surface) => {
      const c = document.getElementById("canvas");
      const r = c.getBoundingClientRect();
      return {x: r.left, y: r.top, w: r.width, h: r.height, cw: c.width, ch: c.height, s: surface};
    }, SURFACE);
    const scale = Math.min(box.w / SURFACE.width, box.h / SURFACE.height);
    const left = box.x + (box.w - SURFACE.width * scale) / 2;
    const top = box.y + (box.h - SURFACE.height * scale) / 2;
    await this.page.mouse.click(left + (sx + 0.5) * scale, top + (sy + 0.5) * scale, {clickCount});
  }

  /** A file of the learner's tree as the module sees it, or null. */
  async file(relative) {
    return this.page.evaluate((p) => {
      try { return FS.readFile("/velmora/" + p, {encoding: "utf8"}); } catch (e) { return null; }
    }, relative);
  }

  async record(name) {
    const text = await this.file("M0/data/" + name);
    return text === null ? null : text.replace(/[\r\n]+$/, "");
  }

  async waitForRecord(name, value, timeout = 15000) {
    const deadline = Date.now() + timeout;
    let seen = null;
    while (Date.now() < deadline) {
      seen = await this.record(name);
      if (seen === value) { return; }
      await new Promise((r) => setTimeout(r, POLL_MS));
    }
    throw new Error(`${name} holds ${JSON.stringify(seen)}, not ${JSON.stringify(value)}`);
  }
}
