// What the class's service refuses: a wrong password (never saying which
// field), a name tried too often, a request from another site's page, a
// learner at a teacher's page, another learner's records, bodies and blocks
// no learner's page sends, a session unused for 30 minutes; and plain HTTP
// anywhere but on the machine itself.
import assert from "node:assert/strict";
import {spawnSync} from "node:child_process";
import fs from "node:fs";
import http from "node:http";
import https from "node:https";
import os from "node:os";
import path from "node:path";
import {after, before, test} from "node:test";

import {browser} from "../web/harness.mjs";
import {signIn, startClassServer, startService} from "./class_harness.mjs";

let server;
let service;
before(async () => {
  server = await startClassServer();
  service = await startService(server);
});
after(async () => {
  await service?.stop();
  await server?.stop();
});

const form = (fields) => new URLSearchParams(fields).toString();

/** A request to the service as a program makes it (no Origin unless given). */
function ask(method, where, {cookie = "", body, headers = {}, base = service.url, agent} = {}) {
  const url = new URL(where, base);
  const client = url.protocol === "https:" ? https : http;
  return new Promise((resolve, reject) => {
    const request = client.request(url, {method, agent, headers: {...(cookie ? {Cookie: cookie} : {}), ...headers}}, (response) => {
      const chunks = [];
      response.on("data", (c) => chunks.push(c));
      response.on("end", () => resolve({status: response.statusCode, headers: response.headers,
        text: Buffer.concat(chunks).toString("utf8")}));
    });
    request.on("error", reject);
    request.end(body);
  });
}

async function signInAs(who, password = server.logins[who].password, base = service.url, agent = undefined) {
  const [className, name] = who.split("/");
  const answer = await ask("POST", "/sign-in", {base, agent, body: form({class: className, learner: name, password}),
    headers: {"Content-Type": "application/x-www-form-urlencoded"}});
  const cookie = (answer.headers["set-cookie"] || [""])[0].split(";")[0];
  return {...answer, cookie};
}

async function session(who) {
  const {cookie} = await signInAs(who);
  const me = JSON.parse((await ask("GET", "/api/session", {cookie})).text);
  return {cookie, csrf: me.csrf, headers: {"X-Velmora-Csrf": me.csrf, "Content-Type": "application/json"}};
}

const block = (fields = {}) => ({uid: [...Array(32)].map(() => "0123456789abcdef"[Math.floor(Math.random() * 16)]).join(""),
  ended_at: "2026-12-08T10:00:00+09:00", program: "Kotoba", step: 1, seconds: 40, typed_right: 90, typed_wrong: 3,
  evaluation: "120", result: "pass", lesson: "3", input: "romaji", keys: [], kana: [], ...fields});
const blockCount = () => Number(server.sql("SELECT count(*) FROM blocks")[0][0]);

test("a wrong password or name gets one answer that tells neither, and ten in a minute make the name wait", async () => {
  const wrongPassword = await signInAs("5-2/taro", "not-it");
  const noSuchName = await signInAs("5-2/nobody", "not-it");
  const noSuchClass = await signInAs("9-9/taro", server.logins["5-2/taro"].password);
  for (const refused of [wrongPassword, noSuchName, noSuchClass]) {
    assert.equal(refused.status, 401);
    assert.equal(refused.cookie, "");
    assert.match(refused.text, /どれかが ちがいます/);
  }
  const note = (text) => /<p class="note"[^>]*>([^<]*)</.exec(text)[1];
  assert.equal(note(wrongPassword.text), note(noSuchName.text));

  for (let i = 0; i < 9; i += 1) { assert.equal((await signInAs("5-2/taro", "again-wrong")).status, 401); }
  const slowed = await signInAs("5-2/taro");  // the right password, after ten wrong ones
  assert.equal(slowed.status, 429);
  assert.equal(slowed.cookie, "");
  assert.match(slowed.text, /1分/);
  assert.equal((await signInAs("5-2/hanako")).status, 303, "another name was slowed down too");
  // Typed with the input method on: full-width letters, digits and blanks count as ASCII.
  assert.equal((await signInAs("５－２/ＨＡＮＡＫＯ　", server.logins["5-2/hanako"].password)).status, 303);
});

