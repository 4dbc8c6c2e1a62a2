// The bar's files: the learner's tree saved as a .zip and read back (after
// a question), a damaged or foreign file refused with nothing replaced, own
// lessons added from .txt files, and the history as CSV for a spreadsheet.
import assert from "node:assert/strict";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import {after, before, test} from "node:test";

import {MENU_ENTRY_1, Tutor, browser, serve} from "./harness.mjs";

let server;
let chromium;
let downloads;
before(async () => {
  server = await serve();
  chromium = await browser();
  downloads = fs.mkdtempSync(path.join(os.tmpdir(), "velmora-downloads-"));
});
after(async () => {
  await chromium?.close();
  await server?.stop();
  fs.rmSync(downloads, {recursive: true, force: true});
});

async function choose(tutor, button, files) {
  const [chooser] = await Promise.all([tutor.page.waitForFileChooser(), tutor.page.click(button)]);
  await chooser.accept(files);
}

const statusText = (tutor) => tutor.page.$eval("#status", (e) => e.textContent);

test("records saved as a zip come back after a question; a damaged or foreign zip replaces nothing", async () => {
  const tutor = await Tutor.open(chromium, server.url);
  await tutor.waitForPixels([[MENU_ENTRY_1, 2]]);
  const lesson = path.join(downloads, "うみ.txt");
  fs.writeFileSync(lesson, "海\tうみ\n");
  await choose(tutor, "#lessons", [lesson]);
  await tutor.page.waitForFunction(() => document.getElementById("status").textContent.includes("うみ.txt"));
  assert.equal(await tutor.file("M0/lessons/うみ.txt"), "海\tうみ\n");
  await tutor.writeFile("M0/data/step.TXT", "4\n");

  const saved = await tutor.download("#save", downloads);
  assert.match(path.basename(saved), /^velmora-records-\d{8}\.zip$/);
  const zip = fs.readFileSync(saved);
  assert.ok(zip.includes(Buffer.from("M0/data/step.TXT")) && zip.includes(Buffer.from("M0/lessons/うみ.txt")));

  // Changed since: the saved records come back, once the question is answered.
  await tutor.writeFile("M0/data/step.TXT", "2\n");
  const questions = [];
  tutor.page.once("dialog", (d) => { questions.push(d.message()); d.accept(); });
  await Promise.all([tutor.page.waitForNavigation(), choose(tutor, "#load", [saved])]);
  await tutor.ready();
  assert.match(questions[0], /置きかえます/);
  assert.equal(await tutor.record("step.TXT"), "4");
  assert.equal(await tutor.file("M0/lessons/うみ.txt"), "海\tうみ\n");

  // A byte of a record changed: its check fails, and no question is asked.
  const damaged = path.join(downloads, "damaged.zip");
  const bytes = Buffer.from(zip);
  bytes[bytes.indexOf(Buffer.from("M0/data/step.TXT")) + "M0/data/step.TXT".length] ^= 0x01;
  fs.writeFileSync(damaged, bytes);
  tutor.page.once("dialog", (d) => { questions.push(d.message()); d.dismiss(); });
  await choose(tutor, "#load", [damaged]);
  await tutor.page.waitForFunction(() => document.getElementById("status").textContent.includes("なにも置きかえていません"));
  // A zip of something else.
  const foreign = path.join(downloads, "foreign.zip");
  fs.writeFileSync(foreign, Buffer.from(zip.toString("latin1").replaceAll("M0/data/SFT.TXT", "../../etc/xxxxx"), "latin1"));
  await choose(tutor, "#load", [foreign]);
  await tutor.page.waitForFunction(() => document.getElementById("status").textContent.includes("記録のファイルではありません"));
  assert.equal(questions.length, 1, "a refused file asked the question");
  assert.equal(await tutor.record("step.TXT"), "4");
  assert.ok((await statusText(tutor)).includes("なにも置きかえていません"));

  await tutor.page.click("#csv");  // no block typed yet
  await tutor.page.waitForFunction(() => document.getElementById("status").textContent.includes("まだ練習の記録がありません"));
  assert.deepEqual(tutor.errors, []);
  await tutor.page.close();
});
