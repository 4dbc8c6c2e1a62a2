// The class's web service for real: a PostgreSQL cluster of the test's own
// (two classes, their learners and teachers, the service's login: see
// tests/support/class_server_main.cpp), velmora-class serve on it, and
// Debian's chromium signing in at its first page.
import {spawn, spawnSync} from "node:child_process";
import assert from "node:assert/strict";
import readline from "node:readline";
import {after, before} from "node:test";

import {Tutor, browser, webDir} from "../web/harness.mjs";

const VELMORA_CLASS = process.env.VELMORA_CLASS;
const CLASS_SERVER = process.env.VELMORA_CLASS_SERVER;

function firstLine(stream) {
  return new Promise((resolve, reject) => {
    const lines = readline.createInterface({input: stream});
    lines.once("line", (line) => resolve(line));
    stream.once("end", () => reject(new Error("ended before its first line")));
  });
}

const exited = (child) => new Promise((resolve) => {
  if (child.exitCode !== null || child.signalCode !== null) { resolve(child.exitCode); } else { child.once("exit", resolve); }
});

/** The class server, its logins ("5-2/hanako": {role, password}) and SQL
 * as its administrator. */
export async function startClassServer() {
  assert.ok(VELMORA_CLASS && CLASS_SERVER, "VELMORA_CLASS and VELMORA_CLASS_SERVER name the programs");
  const child = spawn(CLASS_SERVER, [], {stdio: ["pipe", "pipe", "inherit"]});
  const info = JSON.parse(await firstLine(child.stdout));
  const env = {...process.env, PGSERVICEFILE: info.serviceFile, PGSYSCONFDIR: info.noSystemServices};
  return {
    ...info,
    env,
    /** Rows of a query as the administrator (or the service's login), each a list of its columns. */
    sql(query, service = "velmora") {
      const ran = spawnSync("psql", [`service=${service}`, "-X", "-q", "-A", "-t", "-F", "|", "-v", "ON_ERROR_STOP=1", "-c", query],
        {env, encoding: "utf8"});
      if (ran.status !== 0) { throw new Error(ran.stderr.trim()); }
      return ran.stdout.split("\n").filter((l) => l !== "").map((l) => l.split("|"));
    },
    blocksOf(who) {
      return this.sql(`SELECT program, lesson, typed_right FROM blocks WHERE learner = '${info.logins[who].role}' ORDER BY ended_at`);
    },
    stop: async () => { child.stdin.end(); await exited(child); },
  };
}

/** velmora-class serve on the class server, on `port` (0: any free one). */
export async function startService(server, {port = 0, listen = "127.0.0.1", extra = []} = {}) {
  const child = spawn(VELMORA_CLASS, ["--service", "web", "serve", "--listen", `${listen}:${port}`, "--web", webDir, ...extra],
    {env: server.env, stdio: ["ignore", "pipe", "inherit"]});
  const line = await firstLine(child.stdout);
  const bound = Number(/:(\d+)\/ /.exec(line)[1]);
  const scheme = line.includes("https://") ? "https" : "http";
  return {
    url: `${scheme}://127.0.0.1:${bound}/`,
    port: bound,
    stop: async () => { child.kill("SIGTERM"); assert.equal(await exited(child), 0, "serve did not end cleanly"); },
  };
}

/** For a test file: the class server and one service, and a browser, before
 * its tests; all stopped after. */
export function classroom() {
  const place = {};
  before(async () => {
    place.server = await startClassServer();
    place.service = await startService(place.server);
    place.chromium = await browser();
  });
  after(async () => {
    await place.chromium?.close();
    await place.service?.stop();
    await place.server?.stop();
  });
  return place;
}

/** Signs in at the service's first page in a new tab, as `who` ("5-2/hanako"). */
export async function signIn(chromium, server, url, who, {password} = {}) {
  const page = await chromium.browser.newPage();
  const errors = [];
  page.on("pageerror", (e) => errors.push(e.stack || String(e)));
  await page.goto(url);
  const [className, name] = who.split("/");
  await page.type("#class", className);
  await page.type("#learner", name);
  await page.type("#password", password ?? server.logins[who].password);
  await Promise.all([page.waitForNavigation(), page.click("#sign-in")]);
  return {page, errors};
}

/** Signs a learner in and waits for the tutor to be ready. */
export async function signInToTutor(chromium, server, url, who) {
  const {page, errors} = await signIn(chromium, server, url, who);
  assert.ok(page.url().endsWith("/tutor/"), `signed in at ${page.url()}`);
  const tutor = new Tutor(page, page.url());
  tutor.errors = errors;
  tutor.cdp = await page.createCDPSession();
  await tutor.ready();
  return tutor;
}

/** Waits until `check` returns a truthy value, which it returns. */
export async function eventually(check, what, timeout = 20000) {
  const deadline = Date.now() + timeout;
  let seen;
  while (Date.now() < deadline) {
    seen = await check();
    if (seen) { return seen; }
    await new Promise((r) => setTimeout(r, 100));
  }
  throw new Error(`${what}: not within ${timeout} ms`);
}
