#!/usr/bin/env bash
# Checks that line editing changes nothing for pipes and files: two builds,
# one with the terminal library and one without, must write the same bytes
# to standard output and standard error and end with the same status, for
# every transcript input, read from a file and from a pipe.
#
# Usage: tests/piped_identity.sh EDITING-PROGRAM PLAIN-PROGRAM INPUT...
set -u

editing=$1
plain=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passes=0
failures=0

# run PROGRAM HOW INPUT NAME: runs PROGRAM on INPUT, from a file or a pipe,
# and keeps its standard output, standard error and status under NAME.
run() {
  local program=$1 how=$2 input=$3 name=$4
  if [ "$how" = file ]; then
    "$program" <"$input" >"$work/$name.out" 2>"$work/$name.err"
  else
    cat "$input" | "$program" >"$work/$name.out" 2>"$work/$name.err"
  fi
  echo $? >"$work/$name.code"
}

for input in "$@"; do
  for how in file pipe; do
    run "$editing" "$how" "$input" editing
    run "$plain" "$how" "$input" plain
    same=yes
    for part in out err code; do
      if ! cmp -s "$work/editing.$part" "$work/plain.$part"; then
        echo "piped_identity: $(basename "$input") from a $how: $part differs:"
        cmp "$work/plain.$part" "$work/editing.$part"
        same=no
      fi
    done
    if [ "$same" = yes ]; then
      passes=$((passes + 1))
    else
      failures=$((failures + 1))
    fi
  done
done
if [ $((passes + failures)) -eq 0 ]; then
  echo "piped_identity: no inputs given"
  failures=1
fi
echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
