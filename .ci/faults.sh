#!/usr/bin/env bash
# Fault injection against the optimised build: failing reads and writes
# (strace's system-call tampering) and exhausted memory (ulimit -v); the
# interrupted and not-ready ones are a case of tests/hostile/streams.sh,
# which ctest runs. The program must never die by a signal, never take a
# failure for the end of its input, never evaluate a line a failure cut
# short, and never lose a result it computed. One line per failed case.
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps ci || exit 1
build=build
cmake -S . -B "$build" >/dev/null && cmake --build "$build" -j2 --target zorvex >/dev/null || exit 1
program=$PWD/$build/zorvex
source tests/verdict.sh
command -v strace >/dev/null || { echo "faults: strace is missing"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1

# Sums whose results are all different, so a lost, repeated or torn line
# shows: line N is N+1 and prints N+1.
seq 1 100000 | sed 's/$/+1/' >sums

# nth_read_of_stdin TRACE M: the position, among all the program's reads,
# of its M-th read of standard input. The loader and the C library read
# files of their own first, so the count differs between builds.
nth_read_of_stdin() {
  grep -n '^read(' "$1" | grep -n ':read(0,' | sed -n "$2{s/^[0-9]*:\([0-9]*\):.*/\1/p}"
}

"$program" -q <sums >sums.expected 2>&1
strace -o trace -e trace=read "$program" -q <sums >/dev/null 2>&1
stdin_reads=$(grep -c '^read(0,' trace)

# A read error at the first and at a middle read of standard input: the
# message, status 1, and exactly the results of the whole lines read
# before it; the line the failure cut short is not evaluated.
for m in 1 $((stdin_reads / 2)); do
  at=$(nth_read_of_stdin trace "$m")
  strace -o injected -e trace=read -e inject=read:error=EIO:when="$at" \
    "$program" -q <sums >out 2>err
  status=$?
  # What the reads before the failure delivered, in whole lines.
  delivered=$(grep '^read(0,' injected | head -n $((m - 1)) | sed 's/.*= //' | awk '{s+=$1} END {print s+0}')
  lines=$(head -c "${delivered:-0}" sums | wc -l)
  head -n "$lines" sums.expected >expected
  [ "$status" = 1 ] && cmp -s out expected &&
    [ "$(cat err)" = "zorvex: read error: Input/output error" ]
  verdict "EIO at read $m of $stdin_reads" $? \
    "status $status, $(wc -l <out) results for $lines whole lines, errors: $(head -c 300 err)"
done

# A write that fails (a full disk, a broken device) ends the run with
# status 1 and one line naming the failure, however far the output got.
# A full disk from the first write on is ctest's (hostile.streams, on
# /dev/full).
seq 1 200000 | sed 's/$/+1/' >many
strace -o trace -e trace=write "$program" -q <many >/dev/null 2>&1
writes=$(grep -c '^write(1,' trace)
for error in ENOSPC:"No space left on device" EIO:"Input/output error"; do
  for n in 1 $((writes / 2)) "$writes"; do
    [ "$n" = 1 ] && [ "${error%%:*}" = ENOSPC ] && continue
    strace -o /dev/null -e trace=write -e inject=write:error="${error%%:*}":when="$n" \
      "$program" -q <many >out 2>err
    status=$?
    [ "$status" = 1 ] && [ "$(cat err)" = "zorvex: write error: ${error#*:}" ]
    verdict "${error%%:*} at write $n of $writes" $? "status $status, errors: $(head -c 300 err)"
  done
done

# Exhausted memory: never a death by signal; every result computed is
# written, then the message, status 1. Only this optimised build can be
# limited so: the sanitizers' shadow memory alone exceeds the limit.
limit=300000
# run_limited INPUT: the program under the memory limit, quiet.
run_limited() {
  (ulimit -v $limit && exec "$program" -q) <"$1" >out 2>err
}
out_of_memory="zorvex: out of memory"

# Many variables: the table grows until it cannot. The line after the last
# result must be the one that ran out: the same input cut just after it
# still runs out, so no result of an evaluated line was lost.
# Names are letters only: the number in base 26, written a to z.
seq 1 4000000 | awk '{ n = $1; name = ""
  while (n > 0) { name = substr("abcdefghijklmnopqrstuvwxyz", n % 26 + 1, 1) name; n = int(n / 26) }
  print name "=" $1 }' >variables
run_limited variables
status=$?
results=$(wc -l <out)
seq 1 "$results" | sed 's/^/= /' >expected
cmp -s out expected && [ "$status" = 1 ] && [ "$(cat err)" = "$out_of_memory" ]
verdict "variables until memory runs out" $? \
  "status $status, $results results, errors: $(head -c 300 err)"
head -n $((results + 1)) variables >variables.cut
run_limited variables.cut
status=$?
cmp -s out expected && [ "$status" = 1 ]
verdict "the line after the last result is the one that ran out" $? \
  "status $status, $(wc -l <out) results (expected $results)"

# One endless line, and one too long after two results.
run_limited /dev/zero
status=$?
[ "$status" = 1 ] && [ ! -s out ] && [ "$(cat err)" = "$out_of_memory" ]
verdict "/dev/zero" $? "status $status, errors: $(head -c 300 err)"
{ printf '1+1\n2+2\n'; head -c 400000000 /dev/zero | tr '\0' 7; } >long
run_limited long
status=$?
[ "$status" = 1 ] && [ "$(cat out)" = $'= 2\n= 4' ] && [ "$(cat err)" = "$out_of_memory" ]
verdict "a long line after two results" $? "status $status, errors: $(head -c 300 err)"

# Memory that runs out before the dialogue starts (the command line, the
# buffers, the first allocations of each mode), limit by limit: every run
# either does its work or says "out of memory" with status 1; at the lowest
# limits the loader itself may refuse to start the program (127). prlimit
# sets the limit, as a shell under it could not even pass the long options.
long_expression=$(head -c 20000 /dev/zero | tr '\0' 1)
forty=()
for i in $(seq 1 40); do forty+=(--expression="$long_expression+1"); done
printf '1+1\n' >two
for mode in quiet expressions files help; do
  unsound=
  for limit_kib in $(seq 3000 200 16000); do
    limited=(prlimit --as=$((limit_kib * 1024)) "$program")
    case $mode in
      quiet) "${limited[@]}" -q <two >out 2>err ;;
      expressions) "${limited[@]}" "${forty[@]}" </dev/null >out 2>err ;;
      files) "${limited[@]}" two two </dev/null >out 2>err ;;
      help) "${limited[@]}" --help </dev/null >out 2>err ;;
    esac
    status=$?
    case $status in
      0) [ -s out ] && [ ! -s err ] ;;
      1) [ "$(cat err)" = "$out_of_memory" ] ;;
      127) grep -q 'error while loading shared libraries' err ;;
      *) false ;;
    esac || { unsound="at $limit_kib KiB status $status, errors: $(head -c 300 err)"; break; }
  done
  [ -z "$unsound" ]
  verdict "$mode under every memory limit" $? "$unsound"
done

echo "faults: $passed passed, $failed failed"
[ "$failed" = 0 ]
