#!/usr/bin/env bash
# The command line: every option, every exit status and the rules for FILE
# operands, one case a line.
#
# Usage: tests/cli_test.sh PROGRAM VERSION
set -u
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
source "$(dirname "$0")/verdict.sh"
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

printf '1+1\n' >one
printf 'x=3\n' >three
printf 'x*2\nexit\n4\n' >six_then_exit
printf '1+' >open_sum
mkdir directory
undeclared_y="Error: Variable 'y' is undeclared. It is used as 0.0 .\n"
hint=" (try 'zorvex --help')"

# check NAME STDIN OUT ERR STATUS ARGUMENT...: STDIN, OUT and ERR are printf
# formats of standard input and the exact standard output and error.
check() {
  local name=$1 status
  printf "$2" >stdin
  printf "$3" >out.expected
  printf "$4" >err.expected
  "$program" "${@:6}" <stdin >out 2>err
  status=$?
  [ "$status" = "$5" ] && cmp -s out out.expected && cmp -s err err.expected
  verdict "$name" $? "status $status (expected $5), output $(od -c out | head -3), errors $(cat err)"
}

# Expressions: bare values, one set of variables, standard input unread,
# commands as in the dialogue, status 3 once an error line was written.
check "expressions" '9\n' '2\n10\n' '' 0 -e 'x=2' --expression='x*5'
check "expression error" '' '0\n' "$undeclared_y" 3 -e 'y*2'
check "value kept after an error" '' '0\n3\n' "$undeclared_y" 3 -e y -e 1+2
check "exit ends the expressions" '' '1\n' '' 0 -e 1 -e EXIT -e 2
# The listing of the variables is the one the dialogue prints.
printf 'showvars\n' | "$program" -q >listing
"$program" -e showvars >out 2>err
status=$?
[ "$status" = 0 ] && [ -s listing ] && cmp -s out listing && [ ! -s err ]
verdict "showvars" $? "status $status, output $(od -c out | head -3), errors $(cat err)"

# Quiet runs and files: no banner, no prompts.
check "quiet" '1+2\ny\n' '= 3\n= 0\n' "$undeclared_y" 0 -q
check "files as one input" '' '= 2\n= 3\n= 6\n' '' 0 one three six_then_exit one
check "a line across files" '' '= 3\n' '' 0 open_sum one
check "dash is standard input" '5\n' '= 2\n= 5\n= 2\n' '' 0 one - one
check "unreadable files" '' '= 2\n= 3\n' \
  "zorvex: missing: No such file or directory\nzorvex: directory: Is a directory\n" 1 \
  one missing directory three
# A file whose read fails (the kernel refuses to read this one) is left
# like one that cannot be opened, and the files after it are still read.
check "a read error in one file" '' '= 2\n= 3\n' \
  "zorvex: /proc/self/mem: Input/output error\n" 1 one /proc/self/mem three
check "a name with a newline stays one line" '' '= 2\n' \
  "zorvex: new\\\\nline\\\\033: No such file or directory\n" 1 $'new\nline\033' one
# With four descriptors (three standard ones and one to spare) every file
# is still read: each is closed before the next is opened. A sanitizer's
# runtime opens files of its own, so a sanitized build is not held to it.
if ldd "$program" 2>/dev/null | grep -Eq 'lib(a|ub)san'; then
  echo "cli_test: files with one descriptor to spare: not run on a sanitized build"
else
  (
    # Descriptors the test runner left open would take the one to spare.
    for open_fd in /proc/$BASHPID/fd/*; do
      [ "${open_fd##*/}" -gt 2 ] && eval "exec ${open_fd##*/}>&-"
    done
    ulimit -n 4 && exec "$program" one three one
  ) >out 2>err
  status=$?
  [ "$status" = 0 ] && [ "$(cat out)" = $'= 2\n= 3\n= 2' ] && [ ! -s err ]
  verdict "files with one descriptor to spare" $? "status $status, output $(cat out), errors $(cat err)"
fi

# Usage errors: nothing on standard output, status 2.
check "unknown long option" '' '' "zorvex: unknown option '--bogus'$hint\n" 2 --bogus=1
check "unknown short option" '' '' "zorvex: unknown option '-x'$hint\n" 2 -qx
check "missing argument" '' '' "zorvex: option '-e' needs an argument$hint\n" 2 -e
check "long option given a value" '' '' "zorvex: option '--quiet' takes no value$hint\n" 2 \
  --quiet=1
check "abbreviated option given a value" '' '' "zorvex: option '--he' takes no value$hint\n" 2 \
  --he=x
check "missing long argument" '' '' "zorvex: option '--expression' needs an argument$hint\n" 2 \
  --expression
