// The web edition's figures, in one headless chromium beside the floor page
// (floor.c: one canvas frame from a minimal Emscripten module):
//   node bench/web/web_bench.mjs WEB_DIR FLOOR_DIR
// first frame after navigation, key to changed canvas pixels, blank frames
// in a hand-over, bytes a first and a later visit transfer, and the tab's
// memory through a soak of random input (VELMORA_SOAK_MINUTES, default 1).
import fs from "node:fs";
import path from "node:path";
import zlib from "node:zlib";

import {MENU_ENTRY_1, TITLE_BAR, HOME_CAP, Tutor, browser, serve} from "../../e2e/web/harness.mjs";

const [webDir, floorDir] = process.argv.slice(2).map((d) => path.resolve(d));
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const ms = (v) => `${v.toFixed(1)} ms`;

// Every putImageData the page makes, with its time and whether it is one
// colour all over (a blank frame).
const RECORD_FRAMES = () => {
  window.__frames = [];
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (image, ...rest) {
    const d = image.data;
    // A whole frame of one colour; a small rectangle may well be one.
    let blank = image.width === this.canvas.width && image.height === this.canvas.height;
    for (let i = 0; i < d.length && blank; i += 4 * 97) { blank = d[i] === d[0] && d[i + 1] === d[1] && d[i + 2] === d[2]; }
    if (window.__recording) { window.__frames.push({t: performance.now(), blank, whole: image.width * image.height}); }
    return put.call(this, image, ...rest);
  };
  window.__keys = [];
  window.addEventListener("keydown", (e) => { if (window.__recording) { window.__keys.push(e.timeStamp); } }, true);
  window.__recording = true;
};

async function firstFrame(chromium, url, isShown) {
  const times = [];
  for (let run = 0; run < 5; ++run) {
    const context = await chromium.browser.createBrowserContext();
    const page = await context.newPage();
    await page.evaluateOnNewDocument(RECORD_FRAMES);
    await page.goto(url);
    const t = await page.waitForFunction(isShown, {timeout: 30000, polling: 10});
    times.push(await t.jsonValue());
    await context.close();
  }
  return median(times);
}

async function keyToPixels(page, press, count = 40) {
  const latencies = [];
  for (let i = 0; i < count; ++i) {
    const frames = await page.evaluate(() => window.__frames.length);
    await press(i);
    const l = await page.waitForFunction((n) => window.__frames.length > n &&
      window.__frames[window.__frames.length - 1].t - window.__keys[window.__keys.length - 1], {polling: 5}, frames);
    latencies.push(await l.jsonValue());
    await new Promise((r) => setTimeout(r, 30));
  }
  return median(latencies);
}

const gzipped = (dir, names) => names.reduce((n, name) => {
  const file = path.join(dir, name === "/" ? "index.html" : name);
  return fs.existsSync(file) ? n + zlib.gzipSync(fs.readFileSync(file)).length : n;
}, 0);

