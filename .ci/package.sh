#!/usr/bin/env bash
# Installation and the Debian package, from a release build: `cmake
# --install` into a scratch prefix and the .deb of `cpack -G DEB` unpacked
# into a scratch root must each give a working zorvex with its manual page.
set -euo pipefail
cd "$(dirname "$0")/.."

missing=()
command -v dpkg-shlibdeps >/dev/null 2>&1 || missing+=(dpkg-dev)
command -v groff >/dev/null 2>&1 || missing+=(groff-base)
command -v man >/dev/null 2>&1 || missing+=(man-db)
if [ "${#missing[@]}" -gt 0 ]; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi

cmake -S . -B build-deb -DCMAKE_BUILD_TYPE=Release -DZORVEX_BUILD_TESTS=OFF
cmake --build build-deb -j2
tests/package_test.sh "$PWD/build-deb"
