#!/usr/bin/env bash
# Lines of 100 MB, the last without a line feed. A line is read in one piece
# however long; the rules for its content are those of any line. What was
# printed before such a line, and the lines after it, are not lost. Such a
# line costs at most three times its size in memory at its peak, and once
# it is done the memory is given back: a run waiting for its next line is
# as small as one that never saw the long line.
. "$(dirname "$0")/lib.sh"

size=100000000
# The peak memory allowed for a line of `size` bytes, in KiB.
peak_limit=$((3 * size / 1024))
# What a run may keep beyond an empty run once a long line is done, in KiB.
kept_limit=4096
# fill BYTE COUNT: prints COUNT copies of BYTE.
fill() { head -c "$2" /dev/zero | tr '\0' "$1"; }
: >"$work/none"

# The memory of a run that has read nothing and waits for its first line.
check_held "an empty run" "$work/none" "$start_file" "$work/none"
empty_rss=$rss

# check_line_memory NAME: the last check_held run peaked within peak_limit
# and waits with no more memory than an empty run, within kept_limit.
check_line_memory() {
  if memory_checked; then
    check_memory "$1" "peak memory" "$peak" "$peak_limit"
    check_memory "$1" "memory kept after the line" "$rss" $((empty_rss + kept_limit))
  fi
}

# 100 MB of blanks ending in 2+2, without a line feed, after a short line.
{ printf '1+1\n'; fill ' ' $((size - 3)); printf '2+2'; } >"$work/in"
dialogue 2 4 >"$work/out.expected"
check_files "100 MB of blanks and a sum, no line feed" "$work/in" "$work/out.expected" "$work/none" 0

# 100 MB of blanks, then 1+1 and short lines.
{ fill ' ' $((size - 3)); printf '1+1\n2*3\n'; } >"$work/in"
dialogue 2 6 >"$work/out.expected"
check_held "100 MB of blanks, then short lines" "$work/in" "$work/out.expected" "$work/none"
check_line_memory "100 MB of blanks, then short lines"

# 100 MB of digits: one number token far beyond the range, read as
# infinity; the next lines are evaluated as usual.
{ fill 1 $size; printf '\n3*3\n1+1\n'; } >"$work/in"
dialogue inf 9 2 >"$work/out.expected"
check_held "100 MB of digits" "$work/in" "$work/out.expected" "$work/none"
check_line_memory "100 MB of digits"

# 50 MB of digits between two short lines, which all reuse the same slots.
{ printf '2+2\n'; fill 7 $((size / 2)); printf '\n3*3\n'; } >"$work/in"
dialogue 4 inf 9 >"$work/out.expected"
check_held "50 MB of digits between short lines" "$work/in" "$work/out.expected" "$work/none"
check_line_memory "50 MB of digits between short lines"

# 100 MB of opening brackets: 100 million tokens, far more than 128, so
# the line is not evaluated.
{ fill '(' $size; printf '\n3*3'; } >"$work/in"
dialogue 0 9 >"$work/out.expected"
printf 'Error: Expression has more than 128 tokens. Returns 0.0 .\n' >"$work/err.expected"
check_files "100 MB of brackets" "$work/in" "$work/out.expected" "$work/err.expected" 0

# 100 MB of letters: one undeclared name, named in full in its error line.
{ fill x $size; printf '\n'; } >"$work/in"
dialogue 0 >"$work/out.expected"
{ printf "Error: Variable '"; fill x $size; printf "' is undeclared. It is used as 0.0 .\n"; } >"$work/err.expected"
check_held "100 MB of letters" "$work/in" "$work/out.expected" "$work/err.expected"
check_line_memory "100 MB of letters"
fill x $size >"$work/in"
dialogue 0 >"$work/out.expected"
check_files "100 MB of letters, no line feed" "$work/in" "$work/out.expected" "$work/err.expected" 0

# A line longer than the 2,147,483,646 characters a line may have, here
# 2,147,483,658 digits: refused with a message and status 1, never given a
# value (its length does not fit the positions the evaluation counts in).
# The run holds the line, twice its size, so it needs memory to spare.
over_long=2147483658
available=$(sed -n 's/^MemAvailable:[[:space:]]*\([0-9]*\) kB/\1/p' /proc/meminfo)
if ! memory_checked || [ "${available:-0}" -lt $((3 * over_long / 1024)) ]; then
  echo "skipped: a line of $over_long digits (needs $((3 * over_long / 1048576)) MiB free)"
else
  { fill 1 $over_long; printf '\n1+1\n'; } | "$program" -q >"$work/out" 2>"$work/err"
  status=$?
  printf 'zorvex: line too long\n' >"$work/err.expected"
  ok=0
  [ "$status" = 1 ] || { fail "a line of $over_long digits" "exit status $status, expected 1"; ok=1; }
  compare "a line of $over_long digits" "standard output" "$work/none" "$work/out" || ok=1
  compare "a line of $over_long digits" "standard error" "$work/err.expected" "$work/err" || ok=1
  [ $ok = 0 ] && passed=$((passed + 1))
fi

finish
