#!/usr/bin/env bash
# The transcript suite under valgrind's memcheck: every transcript must still
# pass with the program running under memcheck, and every run must end with
# no memcheck error and nothing definitely lost.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps ci

build=build-valgrind
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORVEX_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target zorvex zorvex_api_dialogue

logs=$build/memcheck
rm -rf "$logs"
mkdir -p "$logs"
# The transcript runner starts this in place of the program; each run of the
# program leaves its own log.
wrapper=$build/zorvex-under-memcheck
cat >"$wrapper" <<WRAPPER
#!/bin/sh
exec valgrind --tool=memcheck --error-exitcode=99 --leak-check=full \
  --show-leak-kinds=definite,indirect --errors-for-leak-kinds=definite,indirect \
  --log-file="$PWD/$logs/%p.log" "$PWD/$build/zorvex" "\$@"
WRAPPER
chmod +x "$wrapper"

failed=0
passed=0
count=0
for input in tests/transcripts/*.in; do
  case=${input%.in}
  count=$((count + 1))
  if ! report=$(tests/run_transcript.sh "$wrapper" "$PWD/$case" "$PWD/$build/tests/banner.txt" 2>&1); then
    echo "valgrind: transcript $(basename "$case") fails under memcheck:"
    echo "$report"
    failed=$((failed + 1))
  else
    passed=$((passed + 1))
  fi
done

# The library through its C client on the same inputs: only memcheck's
# verdict counts here, the differential test checks the answers.
for input in tests/transcripts/*.in; do
  valgrind --tool=memcheck --error-exitcode=99 --leak-check=full \
    --show-leak-kinds=definite,indirect --errors-for-leak-kinds=definite,indirect \
    --log-file="$PWD/$logs/api-%p.log" "$build/zorvex_api_dialogue" <"$input" >/dev/null 2>&1 || {
    echo "valgrind: the library fails under memcheck on $(basename "$input")"
    failed=$((failed + 1))
  }
done
count=$((count * 2))

runs=0
for log in "$logs"/*.log; do
  runs=$((runs + 1))
  # Leaks count as errors (--errors-for-leak-kinds); the leak line is
  # checked as well in case that ever changes.
  if ! grep -q 'ERROR SUMMARY: 0 errors' "$log" ||
     ! grep -Eq 'definitely lost: 0 bytes|All heap blocks were freed' "$log"; then
    echo "valgrind: memcheck found a problem ($log):"
    cat "$log"
    failed=$((failed + 1))
  fi
done

if [ "$runs" -lt "$count" ]; then
  echo "valgrind: only $runs memcheck logs for $count runs"
  failed=$((failed + 1))
fi
if [ "$failed" = 0 ]; then
  echo "valgrind: $runs runs of the program and the library on the transcripts: ERROR SUMMARY: 0 errors, definitely lost: 0 bytes in each"
fi
echo "valgrind: $passed passed, $failed failed"
[ "$failed" = 0 ]
