// Once loaded, the page works with the network gone, and says which version
// it runs.
import assert from "node:assert/strict";
import fs from "node:fs";
import path from "node:path";
import {test} from "node:test";

import {MENU_ENTRY_1, Tutor, webDir, servedInChromium} from "./harness.mjs";

const web = servedInChromium();

test("the page starts again offline from what its service worker kept", async () => {
  const tutor = await Tutor.open(web.chromium, web.server.url);
  await tutor.page.evaluate(() => navigator.serviceWorker.ready);
  const version = fs.readFileSync(path.join(webDir, "version.txt"), "utf8").trim();
  await tutor.page.waitForFunction((v) => document.getElementById("version").textContent.includes(v), {}, version);

  await web.server.stop();  // the server gone as well as the network
  await tutor.page.setOfflineMode(true);
  await tutor.reload();
  await tutor.waitForPixels([[MENU_ENTRY_1, 2]]);
  await tutor.page.waitForFunction((v) => document.getElementById("version").textContent.includes(v), {}, version);
  assert.deepEqual(tutor.errors, []);
  await tutor.page.close();
});
