// The web edition as a learner meets it: the launcher, a lesson typed with
// real key events through to the hand-over, the records in the browser
// across a reload, and the back button.
import assert from "node:assert/strict";
import {test} from "node:test";

import {HOME_CAP, MENU_ENTRY_1, TITLE_BAR, Tutor, designY, drillLines, servedInChromium} from "./harness.mjs";

const RESULTS = [320, 225];
const OSTRIN_PASS_BOX = [122, designY(254)];
const RESULT_BARS = [0, 1, 2].map((i) => [[164, designY(126 + 32 * i)], [2, 4, 6][i]]);
const FIRST_CELL = [143, designY(61)];

const web = servedInChromium();

test("a lesson passed in the page is handed over and its record outlives a reload", async () => {
  const tutor = await Tutor.open(web.chromium, web.server.url);
  await tutor.waitForPixels([[MENU_ENTRY_1, 2]]);
  assert.equal(await tutor.record("step.TXT"), "1", "a new learner starts at stage 1");

  await tutor.key("F1");
  await tutor.waitForPixels([[TITLE_BAR, 14], [HOME_CAP, 11]]);
  await tutor.type("x");
  await tutor.waitForPixels([[FIRST_CELL, 11]]);
  await tutor.type(drillLines("course/material.h", "kOstrinLines", 30));
  await tutor.waitForPixels([...RESULT_BARS, [OSTRIN_PASS_BOX, 3]], 30000);
  assert.equal(await tutor.record("step.TXT"), "1", "step.TXT changed before the click");
  await tutor.click(...RESULTS);
  // The next stage on the same canvas, the record stored first.
  await tutor.waitForPixels([[TITLE_BAR, 13], [HOME_CAP, 11]]);
  assert.equal(await tutor.record("step.TXT"), "2");

  // Back leaves the stage for the launcher, not the page.
  await tutor.page.goBack();
  await tutor.waitForPixels([[MENU_ENTRY_1, 2]]);
  assert.match(tutor.page.url(), new RegExp(`^${web.server.url}`));

  await tutor.reload();
  await tutor.waitForPixels([[MENU_ENTRY_1, 2]]);
  assert.equal(await tutor.record("step.TXT"), "2", "the record was lost with the reload");
  // Keys the browser would take to go back, open its help or reload the page
  // are kept from it.
  await tutor.page.evaluate(() => {
    window.keptFromBrowser = {};
    window.addEventListener("keydown", (e) => { window.keptFromBrowser[e.code] = e.defaultPrevented; });
  });
  for (const key of ["Backspace", "F1", "F5"]) { await tutor.key(key); }
  assert.deepEqual(await tutor.page.evaluate(() => window.keptFromBrowser), {Backspace: true, F1: true, F5: true});

  assert.ok(!web.server.requests.some((r) => r.endsWith("/ipag.ttf")),
            "a built-in text needed a character the page's font was cut without");
  assert.deepEqual(tutor.errors, []);
  await tutor.page.close();
});
