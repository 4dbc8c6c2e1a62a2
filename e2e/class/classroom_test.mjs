// A class in the browser: learners sign in at the class's service, their
// blocks and records go to the class server and come back on the next
// sign-in, the next learner on the same browser finds nothing of them, and
// the teacher's page follows the class as it practises.
import assert from "node:assert/strict";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import {test} from "node:test";

import {WORD_MENU_FIRST, browser, designY} from "../web/harness.mjs";
import {classroom, eventually, signIn, signInToTutor, startService} from "./class_harness.mjs";

const room = classroom();
const LESSON_FILE = "M0/lessons/あお.txt";
const LESSON = "あおい\n";
const PASS_BOX = [102, designY(254)];

/** The own lesson passed in romaji, back at the word course's menu. */
async function passOwnLesson(tutor) {
  if ((await tutor.file(LESSON_FILE)) === null) { await tutor.writeFile(LESSON_FILE, LESSON); }
  await tutor.startOwnLesson();
  await tutor.type("aoi");
  await tutor.waitForPixels([[PASS_BOX, 3]], 30000);
  await tutor.key("Enter");
  await tutor.waitForPixels([[WORD_MENU_FIRST, 2]]);
}

const fileOnServer = (who, path) => {
  const rows = room.server.sql(`SELECT translate(encode(content, 'base64'), E'\\n', '') FROM learner_files
    WHERE learner = '${room.server.logins[who].role}' AND path = '${path}'`);
  return rows.length ? Buffer.from(rows[0][0], "base64").toString("utf8") : null;
};

async function signOut(tutor) {
  await Promise.all([tutor.page.waitForNavigation(), tutor.page.click("#sign-out")]);
  assert.ok(tutor.page.url().endsWith("/?out=1"), `signed out to ${tutor.page.url()}`);
  assert.deepEqual(tutor.errors, []);
  await tutor.page.close();
}

test("a learner's block and records reach the class server and follow the learner, and the next learner finds none of them", async () => {
  const hanako = await signInToTutor(room.chromium, room.server, room.service.url, "5-2/hanako");
  await passOwnLesson(hanako);
  await eventually(() => room.server.blocksOf("5-2/hanako").length === 1, "hanako's block on the server");
  assert.equal(room.server.blocksOf("5-2/hanako")[0][1], "あお.txt", "the block's lesson");
  await eventually(() => (fileOnServer("5-2/hanako", "M0/data/KOTOBA.TXT") || "").includes("f:"), "the pass on the server");
  assert.equal(fileOnServer("5-2/hanako", LESSON_FILE), LESSON, "the own lesson is not on the server");
  await signOut(hanako);

  // The same browser, the next learner: nothing of hanako's is left in it.
  const taro = await signInToTutor(room.chromium, room.server, room.service.url, "5-2/taro");
  assert.equal(await taro.file(LESSON_FILE), null, "hanako's own lesson is still in the browser");
  assert.ok(!((await taro.record("KOTOBA.TXT")) || "").includes("f:"), "hanako's pass is still in the browser");
  const kept = await taro.page.evaluate(() => ({
    held: localStorage.getItem("velmora.held"),
    pending: localStorage.getItem("velmora.pending"),
    outbox: window.VelmoraClass.outbox(),
    history: FS.analyzePath("/velmora/M0/data/progress.sqlite3").exists,
  }));
  assert.deepEqual(kept, {held: room.server.logins["5-2/taro"].role, pending: "{}", outbox: 0, history: false});
  await signOut(taro);

  // Back on any browser, hanako finds its lesson and its pass again.
  const elsewhere = await browser();
  try {
    const again = await signInToTutor(elsewhere, room.server, room.service.url, "5-2/hanako");
    assert.equal(await again.file(LESSON_FILE), LESSON);
    assert.ok((await again.record("KOTOBA.TXT")).includes("f:"), "the pass did not follow the learner");
    await signOut(again);
  } finally {
    await elsewhere.close();
  }
  assert.equal(room.server.blocksOf("5-2/taro").length, 0);
});