test("the service's own login reads and writes nothing by itself", () => {
  for (const query of ["SELECT count(*) FROM blocks", "SELECT count(*) FROM learners", "SELECT count(*) FROM learner_files",
    "SELECT count(*) FROM web_sessions", "SELECT * FROM open_web_session()",
    "INSERT INTO learner_files(path, content) VALUES ('M0/data/step.TXT', '6')"]) {
    assert.throws(() => server.sql(query, "web"), /permission denied/, query);
  }
  // Only a teacher of the class adds learners to it; a learner adds none.
  assert.throws(() => server.sql("SET ROLE sato; SELECT * FROM add_learners_taught('5-2', '{mallory}')", "web"),
    /only a teacher of the class/);
  assert.throws(() => server.sql(`SET ROLE ${server.logins["5-2/taro"].role};
    SELECT * FROM add_learners_taught('5-2', '{mallory}')`, "web"), /permission denied/);
  assert.equal(server.sql("SELECT count(*) FROM learners WHERE name = 'mallory'")[0][0], "0");
  // Its NOINHERIT membership gives nothing until it becomes the learner.
  assert.deepEqual(server.sql(`SET ROLE ${server.logins["5-2/hanako"].role}; SELECT count(*) FROM learner_files`, "web"), [["0"]]);
});

test("a learner's session acts for that learner alone, and never at a teacher's page", async () => {
  const hanako = await session("5-2/hanako");
  const jiro = await session("6-1/jiro");
  const put = (s, content) => ask("PUT", "/api/files?path=M0/data/SFT.TXT&base=0", {cookie: s.cookie, body: content,
    headers: {"X-Velmora-Csrf": s.csrf}});
  assert.equal((await put(hanako, "321.5\n")).status, 200);
  assert.equal((await put(jiro, "12\n")).status, 200);
  const files = JSON.parse((await ask("GET", "/api/files", {cookie: jiro.cookie})).text).files;
  assert.deepEqual(files.map((f) => [f.path, Buffer.from(f.content, "base64").toString()]), [["M0/data/SFT.TXT", "12\n"]]);
  // The better of two records wins where two computers changed it apart.
  assert.equal((await put(hanako, "100\n")).text, "321.5\n");

  const before = blockCount();
  const forged = await ask("POST", "/api/blocks", {cookie: jiro.cookie, headers: jiro.headers,
    body: JSON.stringify([block({learner: server.logins["5-2/hanako"].role})])});
  assert.equal(forged.status, 400);
  assert.match(forged.text, /learner/);
  const borrowed = await ask("POST", "/api/blocks", {cookie: jiro.cookie, headers: hanako.headers, body: JSON.stringify([block()])});
  assert.equal(borrowed.status, 403, "another session's token was taken");
  assert.equal(blockCount(), before);

  for (const page of ["/class/5-2", "/class/6-1", "/class/5-2/report.csv", "/class/5-2/state"]) {
    assert.equal((await ask("GET", page, {cookie: hanako.cookie})).status, 403, `a learner read ${page}`);
  }
  assert.equal((await ask("GET", "/class/5-2", {cookie: ""})).status, 303, "no sign-in, and no way to the sign-in page");
});

test("blocks no learner's page sends are refused whole, and nothing else is disturbed", async () => {
  const taro = await session("5-2/hanako");
  const send = (body, headers = taro.headers) => ask("POST", "/api/blocks", {cookie: taro.cookie, headers, body});
  const before = blockCount();
  const good = block();
  const refused = [
    ["malformed JSON", "[{\"uid\":"],
    ["not a list", JSON.stringify(block())],
    ["an unknown field", JSON.stringify([good, block({score: 5})])],
    ["a count that cannot be", JSON.stringify([good, block({typed_right: -4})])],
    ["seconds past a day", JSON.stringify([good, block({seconds: 90000})])],
    ["a date that does not exist", JSON.stringify([good, block({ended_at: "2026-02-30T10:00:00+09:00"})])],
    ["a date of the last century", JSON.stringify([good, block({ended_at: "1999-12-31T10:00:00+09:00"})])],
    ["a date next week", JSON.stringify([good, block({ended_at: new Date(Date.now() + 7 * 86400e3).toISOString()})])],
    ["a missing field", JSON.stringify([(({evaluation, ...rest}) => rest)(block())])],
  ];
  for (const [what, body] of refused) {
    const answer = await send(body);
    assert.equal(answer.status, 400, `${what}: ${answer.status} ${answer.text}`);
    assert.ok(JSON.parse(answer.text).error, `${what}: no reason given`);
  }
  const big = await send(JSON.stringify([block({lesson: "x".repeat(3 << 20)})]));
  assert.equal(big.status, 413);
  assert.equal((await send(JSON.stringify([good]), {...taro.headers, "Content-Type": "text/plain"})).status, 415);
  assert.equal(blockCount(), before, "a refused request kept a block");
  assert.equal(JSON.parse((await send(JSON.stringify([good]))).text).kept, 1);
  assert.equal(JSON.parse((await send(JSON.stringify([good]))).text).kept, 0, "a block sent twice was kept twice");
});

