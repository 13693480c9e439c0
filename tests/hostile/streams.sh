#!/usr/bin/env bash
# Standard input that is closed or empty, and standard output that cannot be
# written: a full device, a closed descriptor, a pipe whose reader has gone.
#
# The rules: input that ends before a line ends the run as EXIT does; input
# that cannot be read is a failure. Output that cannot be written is a failure, never a
# success: one line "zorvex: write error: " and the system's reason on
# standard error, exit status 1, and no waiting for more input. With SIGPIPE
# at its default, a closed pipe ends the program by that signal, as it ends
# any filter. No case may hang: each runs under a generous time limit.
. "$(dirname "$0")/lib.sh"

# Runs a case's shell command with a time limit far beyond what it needs; a
# run that reaches the limit has hung.
limit=60
run_limited() {
  timeout -k 5 "$limit" bash -c "$1"
}

# check_write_error NAME REASON COMMAND: COMMAND runs the program with its
# standard error in $work/err; the program must exit 1 with exactly one
# error line.
check_write_error() {
  local name=$1 reason=$2 status
  run_limited "$3"
  status=$?
  printf 'zorvex: write error: %s\n' "$reason" >"$work/err.expected"
  if [ "$status" = 124 ] || [ "$status" = 137 ]; then
    fail "$name" "did not end within $limit s"
  elif [ "$status" != 1 ]; then
    fail "$name" "exit status $status, expected 1"
  elif compare "$name" "standard error" "$work/err.expected" "$work/err"; then
    passed=$((passed + 1))
  fi
}

export program work

# Empty input ends the run as EXIT does. Input that cannot be read is a
# failure: the banner and prompt already written stay, then one line
# "zorvex: read error: " and the reason, and status 1.
: >"$work/empty"
check_files "input empty" "$work/empty" "$start_file" "$work/empty" 0
printf 'zorvex: read error: Is a directory\n' >"$work/err.directory"
check_files "input a directory" "$root" "$start_file" "$work/err.directory" 1
"$program" <&- >"$work/out" 2>"$work/err"
status=$?
printf 'zorvex: read error: Bad file descriptor\n' >"$work/err.closed"
if [ "$status" = 1 ] && cmp -s "$work/out" "$start_file" && cmp -s "$work/err" "$work/err.closed"; then
  passed=$((passed + 1))
else
  fail "input closed" "status $status; output or errors differ from a failed read"
fi

# A full device: nothing of the run can be written.
printf '1+1\n' >"$work/short"
yes '1+1' | head -n 100000 >"$work/long"
check_write_error "full device, short input" "No space left on device" \
  '"$program" <"$work/short" >/dev/full 2>"$work/err"'
check_write_error "full device, long input" "No space left on device" \
  '"$program" <"$work/long" >/dev/full 2>"$work/err"'
# Input that stays open after its first line, as from a person at a
# keyboard: the failure is found when the program would wait for the next
# line, and it ends instead of waiting.
mkfifo "$work/fifo"
timeout -k 5 "$limit" "$program" <"$work/fifo" >/dev/full 2>"$work/err" &
waiting=$!
exec 3>"$work/fifo"
echo 1+1 >&3
wait "$waiting"
status=$?
exec 3>&-
printf 'zorvex: write error: No space left on device\n' >"$work/err.expected"
if [ "$status" != 1 ]; then
  fail "full device, waiting input" "exit status $status, expected 1 (124: it waited)"
elif compare "full device, waiting input" "standard error" "$work/err.expected" "$work/err"; then
  passed=$((passed + 1))
fi
# A closed standard output.
check_write_error "output closed" "Bad file descriptor" \
  '"$program" <"$work/short" >&- 2>"$work/err"'

