#!/usr/bin/env bash
# Builds the web edition and the floor page, and prints the web edition's
# figures beside the floor's (bench/web/web_bench.mjs).
set -euo pipefail
cd "$(dirname "$0")/../.."
bash e2e/web/prepare.sh
export NODE_PATH="${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs"
mkdir -p build/web-floor
cp bench/web/floor.html build/web-floor/index.html
emcc -O2 bench/web/floor.c -o build/web-floor/floor.js -sENVIRONMENT=web
NODE_PATH="$PWD/e2e/web/node_modules" node bench/web/web_bench.mjs build/web build/web-floor
