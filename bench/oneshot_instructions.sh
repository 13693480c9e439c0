#!/usr/bin/env bash
# Counts the instructions Zorvex spends per fresh line of each kind of the
# one-shot benchmark, under callgrind: only the timed run (one run) is
# counted, so reading the workload and sorting out the lines are left out.
# Instruction counts do not depend on the machine's load, unlike the
# benchmark's times, so two builds can be compared on a busy machine.
#
#   bench/oneshot_instructions.sh ONESHOT_BINARY WORKLOAD [KIND ...]
#
# ONESHOT_BINARY is a build of bench/oneshot.cpp (zorvex_oneshot), WORKLOAD
# compare.py's zorvex.txt. Prints one line per kind: its instructions per line.
set -euo pipefail

oneshot=$1
workload=$2
shift 2
[ $# -gt 0 ] || set -- operators functions variables brackets-bars large mix

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

for kind in "$@"; do
  valgrind --tool=callgrind --callgrind-out-file="$scratch/out" \
    --toggle-collect='*nanosecondsPerLine*ZorvexRunner*' \
    "$oneshot" "$workload" 1 "$kind" >"$scratch/stdout" 2>"$scratch/stderr"
  lines=$(sed -n 's/.* on \([0-9]*\) lines.*/\1/p' "$scratch/stdout")
  collected=$(sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$scratch/stderr")
  if [ -z "$lines" ] || [ -z "$collected" ] || [ "$collected" -eq 0 ]; then
    echo "$kind: not measured" >&2
    cat "$scratch/stdout" "$scratch/stderr" >&2
    exit 1
  fi
  awk -v k="$kind" -v c="$collected" -v n="$lines" \
    'BEGIN { printf "%s: %.0f instructions per line on %d lines\n", k, c / n, n }'
done