# A pipe whose reader leaves after the first line, with SIGPIPE ignored:
# the program ends with the error line, both for a long finite input and an
# endless one, and the reader got the banner's first line.
first_line=$(head -n 1 "$start_file")
printf 'zorvex: write error: Broken pipe\n' >"$work/pipe.expected"
# check_pipe NAME SOURCE DISPOSITION EXPECTED-STATUS ERROR-FILE: SOURCE feeds
# the program, whose output goes to a reader of one line; the program runs
# with SIGPIPE set to DISPOSITION (ignore or default).
check_pipe() {
  local name=$1 status
  run_limited "{ $2; } 2>/dev/null | { env --$3-signal=PIPE \"\$program\" 2>\"\$work/err\"; echo \$? >\"\$work/status\"; } | head -n 1 >\"\$work/out\""
  status=$?
  if [ "$status" = 124 ] || [ "$status" = 137 ]; then
    fail "$name" "did not end within $limit s"
  elif [ "$(cat "$work/status")" != "$4" ]; then
    fail "$name" "exit status $(cat "$work/status"), expected $4"
  elif [ "$(cat "$work/out")" != "$first_line" ]; then
    fail "$name" "the reader did not get the banner's first line"
  elif compare "$name" "standard error" "$5" "$work/err"; then
    passed=$((passed + 1))
  fi
}
check_pipe "closed pipe, SIGPIPE ignored, long input" "yes 1+1 | head -c 100000000" \
  ignore 1 "$work/pipe.expected"
check_pipe "closed pipe, SIGPIPE ignored, endless input" "yes 1+1" \
  ignore 1 "$work/pipe.expected"
# With SIGPIPE at its default the signal ends the program (status 128 + 13)
# before it can write anything to standard error.
check_pipe "closed pipe, SIGPIPE default, endless input" "yes 1+1" \
  default 141 "$work/empty"

# Interrupted and not-ready calls are retried: a read or write that a
# signal caught without SA_RESTART interrupts fails with EINTR, and one on
# a non-blocking descriptor with nothing to move fails with EAGAIN. strace
# makes every second read of the input and every second write of the
# output and error files fail so (-P: the calls on those files alone, not
# those of the loader or of a sanitizer's runtime), and the dialogue must
# be byte for byte what it is without. LeakSanitizer cannot work under
# strace; the leaks of these runs are those of any other.
if ! command -v strace >/dev/null 2>&1; then
  fail "interrupted reads and writes" "strace is missing (scripts/install-deps installs it)"
else
  # A dialogue with everything that writes: results, error lines, screens.
  for i in $(seq 1 300); do
    printf 'v%d=%d*%d\n%d/0\n' "$i" "$i" "$i" "$i"
    [ $((i % 100)) = 0 ] && printf 'showvars\nhelp\nundeclared%d\n' "$i"
  done >"$work/in"
  printf 'exit\n' >>"$work/in"
  "$program" <"$work/in" >"$work/out.expected" 2>"$work/err.expected"
  expected_status=$?
  for error in EINTR EAGAIN; do
    name="every second read and write failing with $error"
    ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" strace -o "$work/trace" \
      -P "$work/in" -P "$work/out" -P "$work/err" -e trace=read,write \
      -e inject=read:error=$error:when=1+2 -e inject=write:error=$error:when=2+2 \
      "$program" <"$work/in" >"$work/out" 2>"$work/err"
    status=$?
    if [ "$(grep -c "$error.*(INJECTED)" "$work/trace")" -lt 100 ]; then
      fail "$name" "fewer than 100 calls failed: $(grep -c INJECTED "$work/trace")"
    elif [ "$status" != "$expected_status" ]; then
      fail "$name" "exit status $status, expected $expected_status"
    elif compare "$name" "standard output" "$work/out.expected" "$work/out" &&
      compare "$name" "standard error" "$work/err.expected" "$work/err"; then
      passed=$((passed + 1))
    fi
  done
fi

# Error lines that cannot be written have nowhere to be reported; the
# results on standard output are complete and the run succeeds.
printf '1/0\n2+2\n' >"$work/in"
dialogue 1 4 >"$work/out.expected"
for target in '2>/dev/full' '2>&-'; do
  run_limited "\"\$program\" <\"\$work/in\" >\"\$work/out\" $target"
  status=$?
  if [ "$status" = 0 ] && compare "error stream $target" "standard output" "$work/out.expected" "$work/out"; then
    passed=$((passed + 1))
  else
    fail "error stream $target" "status $status, expected 0"
  fi
done

finish
