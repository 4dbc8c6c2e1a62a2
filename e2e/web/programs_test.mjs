// The launcher's other programs in the page, each started from the launcher
// and typed with real key events: the number-row and symbol courses through
// to their records, the shift-key course with Shift held by place, the timed
// test of one minute (the page's clock moved on, not waited for), and the
// progress program and the CSV holding every block.
import assert from "node:assert/strict";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import {test} from "node:test";

import {HOME_CAP, MENU_ENTRY_1, Tutor, designY, drillLines, servedInChromium} from "./harness.mjs";

const KEY_GROUP_TITLE_BAR = [4, designY(16)];  // the step start of both key-group courses: 13
const RESULT_BARS = [0, 1, 2].map((i) => [[164, designY(126 + 32 * i)], [2, 4, 6][i]]);
const PASS_BOX = [135, designY(260)];          // orange for a pass, cyan else

const BRANDEL_TITLE_BAR = [100, designY(20)];  // 10
const BRANDEL_FIRST_CELL = [141, designY(70)];
const KEY_5 = [243, designY(173)];
const KEY_F = [235, designY(236)];
const LEFT_SHIFT = [89, designY(268)];
const RIGHT_SHIFT = [499, designY(268)];
const BRANDEL_VERDICT_BOX = [125, designY(260)];  // empty: the course gives no verdict

const SETUP_TITLE = [80, designY(14)];         // the timed test's set-up screen: 14
const LENGTH_ARROW = [514, designY(72)];
const LENGTH_MENU = [501, designY(200)];       // inside the length menu's box
const ONE_MINUTE = [476, designY(103)];
const TRIAL_TITLE = [210, designY(78)];        // the test screen: 10
const letterMark = (position) => [127 + 24 * position, designY(31)];  // over the letter: lit 11, wrong 7
const MISSED_TITLE = [164, designY(24)];       // the missed-key screen: 2
const GRADE_BARS = [0, 1, 2, 3].map((j) => [[164, designY(126 + 32 * j)], [2, 4, 6, 8][j]]);
const RESULT_PANEL = [328, designY(295)];      // orange once the grade is stored

const PROGRESS_BUTTON = [475, designY(360)];   // the launcher's band button of the progress program
const VIEW_BUTTON_1 = [18, designY(350)];      // the progress program: 2 for the view shown
const PROGRESS_EXIT = [558, designY(350)];
const PLOT_CORNER = [72, designY(296)];        // the axes, drawn only over blocks kept

// Shifted characters by their place on a JIS keyboard: code and Windows key code.
const SHIFTED = {
  "!": ["Digit1", 49], "#": ["Digit3", 51], "$": ["Digit4", 52], "%": ["Digit5", 53],
  "&": ["Digit6", 54], "'": ["Digit7", 55], "(": ["Digit8", 56], ")": ["Digit9", 57],
  "=": ["Minus", 189], "+": ["Semicolon", 187], "*": ["Quote", 186], "<": ["Comma", 188],
  ">": ["Period", 190], "?": ["Slash", 191],
};

// Text as a learner types it on a JIS keyboard: Shift held for the shifted
// characters, letters in lower case.
async function typeHoldingShift(tutor, text) {
  for (const ch of text) {
    if (SHIFTED[ch]) {
      await tutor.pressShifted(SHIFTED[ch][0], ch, SHIFTED[ch][1], ch);
    } else {
      await tutor.type(ch.toLowerCase());
    }
  }
}

// The ink of the full-width character at a surface pixel, as one bit a pixel:
// the same for a glyph on any light face.
function ink({width, rgba}, x, y) {
  let bits = "";
  for (let dy = 0; dy < 18; ++dy) {
    for (let dx = 0; dx < 16; ++dx) {
      const i = 4 * ((y + dy) * width + x + dx);
      bits += rgba[i] + rgba[i + 1] + rgba[i + 2] < 384 ? "1" : "0";
    }
  }
  return bits;
}
const distance = (a, b) => [...a].filter((bit, i) => bit !== b[i]).length;
function letterOf(glyph, letters) {
  const [best, next] = Object.entries(letters).map(([l, g]) => [l, distance(glyph, g)]).sort((a, b) => a[1] - b[1]);
  assert.ok(best[1] * 4 < next[1], `no letter reads clearly: ${best} then ${next}`);
  return best[0];
}

