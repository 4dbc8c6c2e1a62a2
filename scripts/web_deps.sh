#!/usr/bin/env bash
# Builds, once, the libraries the web edition links, for the browser: SDL2,
# FreeType, SDL2_ttf and SQLite with its C++ wrapper, from Debian's own source
# packages (Emscripten's ports would download them, which a school's network
# or this build machine may not allow). They go to build/web-deps/prefix and
# are built again only when this script changes.
#   web_deps.sh   (called by scripts/web.sh)
set -euo pipefail
cd "$(dirname "$0")/.."

deps="$PWD/build/web-deps"
prefix="$deps/prefix"
stamp="$prefix/built-by-$(sha1sum scripts/web_deps.sh | cut -c1-12)"
[ -f "$stamp" ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive

# Source packages need a deb-src entry beside the system's own.
if ! grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  echo "adding Debian's source packages to apt (for the web edition's libraries)"
  $sudo tee /etc/apt/sources.list.d/velmora-src.sources >/dev/null <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  $sudo apt-get update -qq >/dev/null
fi

rm -rf "$deps"
mkdir -p "$deps/src" "$prefix/lib" "$prefix/include"
cd "$deps/src"
apt-get source -qq libsdl2 libsdl2-ttf freetype sqlitecpp >/dev/null 2>&1 ||
  apt-get source -qq libsdl2 libsdl2-ttf freetype sqlitecpp >/dev/null
sdl2="$(echo libsdl2-2.*/)"
freetype="$(echo freetype-2.*/)"
jobs="$(nproc)"
flags="-O2"

echo "building SDL2 for the browser (a few minutes, once)"
emcmake cmake -S "$sdl2" -B sdl2-build -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF \
  -DSDL_SENSOR=OFF -DSDL_HIDAPI=OFF -DSDL_POWER=OFF -DSDL_RENDER=OFF -DSDL_OPENGL=OFF \
  -DSDL_OPENGLES=OFF -DSDL_THREADS=OFF >/dev/null
emmake make -s -C sdl2-build -j"$jobs" install >/dev/null

echo "building FreeType for the browser"
emcmake cmake -S "$freetype" -B freetype-build -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF -DFT_DISABLE_ZLIB=ON \
  -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON >/dev/null
emmake make -s -C freetype-build -j"$jobs" install >/dev/null

# SDL2_ttf and SQLite are single files of C with a few of C++ beside: built
# straight, without their build systems' searches for what the browser lacks.
echo "building SDL2_ttf and SQLite for the browser"
ttf="$(echo libsdl2-ttf-2.*/)"
emcc $flags -c "$ttf/SDL_ttf.c" -o SDL_ttf.o -I"$prefix/include/SDL2" -I"$prefix/include/freetype2" \
  -DTTF_USE_HARFBUZZ=0
emar rcs "$prefix/lib/libSDL2_ttf.a" SDL_ttf.o
cp "$ttf/SDL_ttf.h" "$prefix/include/SDL2/"
cp "$ttf/LICENSE.txt" "$prefix/SDL2_ttf-LICENSE.txt"

sqlitecpp="$(echo sqlitecpp-3.*/)"
emcc $flags -c "$sqlitecpp/sqlite3/sqlite3.c" -o sqlite3.o -DSQLITE_THREADSAFE=0 \
  -DSQLITE_OMIT_LOAD_EXTENSION -DSQLITE_DEFAULT_MEMSTATUS=0
objects=(sqlite3.o)
for source in "$sqlitecpp"/src/*.cpp; do
  object="sqlitecpp-$(basename "$source" .cpp).o"
  em++ $flags -w -std=c++17 -fexceptions -c "$source" -o "$object" -I"$sqlitecpp/include" \
    -I"$sqlitecpp/sqlite3"
  objects+=("$object")
done
emar rcs "$prefix/lib/libSQLiteCpp.a" "${objects[@]}"
cp -r "$sqlitecpp/include/SQLiteCpp" "$prefix/include/"
cp "$sqlitecpp/sqlite3/sqlite3.h" "$prefix/include/"

touch "$stamp"
