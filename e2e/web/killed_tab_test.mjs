// A tab killed at random moments while the record clearing replaces the
// records: every time the page comes back, the records are whole and all
// old or all new, never a mix, and the page starts.
import assert from "node:assert/strict";
import {test} from "node:test";

import {MENU_ENTRY_1, Tutor, servedInChromium} from "./harness.mjs";

const KILLS = Number(process.env.VELMORA_WEB_KILLS || 100);
const OLD = {"step.TXT": "3", "RANK.TXT": "5", "SFT.TXT": "2"};
const NEW = {"step.TXT": "1", "RANK.TXT": "1", "SFT.TXT": "0"};

const web = servedInChromium();

// A small generator of our own, so that a failing run can be repeated.
function random(seed) {
  let x = seed >>> 0 || 1;
  return () => {
    x ^= x << 13; x >>>= 0; x ^= x >>> 17; x ^= x << 5; x >>>= 0;
    return x / 2 ** 32;
  };
}

test(`the records stay whole through ${KILLS} tabs killed while they are replaced`, async () => {
  const next = random(Number(process.env.VELMORA_WEB_SEED || 20261208));
  const seen = {old: 0, new: 0};
  for (let kill = 0; kill <= KILLS; ++kill) {
    const tutor = await Tutor.open(web.chromium, web.server.url);
    await tutor.waitForPixels([[MENU_ENTRY_1, 2]]);
    const now = {};
    for (const name of Object.keys(OLD)) { now[name] = await tutor.record(name); }
    if (kill > 0) {
      const which = JSON.stringify(now) === JSON.stringify(OLD) ? "old" : JSON.stringify(now) === JSON.stringify(NEW) ? "new" : "";
      assert.ok(which, `after kill ${kill} the records are ${JSON.stringify(now)}, neither all old nor all new`);
      ++seen[which];
    }
    if (kill === KILLS) { await tutor.page.close(); break; }
    // The old records stored, then cleared while the tab is killed.
    for (const [name, value] of Object.entries(OLD)) { await tutor.writeFile("M0/data/" + name, value + "\n"); }
    await tutor.page.evaluate(() => new Promise((resolve) => FS.syncfs(false, resolve)));
    await tutor.key("F10");
    await tutor.key("ArrowRight");
    await tutor.key("Enter");
    // Most kills early, while the records are being replaced (a few tens of
    // milliseconds), the rest up to well after.
    await new Promise((r) => setTimeout(r, Math.floor(next() ** 2 * 600)));
    tutor.cdp.send("Page.crash").catch(() => {});
    await tutor.page.close().catch(() => {});
  }
  // Killed both before and after the records were replaced.
  assert.ok(seen.old > 0 && seen.new > 0, `all old ${seen.old} times, all new ${seen.new} times`);
});
