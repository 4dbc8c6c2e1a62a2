#!/usr/bin/env bash
# Key press in the launcher (F1) to the started program's window: mapped and
# first drawn, in ms, over several runs.
#   bash bench/handover.sh <program tree> [--runs N]
# Builds only the X probe (bench/handover_probe.cpp, with g++), installing the
# X development packages it needs when they are missing.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
tree="${1:?usage: handover.sh <program tree> [--runs N]}"
shift

packages=(g++ libx11-dev libxtst-dev libxdamage-dev xvfb xdotool x11-utils imagemagick dbus python3)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq >/dev/null
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

out="${TUTOR_BENCH_BUILD:-${TMPDIR:-/tmp}/tutor-bench-$(id -u)}"
mkdir -p "$out"
probe="$out/handover_probe"
if [ ! -x "$probe" ] || [ "$here/handover_probe.cpp" -nt "$probe" ]; then
  g++ -std=c++20 -O2 -Wall -Wextra -Wpedantic -o "$probe" "$here/handover_probe.cpp" \
    -lXdamage -lXfixes -lXtst -lX11
fi
exec python3 "$here/handover.py" "$tree" --probe "$probe" "$@"
