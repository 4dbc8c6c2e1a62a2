// The page's font is cut to the built-in texts; an own lesson's characters
// outside it bring the whole font, fetched once and then drawn.
import assert from "node:assert/strict";
import {test} from "node:test";

import {HOME_CAP, MENU_ENTRY_1, TITLE_BAR, Tutor, designY, servedInChromium} from "./harness.mjs";

// 檸檬 is in none of the built-in texts, so not in the cut.
const LESSON = "檸檬\tれもん\n";
const MENU_FIRST = [40, designY(66)];
const COUNTER = [244, designY(352)];
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
  await tutor.key("k");
  await tutor.waitForPixels([[MENU_FIRST, 2]]);
  await tutor.key("ArrowUp");
  await tutor.key("ArrowUp");  // round to the last page: the own lesson
  await tutor.waitForPixels([[MENU_FIRST, 2]]);
  await tutor.key("Enter");
  await tutor.waitForPixels([[TITLE_BAR, 12], [HOME_CAP, 11]]);
  await tutor.type("x");
  await tutor.waitForPixels([[TITLE_BAR, 12], [COUNTER, 2]]);
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
  await tutor.waitForPixels([[MENU_FIRST, 2]]);
  assert.equal(fetchedWholeFont(), 1);
  assert.deepEqual(tutor.errors, []);
  await tutor.page.close();
});
