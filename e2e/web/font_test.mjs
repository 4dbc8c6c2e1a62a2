// The page's font is cut to the built-in texts; an own lesson's characters
// outside it bring the whole font, fetched once and then drawn.
import assert from "node:assert/strict";
import {test} from "node:test";

import {MENU_ENTRY_1, Tutor, WORD_MENU_FIRST, servedInChromium} from "./harness.mjs";

// 檸檬 is in none of the built-in texts, so not in the cut.
const LESSON = "檸檬\tれもん\n";
const WHITE = 15;
// The written word, drawn large and centred: columns 36 to 43 of rows 3 and 4.
const WORD_AREA = [];
for (let y = 3 * 18; y < 5 * 18; y += 2) {
  for (let x = 36 * 8; x < 44 * 8; x += 2) { WORD_AREA.push([x, y]); }
}

const web = servedInChromium();
const fetchedWholeFont = () => web.server.requests.filter((r) => r.endsWith("/ipag.ttf")).length;

test("an own lesson's kanji bring the whole font", async () => {
  const tutor = await Tutor.open(web.chromium, web.server.url);
  await tutor.waitForPixels([[MENU_ENTRY_1, 2]]);
  assert.equal(fetchedWholeFont(), 0, "the launcher asked for the whole font");

  await tutor.writeFile("M0/lessons/くだもの.txt", LESSON);
  await tutor.startOwnLesson();
  const deadline = Date.now() + 15000;
  let ink = 0;
  while (Date.now() < deadline && ink < 40) {
    ink = (await tutor.indices(WORD_AREA)).filter((i) => i === WHITE).length;
    await new Promise((r) => setTimeout(r, 50));
  }
  assert.ok(ink >= 40, `檸檬 is not drawn: ${ink} white pixels where it stands`);
  assert.equal(fetchedWholeFont(), 1, "the whole font was not fetched once");

  // The next program goes on with it, not fetching it again.
  await tutor.key("Escape");
  await tutor.waitForPixels([[WORD_MENU_FIRST, 2]]);
  assert.equal(fetchedWholeFont(), 1);
  assert.deepEqual(tutor.errors, []);
  await tutor.page.close();
});