async function backAtLauncher(tutor) {
  await tutor.waitForPixels([[MENU_ENTRY_1, 2]]);
  assert.deepEqual(tutor.errors, []);
}

async function keyGroupStep(tutor, lines) {
  await tutor.waitForPixels([[KEY_GROUP_TITLE_BAR, 13], [HOME_CAP, 11]]);
  await tutor.type("x");
  await tutor.waitForPixels([[HOME_CAP, 0]]);
  await tutor.type(lines);
  await tutor.waitForPixels([...RESULT_BARS, [PASS_BOX, 10]], 30000);
  await tutor.key("Enter");
}

// One timed test of one minute: a wrong key starts the clock, then the
// letters of the first line are typed as read from the screen when `letters`
// are known; the clock is moved past the minute. Returns the glyphs of A-Z
// as the missed-key screen shows them.
async function timedTest(tutor, letters) {
  await tutor.key("F6");
  await tutor.waitForPixels([[SETUP_TITLE, 14], [LENGTH_MENU, 0]]);
  await tutor.click(...LENGTH_ARROW);
  await tutor.waitForPixels([[LENGTH_MENU, 14]]);
  await tutor.click(...ONE_MINUTE);
  await tutor.waitForPixels([[LENGTH_MENU, 0]]);
  await tutor.key("Enter");
  await tutor.waitForPixels([[TRIAL_TITLE, 10], [letterMark(1), 11]]);
  await tutor.type("1");  // no letter: wrong, and the clock starts
  await tutor.waitForPixels([[letterMark(1), 7]]);
  if (letters) {
    const screen = await tutor.canvasPixels();
    const lineNumber = ink(screen, 96, 36);
    const line = Array.from({length: 20}, (_, k) => letterOf(ink(screen, 8 * (18 + 3 * k), 36), letters));
    await tutor.type(line.join("").toLowerCase());
    // All 20 judged right: the second line is drawn.
    for (let tries = 0; ink(await tutor.canvasPixels(), 96, 36) === lineNumber; ++tries) {
      assert.ok(tries < 400, "the second line never came");
      await new Promise((r) => setTimeout(r, 25));
    }
    await tutor.waitForPixels([[letterMark(1), 11], [letterMark(20), 14]]);
  }
  await tutor.page.evaluate(() => { window.__clockShift += 61000; });
  await tutor.waitForPixels([[MISSED_TITLE, 2]]);
  const screen = await tutor.canvasPixels();
  const glyphs = {};
  for (let n = 1; n <= 26; ++n) {
    const col = Math.floor((n - 1) / 7);
    const row = (n - 1) % 7 + 1;
    glyphs[String.fromCharCode(64 + n)] = ink(screen, 8 * (13 + 15 * col), 18 * (3 + 2 * row));
  }
  await tutor.key("Enter");
  await tutor.waitForPixels([...GRADE_BARS, [RESULT_PANEL, 10]]);
  return glyphs;
}

// The screen once over: 640x450 canvas pixels, one to a surface pixel.
const web = servedInChromium({width: 700, height: 500});

