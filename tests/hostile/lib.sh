# Shared by the hostile-input test groups; sourced, not run.
#
# A group script is started as: bash GROUP.sh PATH-TO-ZORVEX SOURCE-ROOT BANNER
# where BANNER is the file of the banner every dialogue starts with.
# Each case runs the program once and compares its standard output, standard
# error and exit status with what the calculator's rules make of the input.
# The script prints one line per failed case and a closing count, and exits
# non-zero when any case failed.

set -u
program=$1
root=$2
banner=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0

# The exact standard output of a run on empty input: the banner and the
# first prompt. Every run starts with it.
if [ ! -f "$banner" ]; then
  echo "missing $banner (the banner)"
  exit 1
fi
start_file=$work/start
cat "$banner" "$root/tests/transcripts/console_end_of_input_empty.out" >"$start_file"

# fail NAME WHY...: records a failed case; a case that fails in several
# ways counts once.
last_failed=
fail() {
  local name=$1
  shift
  echo "FAIL $name: $*"
  if [ "$name" != "$last_failed" ]; then
    failed=$((failed + 1))
    last_failed=$name
  fi
}

# dialogue RESULT...: writes the standard output of a run whose lines print
# these results in order and which then meets the end of its input.
dialogue() {
  cat "$start_file"
  local result
  for result in "$@"; do
    printf '= %s\n> ' "$result"
  done
}

# compare NAME WHAT EXPECTED-FILE ACTUAL-FILE: fails the case when the files
# differ, showing the start of the difference.
compare() {
  if ! cmp -s "$3" "$4"; then
    fail "$1" "$2 differs (expected, then actual):"
    diff <(od -c "$3" | tail -n 12) <(od -c "$4" | tail -n 12) | head -n 24
    return 1
  fi
  return 0
}

# check NAME INPUT ERRORS RESULT...
#   INPUT and ERRORS are printf formats (\n, \000, \xHH ...): the bytes of
#   standard input and the exact standard error. The run must exit 0 and
#   print the RESULTs, one "= " line per evaluated line.
check() {
  local name=$1 input=$2 errors=$3
  shift 3
  printf "$input" >"$work/in"
  printf "$errors" >"$work/err.expected"
  dialogue "$@" >"$work/out.expected"
  check_files "$name" "$work/in" "$work/out.expected" "$work/err.expected" 0
}

# check_files NAME INPUT-FILE OUT-FILE ERR-FILE CODE: runs the program on
# INPUT-FILE and compares all three outcomes.
check_files() {
  local name=$1 input=$2 out=$3 err=$4 code=$5 status
  "$program" <"$input" >"$work/out" 2>"$work/err"
  status=$?
  local ok=0
  [ "$status" = "$code" ] || { fail "$name" "exit status $status, expected $code"; ok=1; }
  compare "$name" "standard output" "$out" "$work/out" || ok=1
  compare "$name" "standard error" "$err" "$work/err" || ok=1
  [ $ok = 0 ] && passed=$((passed + 1))
  return 0
}

# check_held NAME INPUT-FILE OUT-FILE ERR-FILE: as check_files with exit
# status 0, but the input comes through a pipe that stays open until the
# program has answered all of it and waits for more. Sets rss and peak to
# its resident and peak memory in KiB at that moment (empty when the
# answers did not come within five minutes).
check_held() {
  local name=$1 out=$3 err=$4 pid status tries=0
  rss= peak=
  rm -f "$work/pipe"
  mkfifo "$work/pipe"
  "$program" <"$work/pipe" >"$work/out" 2>"$work/err" &
  pid=$!
  exec 3>"$work/pipe"
  cat "$2" >&3
  until cmp -s "$out" "$work/out" && cmp -s "$err" "$work/err"; do
    tries=$((tries + 1))
    [ $tries -le 3000 ] || break
    sleep 0.1
  done
  if [ $tries -le 3000 ]; then
    rss=$(sed -n 's/^VmRSS:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$pid/status")
    peak=$(sed -n 's/^VmHWM:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$pid/status")
  fi
  exec 3>&-
  wait "$pid"
  status=$?
  local ok=0
  [ "$status" = 0 ] || { fail "$name" "exit status $status, expected 0"; ok=1; }
  compare "$name" "standard output" "$out" "$work/out" || ok=1
  compare "$name" "standard error" "$err" "$work/err" || ok=1
  [ $ok = 0 ] && passed=$((passed + 1))
  return 0
}

# memory_checked: true unless the program's memory is not its own to
# measure (a build with sanitizers keeps freed memory in quarantine).
memory_checked() { [ -z "${ZORVEX_SANITIZED:-}" ]; }

# check_memory NAME WHAT FIGURE LIMIT: fails the case when the memory
# FIGURE (KiB) is missing or above LIMIT (KiB).
check_memory() {
  if [ -z "$3" ] || [ "$3" -gt "$4" ]; then
    # A case whose answers were right was counted as passed.
    [ "$last_failed" = "$1" ] || passed=$((passed - 1))
    fail "$1" "$2 is ${3:-unknown} KiB, more than $4 KiB"
  fi
}

# check_either NAME INPUT ERRORS RESULTS-A RESULTS-B: as check, but the
# printed values may be either of two blank-separated lists (the sign of a
# NaN is the platform's).
check_either() {
  local name=$1 status
  printf "$2" >"$work/in"
  printf "$3" >"$work/err.expected"
  "$program" <"$work/in" >"$work/out" 2>"$work/err"
  status=$?
  dialogue $4 >"$work/out.a"
  dialogue $5 >"$work/out.b"
  if [ "$status" != 0 ]; then
    fail "$name" "exit status $status, expected 0"
  elif ! cmp -s "$work/out" "$work/out.a" && ! cmp -s "$work/out" "$work/out.b"; then
    fail "$name" "standard output is neither '= $4' nor '= $5':"
    tail -c 200 "$work/out" | od -c | tail -n 6
  elif compare "$name" "standard error" "$work/err.expected" "$work/err"; then
    passed=$((passed + 1))
  fi
}

# repeat TEXT COUNT: prints TEXT COUNT times, with nothing between.
repeat() {
  local i
  for ((i = 0; i < $2; i++)); do
    printf '%s' "$1"
  done
}

# finish: prints the closing count and exits with the group's status.
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" = 0 ]
  exit
}