test("a page of another site cannot send, sign out or sign in, though the browser holds the cookie", async () => {
  const chromium = await browser();
  const evil = http.createServer((req, res) => {
    res.writeHead(200, {"Content-Type": "text/html"}).end(`<!DOCTYPE html><body>
      <form id="out" method="post" action="${service.url}sign-out"><input name="csrf" value="guess"></form>
      <form id="in" method="post" action="${service.url}sign-in"><input name="class" value="5-2">
        <input name="learner" value="taro"><input name="password" value="${server.logins["5-2/taro"].password}"></form></body>`);
  });
  await new Promise((r) => evil.listen(0, "127.0.0.1", r));
  try {
    const {page} = await signIn(chromium, server, service.url, "5-2/suzuki");
    const before = blockCount();
    const other = await chromium.browser.newPage();
    await other.goto(`http://127.0.0.1:${evil.address().port}/`);
    const sent = await other.evaluate(async (url, body) => {
      try {
        const r = await fetch(url + "api/blocks", {method: "POST", credentials: "include", mode: "no-cors",
          headers: {"Content-Type": "text/plain"}, body});
        return r.type;
      } catch (e) { return "refused"; }
    }, service.url, JSON.stringify([block()]));
    assert.ok(sent === "opaque" || sent === "refused", sent);
    for (const [formId, wanted] of [["out", "/sign-out"], ["in", "/sign-in"]]) {
      const tab = await chromium.browser.newPage();
      await tab.goto(`http://127.0.0.1:${evil.address().port}/`);
      const [answer] = await Promise.all([tab.waitForResponse((r) => r.url().endsWith(wanted)),
        tab.evaluate((id) => document.getElementById(id).submit(), formId)]);
      assert.equal(answer.status(), 403, `${wanted} was taken from another site's page`);
      assert.equal(answer.headers()["set-cookie"], undefined, `${wanted} from another site set a cookie`);
      await tab.close();
    }
    assert.equal(blockCount(), before);
    // The teacher is still signed in.
    assert.equal((await page.goto(service.url + "class/5-2")).status(), 200);
  } finally {
    await chromium.close();
    await new Promise((r) => evil.close(r));
  }
});

test("sign-out and 30 minutes unused end a session, and a restart of the service ends none", async () => {
  const out = await session("5-2/hanako");
  assert.equal((await ask("POST", "/sign-out", {cookie: out.cookie, headers: out.headers})).status, 204);
  assert.equal((await ask("GET", "/api/session", {cookie: out.cookie})).status, 401);

  const kept = await session("5-2/hanako");
  await service.stop();
  service = await startService(server, {port: service.port});
  assert.equal((await ask("GET", "/api/session", {cookie: kept.cookie})).status, 200);
  server.sql(`UPDATE web_sessions SET seen_at = now() - interval '31 minutes'
              WHERE role = '${server.logins["5-2/hanako"].role}'`);
  assert.equal((await ask("GET", "/api/session", {cookie: kept.cookie})).status, 401);
  assert.equal(server.sql("SELECT count(*) FROM web_sessions WHERE csrf = '" + kept.csrf + "'")[0][0], "1",
    "the session's row went before its time");
});

test("plain HTTP is refused beyond the machine; with a certificate the service speaks HTTPS and its cookie is Secure", async () => {
  await assert.rejects(startService(server, {listen: "0.0.0.0"}), /before its first line/);
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), "velmora-tls-"));
  try {
    const made = spawnSync("openssl", ["req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1",
      "-keyout", path.join(folder, "key.pem"), "-out", path.join(folder, "cert.pem")], {encoding: "utf8"});
    assert.equal(made.status, 0, made.stderr);
    const secure = await startService(server, {extra: ["--cert", path.join(folder, "cert.pem"), "--key", path.join(folder, "key.pem")]});
    try {
      assert.ok(secure.url.startsWith("https://"));
      const agent = new https.Agent({rejectUnauthorized: false});
      const answer = await signInAs("5-2/hanako", server.logins["5-2/hanako"].password, secure.url, agent);
      assert.equal(answer.status, 303);
      assert.match(answer.headers["set-cookie"][0], /; HttpOnly; Secure/);
      assert.match(answer.headers["set-cookie"][0], /SameSite=Strict/);
    } finally {
      await secure.stop();
    }
  } finally {
    fs.rmSync(folder, {recursive: true, force: true});
  }
});
