#!/usr/bin/env bash
# Installs the Debian packages a task needs, only those missing, quietly.
#   deps.sh build   compiler, SDL2, SDL2_ttf, fontconfig, SQLite, libpqxx and cpp-httplib (the class server),
#                   the Japanese font and the X core fonts the system error box is drawn with
#   deps.sh package the above and what builds the Debian package (scripts/package.sh)
#   deps.sh web     the above, Emscripten, the source packages' tools and fontTools (scripts/web.sh)
#   deps.sh test    all of the above, GoogleTest, what the real-window tests drive (with
#                   the keyboard maps and setxkbmap), PostgreSQL (the class server's tests
#                   start clusters of their own) and the checkers of the package
set -euo pipefail

packages=(cmake g++ make pkg-config libsdl2-dev libsdl2-ttf-dev libfontconfig-dev libx11-dev libsqlite3-dev libsqlitecpp-dev libpqxx-dev libcpp-httplib-dev fonts-ipafont-gothic xfonts-base)
if [ "${1:-build}" != build ]; then
  packages+=(dpkg-dev file librsvg2-bin)
fi
if [ "${1:-build}" = web ] || [ "${1:-build}" = test ]; then
  packages+=(emscripten node-acorn dpkg-dev python3-fonttools git)
fi
if [ "${1:-build}" = test ]; then
  packages+=(libgtest-dev xvfb xdotool x11-utils x11-xkb-utils xkb-data imagemagick dbus python3 openbox postgresql openssl)
  packages+=(lintian desktop-file-utils appstream)
  packages+=(chromium)  # opens the class report as a teacher's browser does
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq >/dev/null
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
