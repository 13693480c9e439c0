#!/usr/bin/env bash
# Installation and the Debian packages, from a release build: `cmake
# --install` into a scratch prefix and the three .deb files of `cpack -G
# DEB` unpacked into a scratch root must each give a working zorvex with its
# manual page and a library that the examples build against, and lintian
# must find nothing in any of the packages.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps ci

cmake -S . -B build-deb -DCMAKE_BUILD_TYPE=Release -DZORVEX_BUILD_TESTS=OFF
cmake --build build-deb -j2
tests/package_test.sh "$PWD/build-deb"
