// A frame of the web edition is the headless console's frame for the same
// input, pixel for pixel in palette colours, glyph edges within a unit or two: the page at a size whose canvas
// holds the screen once over (640x450), compared with the frames
// web_reference_frames wrote.
import assert from "node:assert/strict";
import fs from "node:fs";
import path from "node:path";
import {after, before, test} from "node:test";

import {HOME_CAP, MENU_ENTRY_1, TITLE_BAR, Tutor, browser, designY, serve} from "./harness.mjs";

const frames = process.env.VELMORA_REFERENCE_FRAMES;
// The launcher's ことばの練習 entry, lit when chosen.
const K_ENTRY = [30, designY(360)];

function readPpm(file) {
  const bytes = fs.readFileSync(file);
  const header = bytes.subarray(0, 32).toString("latin1").match(/^P6\n(\d+) (\d+)\n255\n/);
  assert.ok(header, `${file} is no PPM`);
  return {width: Number(header[1]), height: Number(header[2]), rgb: bytes.subarray(header[0].length)};
}

// The pixels that differ, and the first few of them. Every pixel of a
// palette colour must be that colour; the edges of glyphs, where the font's
// ink is blended into its face, may differ by a unit or two in a channel:
// FreeType's rasteriser rounds a few edges the other way on 32 bits (and a
// blend so faint that it rounds to the face on one side may not on the
// other: a palette pixel beside a blended one is an edge too).
function differences(canvas, reference, palette) {
  const inPalette = new Set(palette.map(([r, g, b]) => (r << 16) | (g << 8) | b));
  assert.equal(canvas.width, reference.width, "canvas width");
  assert.equal(canvas.height, reference.height, "canvas height");
  const {width, height} = reference;
  const plain = (x, y) => {
    if (x < 0 || y < 0 || x >= width || y >= height) { return true; }
    const j = 3 * (y * width + x);
    return inPalette.has((reference.rgb[j] << 16) | (reference.rgb[j + 1] << 8) | reference.rgb[j + 2]);
  };
  const wrong = [];
  let count = 0;
  for (let i = 0; i < width * height; ++i) {
    const c = [canvas.rgba[4 * i], canvas.rgba[4 * i + 1], canvas.rgba[4 * i + 2]];
    const r = [reference.rgb[3 * i], reference.rgb[3 * i + 1], reference.rgb[3 * i + 2]];
    const x = i % width;
    const y = Math.floor(i / width);
    const exact = [-1, 0, 1].every((dy) => [-1, 0, 1].every((dx) => plain(x + dx, y + dy)));
    const off = Math.max(...[0, 1, 2].map((k) => Math.abs(c[k] - r[k])));
    if (exact ? off !== 0 : off > 2) {
      ++count;
      if (wrong.length < 5) { wrong.push(`(${x}, ${y}) ${c} not ${r}`); }
    }
  }
  return {count, wrong};
}

let server;
let chromium;
before(async () => {
  assert.ok(frames && fs.existsSync(path.join(frames, "launcher.ppm")), "no reference frames: run web_reference_frames");
  server = await serve();
  // 640x450 fits above the bar, 800x563 does not: the screen once over; in
  // fullscreen, without the bar, 800x563 does.
  chromium = await browser(undefined, {width: 820, height: 590});
});
after(async () => {
  await chromium?.close();
  await server?.stop();
});

async function expectFrame(tutor, scene) {
  const reference = readPpm(path.join(frames, `${scene}.ppm`));
  // The last key may still be on its way to the canvas.
  let seen;
  for (let tries = 0; tries < 40; ++tries) {
    seen = differences(await tutor.canvasPixels(), reference, tutor.palette);
    if (seen.count === 0) { return; }
    await new Promise((r) => setTimeout(r, 50));
  }
  await tutor.picture(`frame-${scene}`);
  assert.fail(`${scene}: ${seen.count} pixels differ from the headless frame: ${seen.wrong.join("; ")}`);
}

test("the launcher and a lesson's drill draw as the headless console draws them", async () => {
  const tutor = await Tutor.open(chromium, server.url);
  await tutor.waitForPixels([[MENU_ENTRY_1, 2]]);
  await expectFrame(tutor, "launcher");
  await tutor.key("F1");
  await tutor.waitForPixels([[TITLE_BAR, 14], [HOME_CAP, 11]]);
  await tutor.type("xFFJJ FJq");
  await expectFrame(tutor, "ostrin-typing");
  await tutor.page.close();
});

test("fullscreen by the bar's button and back by F11 draws the screen anew at each size", async () => {
  const tutor = await Tutor.open(chromium, server.url);
  await tutor.waitForPixels([[MENU_ENTRY_1, 2]]);
  await tutor.page.click("#fullscreen");
  await tutor.page.waitForFunction(() => document.fullscreenElement && canvas.width === 800);
  await expectFrame(tutor, "launcher-800x563");
  await tutor.key("F11");
  await tutor.page.waitForFunction(() => !document.fullscreenElement && canvas.width === 640);
  await expectFrame(tutor, "launcher");
  await tutor.key("F11");
  await tutor.page.waitForFunction(() => document.fullscreenElement && canvas.width === 800);
  await expectFrame(tutor, "launcher-800x563");
  assert.deepEqual(tutor.errors, []);
  await tutor.page.close();
});

test("on a screen of twice the page's pixels the canvas has them, and a click finds its place", async () => {
  const sharp = await browser(undefined, {width: 820, height: 590, deviceScaleFactor: 2});
  try {
    const tutor = await Tutor.open(sharp, server.url);
    await tutor.waitForPixels([[MENU_ENTRY_1, 2]]);
    await expectFrame(tutor, "launcher-1280x900");
    await tutor.click(...K_ENTRY);
    await tutor.waitForPixels([[K_ENTRY, 2], [MENU_ENTRY_1, 14]]);
    assert.deepEqual(tutor.errors, []);
  } finally {
    await sharp.close();
  }
});
