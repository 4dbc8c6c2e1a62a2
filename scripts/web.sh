#!/usr/bin/env bash
# The web edition: every program built for the browser into build/web/, a
# folder any static web server can serve.
#   web.sh [PORT]   build it and serve it at http://127.0.0.1:PORT/ (8080) until stopped
#   web.sh --build  only build it
set -euo pipefail
cd "$(dirname "$0")/.."

build_only=false
port=8080
case "${1:-}" in
  --build) build_only=true ;;
  "") ;;
  *[!0-9]*) echo "usage: web.sh [PORT | --build]" >&2; exit 2 ;;
  *) port="$1" ;;
esac

bash scripts/deps.sh web
# Debian's emscripten finds its JavaScript parser among Debian's node modules.
export NODE_PATH="${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs"
bash scripts/web_deps.sh

out="${VELMORA_WEB_OUT:-$PWD/build/web}"
font="$PWD/build/web-build/velmora-gothic.ttf"
mkdir -p build/web-build "$out"
if [ ! -f "$font" ] || [ -n "$(find console launcher lessonkit course keygroups shift trytest records progress words spelling history scripts/web_font.py -newer "$font" -print -quit)" ]; then
  /usr/bin/python3 scripts/web_font.py /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf "$font" \
    console launcher lessonkit course keygroups shift trytest records progress words spelling history >/dev/null
fi
emcmake cmake -S . -B build/web-build -DCMAKE_BUILD_TYPE=Release -DTUTOR_WERROR=ON \
  -DTUTOR_WEB_DEPS="$PWD/build/web-deps/prefix" -DTUTOR_WEB_FONT="$font" >/dev/null
cmake --build build/web-build -j"$(nproc)" --target velmora-web

# The page, the module and its files, the font's licence beside the font.
cp web/page/index.html web/page/velmora.css web/page/velmora-page.js web/page/velmora-zip.js web/page/velmora-files.js web/page/velmora-class.js "$out/"
cp build/web-build/web/velmora.js build/web-build/web/velmora.wasm build/web-build/web/velmora.data "$out/"
cp /usr/share/doc/fonts-ipafont-gothic/copyright "$out/IPA_Font_License.txt"
# The whole font, fetched when an own lesson needs a character the cut lacks.
cp /usr/share/fonts/opentype/ipafont-gothic/ipag.ttf "$out/ipag.ttf"
version="$(git describe --always --dirty 2>/dev/null || echo unknown)"
echo "$version" >"$out/version.txt"
files='"./", "index.html", "velmora.css", "velmora-page.js", "velmora-zip.js", "velmora-files.js", "velmora-class.js", "velmora.js", "velmora.wasm", "velmora.data", "version.txt", "IPA_Font_License.txt"'
sed -e "s|@VERSION@|$version|" -e "s|@FILES@|$files|" web/page/sw.js >"$out/sw.js"
echo "built the web edition $version into build/web/"

if ! $build_only; then
  echo "serving the web edition at http://127.0.0.1:$port/ (Ctrl+C stops it)"
  exec /usr/bin/python3 -m http.server "$port" --bind 127.0.0.1 --directory "$out"
fi
