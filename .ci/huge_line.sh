#!/usr/bin/env bash
# Measures what one line of 100 MB costs: wall time and peak resident memory
# (from /usr/bin/time -v) for a line of blanks ending in 1+1, one of digits
# and one of letters, none with a line feed, beside an empty run. It prints
# figures and fails when a run fails or a line peaks above three times its
# size; the hostile tests check results.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps ci

build=build-valgrind
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORVEX_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target zorvex >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
size=100000000
peak_limit=$((3 * size / 1024))

# measure NAME FILE [LIMIT]: runs the program on FILE and prints its
# figures; fails when the peak is above LIMIT KiB.
measure() {
  /usr/bin/time -v -o "$work/err" "$build/zorvex" <"$2" >/dev/null 2>&1 || {
    echo "huge line: the run on $1 failed"
    cat "$work/err"
    exit 1
  }
  local wall rss
  wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/err")
  rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/err")
  printf 'huge line: %-34s wall %s, peak RSS %s KiB\n' "$1" "$wall" "$rss"
  if [ -n "${3:-}" ] && [ "$rss" -gt "$3" ]; then
    echo "huge line: $1 peaks at $rss KiB, above $3 KiB (three times the line)"
    exit 1
  fi
}

: >"$work/empty"
measure "empty input" "$work/empty"
{ head -c $((size - 3)) /dev/zero | tr '\0' ' '; printf '1+1'; } >"$work/line"
measure "100 MB: blanks, then 1+1" "$work/line" $peak_limit
head -c $size /dev/zero | tr '\0' '7' >"$work/line"
measure "100 MB: digits (one number)" "$work/line" $peak_limit
head -c $size /dev/zero | tr '\0' 'x' >"$work/line"
measure "100 MB: letters (one name)" "$work/line" $peak_limit