check "expressions and files" '' '' "zorvex: -e cannot be combined with FILE operands$hint\n" 2 \
  -e 1 one

# Help and version: standard output only, status 0.
check_first_line() {
  local name=$1 expected=$2 status
  shift 2
  "$program" "$@" >out 2>err
  status=$?
  [ "$status" = 0 ] && [ "$(head -n 1 out)" = "$expected" ] && [ ! -s err ]
  verdict "$name" $? "status $status, first line '$(head -n 1 out)'"
}
check_first_line "help" "Usage: zorvex [OPTION]... [FILE]..." --help
check_first_line "help wins" "Usage: zorvex [OPTION]... [FILE]..." -q -h -e 1
# Help wins over version too, whichever comes first.
check_first_line "help after version" "Usage: zorvex [OPTION]... [FILE]..." -V -h
check_first_line "help before version" "Usage: zorvex [OPTION]... [FILE]..." --help --version
check_first_line "version" "zorvex $version" -V
"$program" --version | grep -qx 'Copyright 2026 Zorvex developers; released under the MIT (Expat) licence'
verdict "version names the licence" $? "$("$program" --version)"

# Input that is the output file: refused before anything is evaluated.
printf '1+1\n' >loop
"$program" <loop >>loop 2>err
status=$?
printf 'zorvex: input file is output file\n' >err.expected
[ "$status" = 1 ] && cmp -s err err.expected && [ "$(cat loop)" = "1+1" ]
verdict "input is output" $? "status $status"
"$program" -q one loop >>loop 2>err
status=$?
printf 'zorvex: loop: input file is output file\n' >err.expected
[ "$status" = 1 ] && cmp -s err err.expected && [ "$(cat loop)" = "$(printf '1+1\n= 2')" ]
verdict "file operand is output" $? "status $status"

# An empty file as both input and output is no loop: there is nothing of
# its own to read back, not even the banner the dialogue writes into it,
# and the run is the one on any empty input. A run that reads its own
# output back is stopped by a limit on the file's size and on its time.
"$program" </dev/null >start_of_dialogue 2>/dev/null
for mode in "<empty >empty" "-q <empty >empty" "-q empty >>empty"; do
  : >empty
  (ulimit -f 100 && eval 'exec timeout 10 "$program" '"$mode"' 2>err')
  status=$?
  expected=/dev/null
  [ "${mode#-q}" = "$mode" ] && expected=start_of_dialogue
  [ "$status" = 0 ] && [ ! -s err ] && cmp -s empty "$expected"
  verdict "empty file in and out ($mode)" $? \
    "status $status, errors $(head -c 300 err), $(wc -c <empty) bytes written"
done

# Input that is the pipe the output goes into: its own answers would come
# back forever, and its reader would never see them.
timeout 10 "$program" -q one /dev/fd/1 2>err | cat >out
status=${PIPESTATUS[0]}
[ "$status" = 1 ] && [ "$(cat out)" = "= 2" ] &&
  [ "$(cat err)" = "zorvex: /dev/fd/1: input file is output file" ]
verdict "file operand is the output pipe" $? "status $status, errors $(cat err)"
timeout 10 "$program" </dev/fd/1 2>err | cat >out
status=${PIPESTATUS[0]}
[ "$status" = 1 ] && [ ! -s out ] && [ "$(cat err)" = "zorvex: input file is output file" ]
verdict "standard input is the output pipe" $? "status $status, errors $(cat err)"
# A terminal or /dev/null as both input and output is no loop.
"$program" -q </dev/null >/dev/null 2>err
status=$?
[ "$status" = 0 ] && [ ! -s err ]
verdict "/dev/null in and out" $? "status $status, errors $(cat err)"

# A standard descriptor the caller closed: a write to it still fails, and
# no file the program opens takes its number.
"$program" -q one >&- 2>err
status=$?
[ "$status" = 1 ] && [ "$(cat err)" = "zorvex: write error: Bad file descriptor" ]
verdict "standard output closed" $? "status $status, errors $(cat err)"
mkfifo held
for fd in 0 1 2; do
  eval '"$program" -q held '"$fd"'>&- &'
  pid=$!
  exec 4>held
  # Once the program has opened the pipe, it waits reading it.
  for _ in $(seq 100); do
    [ "$(readlink "/proc/$pid/fd/3")" = "$work/held" ] && break
    sleep 0.05
  done
  opened=$(readlink "/proc/$pid/fd/$fd")
  exec 4>&-
  wait "$pid"
  [ "$opened" = /dev/null ]
  verdict "descriptor $fd closed" $? "descriptor $fd is '$opened'"
done

# Status 1 for memory running out is checked by .ci/faults.sh, with the
# other failures it injects.

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
