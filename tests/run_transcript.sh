#!/usr/bin/env bash
# Runs the program on CASE.in and compares standard output, standard error
# and the exit status byte for byte with the expected ones:
#   CASE.out   standard output after the banner, which every dialogue
#              starts with and which lives in BANNER
#   CASE.err   standard error (empty when absent)
#   CASE.code  the exit status (0 when absent)
#   CASE.both  when present, the output with standard error sent to the
#              same file, which checks that each error line comes before
#              the result line of its input
set -u
program=$1
case=$2
banner=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat "$banner" "$case.out" >"$work/expected_out"
[ -f "$case.both" ] && cat "$banner" "$case.both" >"$work/expected_both"

status=0
"$program" <"$case.in" >"$work/out" 2>"$work/err"
code=$?
expected_code=0
[ -f "$case.code" ] && expected_code=$(cat "$case.code")
if [ "$code" != "$expected_code" ]; then
  echo "exit status $code, expected $expected_code"
  status=1
fi
if ! cmp -s "$work/out" "$work/expected_out"; then
  echo "standard output differs:"
  diff <(od -c "$work/expected_out") <(od -c "$work/out") | head -40
  status=1
fi
if [ -f "$case.err" ]; then
  expected_err="$case.err"
else
  expected_err=/dev/null
fi
if ! cmp -s "$work/err" "$expected_err"; then
  echo "standard error differs:"
  diff "$expected_err" "$work/err" | head -40
  status=1
fi
if [ -f "$case.both" ]; then
  "$program" <"$case.in" >"$work/both" 2>&1
  if ! cmp -s "$work/both" "$work/expected_both"; then
    echo "combined output differs:"
    diff "$work/expected_both" "$work/both" | head -40
    status=1
  fi
fi
exit $status
