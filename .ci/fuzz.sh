#!/usr/bin/env bash
# Coverage-guided fuzzing with libFuzzer: each target runs for a bounded time
# (FUZZ_SECONDS, default 60) and any crash, leak, timeout, memory blow-up or
# sanitizer report fails the run. The inputs that once failed, kept under
# fuzz/regressions/, are replayed first.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
build=build-fuzz

# clang++ and its sanitizer and libFuzzer runtimes come from Debian.
scripts/install-deps ci

cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZORVEX_FUZZ=ON -DZORVEX_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target zorvex_fuzz_console zorvex_fuzz_line zorvex_fuzz_api

# The seed corpus: the hand-written seeds and every transcript's input.
seeds=$build/seeds
rm -rf "$seeds"
mkdir -p "$seeds" "$build/findings"
cp fuzz/seeds/* "$seeds/"
for input in tests/transcripts/*.in; do
  [ -e "$input" ] && cp "$input" "$seeds/transcript_$(basename "$input" .in)"
done

status=0
for target in console line api; do
  program=$build/zorvex_fuzz_$target
  if compgen -G "fuzz/regressions/*" >/dev/null; then
    "$program" -runs=0 fuzz/regressions/* >"$build/replay_$target.log" 2>&1 || {
      echo "fuzz $target: a kept regression input fails again:"
      tail -n 40 "$build/replay_$target.log"
      status=1
      continue
    }
  fi
  corpus=$build/corpus/$target
  mkdir -p "$corpus"
  log=$build/fuzz_$target.log
  if "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
      -dict=fuzz/zorvex.dict -print_final_stats=1 \
      -artifact_prefix="$build/findings/$target-" "$corpus" "$seeds" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    inputs=$(ls "$corpus" | wc -l)
    echo "fuzz $target: $runs executions in ${seconds} s, corpus of $inputs inputs, no findings"
  else
    echo "fuzz $target: FINDING (input saved under $build/findings/; add it to"
    echo "fuzz/regressions/ and as a regression test once fixed):"
    tail -n 60 "$log"
    status=1
  fi
done
exit $status