const web = await serve(webDir);
const floor = await serve(floorDir);
// gc exposed, so that memory is sampled after a collection, not with garbage.
const chromium = await browser(undefined, undefined, ["--js-flags=--expose-gc"]);
const rows = [];
try {
  const floorFirst = await firstFrame(chromium, floor.url, () => window.__frames.length && window.__frames[0].t);
  const webFirst = await firstFrame(chromium, web.url, () => {
    const f = window.__frames.find((x) => !x.blank);
    return f ? f.t : 0;
  });
  rows.push(["first frame after navigation", ms(webFirst), ms(floorFirst), (webFirst / floorFirst).toFixed(2)]);

  // The floor's key to pixels.
  const floorPage = await chromium.browser.newPage();
  await floorPage.evaluateOnNewDocument(RECORD_FRAMES);
  await floorPage.goto(floor.url);
  await floorPage.waitForFunction(() => window.__frames.length > 0);
  const floorKey = await keyToPixels(floorPage, (i) => floorPage.keyboard.press(i % 2 ? "KeyF" : "KeyJ"));
  await floorPage.close();

  // The web edition's, in the first stage's drill, each key typed right.
  web.requests.length = 0;
  const page = await chromium.browser.newPage();
  await page.evaluateOnNewDocument(RECORD_FRAMES);
  const tutor = new Tutor(page, web.url);
  tutor.cdp = await page.createCDPSession();
  await page.goto(web.url);
  await tutor.ready();
  await tutor.waitForPixels([[MENU_ENTRY_1, 2]]);
  const firstVisit = [...new Set(web.requests)];
  const handOverFrom = await page.evaluate(() => window.__frames.length);
  await tutor.key("F1");
  await tutor.waitForPixels([[TITLE_BAR, 14], [HOME_CAP, 11]]);
  const blank = await page.evaluate((n) => window.__frames.slice(n).filter((f) => f.blank).length, handOverFrom);
  await tutor.type("x");
  await new Promise((r) => setTimeout(r, 300));
  const line = "FFJJ FJFF JFJJ FJFJ DDKK DKDD KDKK DKDK";
  const webKey = await keyToPixels(page, (i) => tutor.type(line[i]), 38);
  rows.push(["key to changed pixels in a drill", ms(webKey), ms(floorKey), (webKey / floorKey).toFixed(2)]);
  rows.push(["blank frames in the hand-over to a lesson", String(blank), "", ""]);

  // Bytes: the first visit (compressed as a gzip server sends them), then a
  // later one, which the service worker answers but for the version check.
  await page.evaluate(() => navigator.serviceWorker.ready);
  rows.push(["first visit, launcher and a lesson (gzip)", `${(gzipped(webDir, firstVisit) / 1e6).toFixed(2)} MB`, "", ""]);
  await new Promise((r) => setTimeout(r, 500));
  web.requests.length = 0;
  await tutor.reload();
  await tutor.waitForPixels([[MENU_ENTRY_1, 2]]);
  rows.push(["later visit: what reached the server", web.requests.join(" ") || "nothing", "", ""]);

  // Memory through a soak of random keys and clicks in the launcher and the
  // programs it starts, sampled as it goes.
  const minutes = Number(process.env.VELMORA_SOAK_MINUTES || 1);
  const memory = async () => {
    const {metrics} = await tutor.cdp.send("Performance.getMetrics");
    const heap = metrics.find((m) => m.name === "JSHeapUsedSize").value;
    const wasm = await page.evaluate(() => HEAP8.length);
    return heap + wasm;
  };
  await tutor.cdp.send("Performance.enable");
  // The frames and keys recorded above would grow with the soak: not the
  // page's memory.
  await page.evaluate(() => { window.__recording = false; window.__frames = []; window.__keys = []; });
  const samples = [];
  const keys = ["KeyF", "KeyJ", "Space", "Enter", "Escape", "ArrowRight", "ArrowDown", "F1", "F2", "F7", "F9", "KeyX"];
  let seed = 12345;
  const next = () => (seed = (seed * 1103515245 + 12345) & 0x7fffffff) / 0x7fffffff;
  const start = Date.now();
  const end = start + minutes * 60000;
  let lastSample = 0;
  while (Date.now() < end) {
    if (next() < 0.9) {
      await page.keyboard.press(keys[Math.floor(next() * keys.length)]);
    } else {
      await tutor.click(Math.floor(next() * 640), Math.floor(next() * 450));
    }
    if (Date.now() - lastSample > 10000) {
      // Back to the launcher now and then (a drill waits for keys the soak
      // may never press), and on from there to another program; the page's
      // end, when the launcher's exit was clicked, started again.
      await page.evaluate(() => {
        const ended = document.getElementById("ended");
        if (!ended.hidden) { document.getElementById("again").click(); } else { history.back(); }
      });
      await page.evaluate(() => window.gc && window.gc());
      samples.push(await memory());
      lastSample = Date.now();
      if (process.env.VELMORA_SOAK_LOG) { console.log(`${((Date.now() - start) / 60000).toFixed(1)} min ${(samples[samples.length - 1] / 1e6).toFixed(1)} MB`); }
    }
  }
  const mb = (b) => `${(b / 1e6).toFixed(1)} MB`;
  rows.push([`tab memory, ${minutes} min soak (first, last, most)`, `${mb(samples[0])} ${mb(samples[samples.length - 1])} ${mb(Math.max(...samples))}`, "", ""]);
  await page.close();
} finally {
  await chromium.close();
  await web.stop();
  await floor.stop();
}
const widths = [0, 1, 2, 3].map((c) => Math.max(...[["", "web", "floor", "ratio"], ...rows].map((r) => r[c].length)));
for (const row of [["", "web", "floor", "ratio"], ...rows]) {
  console.log(row.map((cell, c) => c === 0 ? cell.padEnd(widths[c]) : cell.padStart(widths[c])).join("  "));
}
