// Kana input in the page by the keys' places (KeyboardEvent.code), the JIS
// keys ろ (IntlRo) and ¥ (IntlYen) among them: an own lesson typed with no
// wrong keystroke passes, and the input chosen is kept across a reload.
import assert from "node:assert/strict";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import {test} from "node:test";

import {Tutor, WORD_MENU_FIRST, designY, servedInChromium} from "./harness.mjs";

const LESSON = "廊下\tろうか\nコーヒー\nがっこう、ぱん。\n";
// ろ う か, こ ー ひ ー, か ゛ っ こ う 、 は ゜ ん 。 by place: code, the key a
// JIS map gives, its Windows key code, Shift held.
const STROKES = [
  ["IntlRo", "\\", 226, false], ["Digit4", "4", 52, false], ["KeyT", "t", 84, false],
  ["KeyB", "b", 66, false], ["IntlYen", "\\", 220, false], ["KeyV", "v", 86, false], ["IntlYen", "\\", 220, false],
  ["KeyT", "t", 84, false], ["BracketLeft", "@", 192, false], ["KeyZ", "Z", 90, true], ["KeyB", "b", 66, false],
  ["Digit4", "4", 52, false], ["Comma", "<", 188, true],
  ["KeyF", "f", 70, false], ["BracketRight", "[", 219, false], ["KeyY", "y", 89, false], ["Period", ">", 190, true],
];
const INPUT_BOX = [362, designY(352)];
const RO_KEY = [468, designY(269)];
const PASS_BOX = [102, designY(254)];

const web = servedInChromium();

test("an own lesson typed in kana input by key places passes, and kana input is kept", async () => {
  const tutor = await Tutor.open(web.chromium, web.server.url);
  await tutor.writeFile("M0/lessons/かな.txt", LESSON);
  await tutor.startOwnLesson({kana: true, menuShows: [[INPUT_BOX, 9]], drillShows: [[RO_KEY, 13]]});
  for (const [code, key, keyCode, shift] of STROKES) {
    if (shift) {
      await tutor.pressShifted(code, key, keyCode, key);
    } else {
      await tutor.press(code, key, keyCode, key);
    }
  }
  await tutor.waitForPixels([[PASS_BOX, 3]], 30000);
  await tutor.key("Enter");
  await tutor.waitForPixels([[WORD_MENU_FIRST, 2]]);
  const settings = await tutor.file("config/velmora/kotoba.conf");
  assert.ok(settings && settings.split("\n").includes("input=kana"), `kotoba.conf holds ${settings}`);

  // The block in the history, as CSV for a spreadsheet.
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), "velmora-csv-"));
  const csv = fs.readFileSync(await tutor.download("#csv", folder), "utf8");
  fs.rmSync(folder, {recursive: true, force: true});
  assert.ok(csv.startsWith("\ufeff"), "no byte-order mark for a spreadsheet");
  assert.equal(csv.trim().split(/\r?\n/).length, 2, `not a header and one block: ${csv}`);
  assert.ok(csv.includes("かな.txt") && csv.includes("kana"), `the block is not in the CSV: ${csv}`);

  await tutor.reload();
  assert.equal(await tutor.file("config/velmora/kotoba.conf"), settings, "the setting was lost with the reload");
  assert.equal(await tutor.file("M0/lessons/かな.txt"), LESSON, "the own lesson was lost with the reload");
  assert.deepEqual(tutor.errors, []);
  await tutor.page.close();
});
