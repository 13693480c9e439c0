#!/usr/bin/env bash
# Installation and the Debian package, from a release build: `cmake
# --install` into a scratch prefix and the .deb of `cpack -G DEB` unpacked
# into a scratch root must each give a working zorvex with its manual page,
# and lintian must find nothing in the .deb.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps ci

cmake -S . -B build-deb -DCMAKE_BUILD_TYPE=Release -DZORVEX_BUILD_TESTS=OFF
cmake --build build-deb -j2
tests/package_test.sh "$PWD/build-deb"
