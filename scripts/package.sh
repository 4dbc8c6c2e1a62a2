#!/usr/bin/env bash
# Builds the Debian package build/package/velmora_<version>_<arch>.deb from a
# Release build in build/package-build, with the flags Debian builds its
# packages with (dpkg-buildflags: -O2, hardening).
# Install it with: apt install ./build/package/velmora_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh package
# The web edition it also installs, built into a folder of its own.
VELMORA_WEB_OUT="$PWD/build/package-web" bash scripts/web.sh --build >/dev/null
export DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP=-g
cmake -S . -B build/package-build -DCMAKE_BUILD_TYPE=Release -DTUTOR_TESTS=OFF -DTUTOR_PACKAGE=ON \
  -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG -DTUTOR_WEB_BUILT="$PWD/build/package-web" \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build build/package-build -j"$(nproc)"
rm -f build/package/velmora_*.deb
cpack --config build/package-build/CPackConfig.cmake -B "$PWD/build/package" >/dev/null
ls build/package/velmora_*.deb
