#!/usr/bin/env bash
# Before the browser tests: the web edition built, and puppeteer-core as the
# lock file gives it (no browser download: the tests drive Debian's chromium).
set -euo pipefail
cd "$(dirname "$0")"
bash ../../scripts/web.sh --build
export PUPPETEER_SKIP_DOWNLOAD=1
if [ ! -d node_modules/puppeteer-core ] || [ package-lock.json -nt node_modules/.package-lock.json ]; then
  npm ci --no-audit --no-fund --loglevel=error
fi