test("the number-row, symbol, shift-key and timed-test programs store their records and the progress program shows them", async () => {
  const tutor = await Tutor.open(web.chromium, web.server.url);
  // The page's clocks, as the module reads them, can be moved on.
  await tutor.page.evaluateOnNewDocument(() => {
    window.__clockShift = 0;
    const now = performance.now.bind(performance);
    performance.now = () => now() + window.__clockShift;
    const dateNow = Date.now.bind(Date);
    Date.now = () => dateNow() + window.__clockShift;
  });
  await tutor.reload();
  await tutor.waitForPixels([[MENU_ENTRY_1, 2]]);

  // The number-row course: four steps, the record written after the last.
  await tutor.key("F7");
  for (const step of ["kQuillonStep1", "kQuillonStep2", "kQuillonStep3", "kQuillonStep4"]) {
    assert.equal(await tutor.record("SUU.TXT"), "未 達 成", `SUU.TXT changed before ${step} was passed`);
    await keyGroupStep(tutor, drillLines("keygroups/material.h", step));
  }
  await backAtLauncher(tutor);
  assert.equal(await tutor.record("SUU.TXT"), "クリアー");

  // The symbol course: one step.
  await tutor.key("F8");
  await keyGroupStep(tutor, drillLines("keygroups/material.h", "kTesmarLines"));
  await backAtLauncher(tutor);
  assert.equal(await tutor.record("KIGO.TXT"), "クリアー");

  // The shift-key course: the Shift key to hold is lit with the key.
  assert.equal(await tutor.record("SFT.TXT"), "0");
  await tutor.key("F9");
  await tutor.waitForPixels([[BRANDEL_TITLE_BAR, 10], [HOME_CAP, 11]]);
  await tutor.type("x");
  await tutor.waitForPixels([[HOME_CAP, 0], [BRANDEL_FIRST_CELL, 11], [KEY_5, 11], [RIGHT_SHIFT, 11], [LEFT_SHIFT, 14]]);
  const shifted = drillLines("shift/drill_lines.h", "kBrandelLines");
  await typeHoldingShift(tutor, shifted[0]);  // "%": "F" is next, with no Shift
  await tutor.waitForPixels([[KEY_5, 14], [KEY_F, 11], [RIGHT_SHIFT, 14], [LEFT_SHIFT, 14]]);
  await typeHoldingShift(tutor, shifted.slice(1));
  await tutor.waitForPixels([...RESULT_BARS, [BRANDEL_VERDICT_BOX, 0]], 30000);
  const best = await tutor.record("SFT.TXT");
  assert.ok(Number(best) > 0, `SFT.TXT holds ${best}`);
  await tutor.key("Enter");
  await backAtLauncher(tutor);
  assert.equal(await tutor.record("SFT.TXT"), best, "the launcher changed SFT.TXT");

  // The timed test twice: nothing typed right earns 10級 (grade 2); 20
  // letters right and one wrong, 19, earn ９級 (grade 3).
  assert.equal(await tutor.record("RANK.TXT"), "1");
  const letters = await timedTest(tutor);
  assert.equal(await tutor.record("RANK.TXT"), "2");
  await tutor.key("Enter");
  await backAtLauncher(tutor);
  await timedTest(tutor, letters);
  assert.equal(await tutor.record("RANK.TXT"), "3");
  await tutor.click(320, 225);
  await backAtLauncher(tutor);

  // The progress program, double-clicked, draws its charts over the blocks kept.
  await tutor.click(...PROGRESS_BUTTON);
  await tutor.click(...PROGRESS_BUTTON);
  await tutor.waitForPixels([[VIEW_BUTTON_1, 2], [PROGRESS_EXIT, 4], [PLOT_CORNER, 7]]);
  await tutor.key("ArrowRight");  // the timed tests
  await tutor.waitForPixels([[VIEW_BUTTON_1, 14], [PLOT_CORNER, 7]]);
  await tutor.key("Escape");
  await backAtLauncher(tutor);

  // Every block in the history, with what its result screen showed.
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), "velmora-csv-"));
  const csv = fs.readFileSync(await tutor.download("#csv", folder), "utf8");
  fs.rmSync(folder, {recursive: true, force: true});
  const rows = csv.replace(/^\ufeff/, "").trim().split(/\r\n/).map((line) => line.split(","));
  assert.deepEqual(rows[0], ["ended_at", "program", "step", "seconds", "right", "wrong", "evaluation", "result", "lesson", "input"]);
  const kept = rows.slice(1);
  assert.deepEqual(kept.map(([, program, step, , right, wrong, , result]) => [program, step, right, wrong, result]), [
    ["Quillon", "1", "400", "0", "pass"], ["Quillon", "2", "400", "0", "pass"], ["Quillon", "3", "400", "0", "pass"],
    ["Quillon", "4", "400", "0", "pass"], ["Tesmar", "1", "400", "0", "pass"], ["Brandel", "1", "400", "0", "new best"],
    ["Zarbet", "1", "0", "1", "10級"], ["Zarbet", "1", "20", "1", "９級"],
  ], csv);
  assert.equal(Number(kept[5][6]), Number(best), "the shift-key block's evaluation is not SFT.TXT's");
  // The timed tests: one minute each, evaluated 0 and 20 - 1.
  assert.deepEqual(kept.slice(6).map((row) => [row[3], row[6]]), [["60", "0"], ["60", "19"]]);
  assert.deepEqual(tutor.errors, []);
  await tutor.page.close();
});
