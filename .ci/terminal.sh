#!/usr/bin/env bash
# Line editing against a build without it. Builds the program twice, with
# libedit and as it is built where libedit is missing, then
#   - drives both in tmux: the same screen for plain lines with and without
#     the editor (ctest's terminal test runs every other terminal case);
#   - checks that both give the same bytes for every transcript input read
#     from a file or a pipe.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps ci

# Each configuration must say which way it went, or the comparison below
# would compare a build with itself.
mkdir -p build-edit build-noedit
cmake -S . -B build-edit -DZORVEX_BUILD_TESTS=OFF -DZORVEX_LINE_EDITING=ON | tee build-edit/configure.log
grep -q 'Line editing: on' build-edit/configure.log || { echo "terminal: build-edit has no line editing" >&2; exit 1; }
cmake --build build-edit -j2 --target zorvex
# pkg-config finding no libraries at all is what a machine without
# libedit-dev looks like to the build.
PKG_CONFIG_LIBDIR=/nonexistent cmake -S . -B build-noedit -DZORVEX_BUILD_TESTS=OFF -DZORVEX_LINE_EDITING=ON | tee build-noedit/configure.log
grep -q 'Line editing: off (libedit not found' build-noedit/configure.log || { echo "terminal: build-noedit found libedit" >&2; exit 1; }
cmake --build build-noedit -j2 --target zorvex

tests/terminal_test.sh build-edit/zorvex build-noedit/zorvex
tests/piped_identity.sh build-edit/zorvex build-noedit/zorvex tests/transcripts/*.in
