#!/usr/bin/env bash
# Builds everything with warnings as errors under AddressSanitizer and
# UndefinedBehaviorSanitizer and runs every test, the real-window ones included
# (they start their own Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh test
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DTUTOR_WERROR=ON -DTUTOR_SANITIZE=ON >/dev/null
cmake --build build/test -j"$(nproc)"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
ctest --test-dir build/test --output-on-failure -j"$(nproc)"
