// The page's files kept for use offline: every file of this version in a
// cache of its own, served from there; the version file asked of the network
// first, so that a new version is found when there is one. scripts/web.sh
// writes the version and the list of files in.
"use strict";
const VERSION = "@VERSION@";
const FILES = [@FILES@];
// Fetched only when first needed (the whole font, for an own lesson's
// characters), then kept with the rest.
const LATER = ["ipag.ttf"];
const CACHE = "velmora-" + VERSION;

self.addEventListener("install", (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES)).then(() => self.skipWaiting()));
});

self.addEventListener("activate", (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((n) => n.startsWith("velmora-") && n !== CACHE).map((n) => caches.delete(n))))
    .then(() => self.clients.claim()));
});

self.addEventListener("fetch", (event) => {
  const url = new URL(event.request.url);
  if (event.request.method !== "GET" || url.origin !== self.location.origin) {
    return;
  }
  if (url.pathname.endsWith("/version.txt")) {
    event.respondWith(fetch(event.request).catch(() => caches.match(event.request, {ignoreSearch: true})));
    return;
  }
  const later = LATER.some((name) => url.pathname.endsWith("/" + name));
  event.respondWith(caches.match(event.request, {ignoreSearch: true}).then((kept) => kept || fetch(event.request)
    .then((response) => {
      if (later && response.ok) {
        const copy = response.clone();
        caches.open(CACHE).then((cache) => cache.put(event.request, copy));
      }
      return response;
    })));
});
