#!/usr/bin/env bash
# Builds the X probe of bench/latency.py (bench/x_probe.cpp) with g++ and
# prints its path. Installs what it and the script need with apt-get when
# missing. The probe goes to $TUTOR_BENCH_BUILD (default /tmp/tutor-bench-<uid>)
# and is rebuilt only when the source is newer.
#   bash bench/build_probe.sh
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

packages=(g++ libx11-dev libxtst-dev libxdamage-dev libxfixes-dev xvfb dbus fontconfig
          fonts-ipafont-gothic python3)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "installing: ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq >/dev/null
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

out="${TUTOR_BENCH_BUILD:-${TMPDIR:-/tmp}/tutor-bench-$(id -u)}"
mkdir -p "$out"
probe="$out/x_probe"
if [ ! -x "$probe" ] || [ "$here/x_probe.cpp" -nt "$probe" ]; then
  g++ -std=c++20 -O2 -Wall -Wextra -Wpedantic -o "$probe.new" "$here/x_probe.cpp" \
    -lXdamage -lXfixes -lXtst -lX11
  mv "$probe.new" "$probe"
fi
echo "$probe"