test("the teacher's page shows a new block within five seconds, and no class it does not teach", async () => {
  const desk = await browser();
  try {
    const {page, errors} = await signIn(desk, room.server, room.service.url, "5-2/suzuki");
    assert.ok(page.url().endsWith("/class/5-2"), `the teacher landed at ${page.url()}`);
    assert.ok((await page.content()).includes("hanako"), "the class's learners are not on the page");
    const updates = await page.evaluate(() => window.velmoraUpdated || 0);

    const hanako = await signInToTutor(room.chromium, room.server, room.service.url, "5-2/hanako");
    const blocks = room.server.blocksOf("5-2/hanako").length;
    await passOwnLesson(hanako);
    await eventually(() => room.server.blocksOf("5-2/hanako").length === blocks + 1, "the block on the server");
    const arrived = Date.now();
    await eventually(async () => (await page.evaluate(() => window.velmoraUpdated || 0)) > updates,
      "the teacher's page did not follow", 5000);
    console.log(`the teacher's page showed the block ${Date.now() - arrived} ms after the server had it`);
    const csv = await page.evaluate(async () => (await fetch("/class/5-2/report.csv")).text());
    assert.ok(csv.split("\n").some((line) => line.startsWith("hanako,")), `no row of hanako's in ${csv}`);

    // A roster from the teacher's page: the bad one names its rows and adds
    // nobody; the good one's learners get cards whose passwords sign them in.
    const folder = fs.mkdtempSync(path.join(os.tmpdir(), "velmora-roster-"));
    try {
      const roster = async (rows) => {
        const file = path.join(folder, "roster.csv");
        fs.writeFileSync(file, "出席番号,氏名,ログイン名\r\n" + rows.join("\r\n") + "\r\n");
        const cdp = await page.createCDPSession();
        await cdp.send("Browser.setDownloadBehavior", {behavior: "allow", downloadPath: folder});
        await (await page.$("#roster")).uploadFile(file);
        await page.waitForFunction(() => !document.getElementById("roster-result").textContent.includes("…"));
        return page.evaluate(() => document.getElementById("roster-result").textContent);
      };
      assert.match(await roster(["7,山田 花,hanako", "8,川上 光,Bad Name"]), /2行目[\s\S]*3行目/);
      assert.equal(room.server.sql("SELECT count(*) FROM learners WHERE class = '5-2'")[0][0], "2");
      assert.match(await roster(["9,森 ゆう,yuu", "10,<b>林</b>,hayashi"]), /入れました/);
      const cards = await eventually(() => fs.readdirSync(folder).find((f) => f.endsWith("-cards.html")), "the cards");
      const page2 = fs.readFileSync(path.join(folder, cards), "utf8");
      assert.ok(page2.includes("&lt;b&gt;林&lt;/b&gt;") && page2.includes("森 ゆう"), "the cards lack the names");
      const card = /yuu[\s\S]*?<dd class="password">([\s\S]*?)<\/dd>/.exec(page2);
      assert.ok(card, "no password on yuu's card");
      const yuu = await signIn(desk, room.server, room.service.url, "5-2/yuu",
        {password: card[1].replace(/<[^>]*>/g, "").replace(/\s/g, "")});
      assert.ok(yuu.page.url().endsWith("/tutor/"), "the card's password did not sign yuu in");
      await yuu.page.close();
    } finally {
      fs.rmSync(folder, {recursive: true, force: true});
    }

    const other = await page.goto(room.service.url + "class/6-1");
    assert.equal(other.status(), 403, "a teacher saw a class it does not teach");
    assert.deepEqual(errors, []);
    await signOut(hanako);
  } finally {
    await desk.close();
  }
});

test("a block typed while the service is down waits in the page and arrives once it is back, once", async () => {
  const hanako = await signInToTutor(room.chromium, room.server, room.service.url, "5-2/hanako");
  const blocks = room.server.blocksOf("5-2/hanako").length;
  await room.service.stop();
  try {
    await passOwnLesson(hanako);
    await eventually(() => hanako.page.evaluate(() => window.VelmoraClass.outbox() === 1), "the block in the page's outbox");
    assert.equal(room.server.blocksOf("5-2/hanako").length, blocks);
  } finally {
    room.service = await startService(room.server, {port: room.service.port});
  }
  await eventually(() => room.server.blocksOf("5-2/hanako").length === blocks + 1, "the block after the service came back", 30000);
  await eventually(() => hanako.page.evaluate(() => window.VelmoraClass.outbox() === 0), "the page's outbox emptied");
  const [[all, distinct]] = room.server.sql("SELECT count(*), count(DISTINCT uid) FROM blocks");
  assert.equal(all, distinct);
  await signOut(hanako);
});

test("two instances of the service share the sessions: a learner signed in at one goes on at the other", async () => {
  const second = await startService(room.server);
  try {
    const hanako = await signInToTutor(room.chromium, room.server, room.service.url, "5-2/hanako");
    const blocks = room.server.blocksOf("5-2/hanako").length;
    await hanako.page.goto(second.url + "tutor/");
    await hanako.ready();
    // The first instance restarted signs nobody out.
    await room.service.stop();
    room.service = await startService(room.server, {port: room.service.port});
    await passOwnLesson(hanako);
    await eventually(() => room.server.blocksOf("5-2/hanako").length === blocks + 1, "the block through the second instance");
    await hanako.page.goto(room.service.url + "tutor/");
    await hanako.ready();
    assert.ok((await hanako.record("KOTOBA.TXT")).includes("f:"));
    await signOut(hanako);
  } finally {
    await second.stop();
  }
});
