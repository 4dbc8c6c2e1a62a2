#!/usr/bin/env bash
# Builds the tutor, lays it out in a program tree and starts the launcher.
# The tree goes to $VELMORA_HOME (default: tutor/ in this checkout); records
# already there are kept.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh build
home="${VELMORA_HOME:-$PWD/tutor}"
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DTUTOR_TESTS=OFF >/dev/null
cmake --build build/release -j"$(nproc)"
cmake --install build/release --prefix "$home" >/dev/null
echo "starting $home/Velmora"
exec "$home/Velmora"
