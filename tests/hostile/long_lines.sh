#!/usr/bin/env bash
# Long lines and long inputs that stay within a few megabytes: blanks and
# tabs vanish wherever they stand, a run of digits or letters is one token
# however long, and no result of a long input goes missing.
. "$(dirname "$0")/lib.sh"

# blanks COUNT: prints COUNT blanks.
blanks() { head -c "$1" /dev/zero | tr '\0' ' '; }

# 10 million blanks, then 1+1: the blanks go, the sum is 2.
{ blanks 10000000; printf '1+1\n'; } >"$work/in"
dialogue 2 >"$work/out.expected"
: >"$work/none"
check_files "10 million blanks before 1+1" "$work/in" "$work/out.expected" "$work/none" 0

# Blanks and tabs inside a number join its digits: 1, 2 and 3 make 123.
{ printf '1'; blanks 3000000; printf '2'; head -c 3000000 /dev/zero | tr '\0' '\t'; printf '3\n'; } >"$work/in"
dialogue 123 >"$work/out.expected"
check_files "blanks and tabs inside a number" "$work/in" "$work/out.expected" "$work/none" 0

# A result printed before a long line and one after it both arrive.
{ printf '1+1\n'; blanks 5000000; printf '\n'; blanks 5000000; printf '2*3\n'; } >"$work/in"
dialogue 2 0 6 >"$work/out.expected"
check_files "results around long lines" "$work/in" "$work/out.expected" "$work/none" 0

# A name of a million letters is looked up and named in full in its error
# line; a million digits read as one number beyond the range.
{ head -c 1000000 /dev/zero | tr '\0' 'q'; printf '\n'; head -c 1000000 /dev/zero | tr '\0' '7'; printf '\n'; } >"$work/in"
dialogue 0 inf >"$work/out.expected"
{ printf "Error: Variable '"; head -c 1000000 /dev/zero | tr '\0' 'q'; printf "' is undeclared. It is used as 0.0 .\n"; } >"$work/err.expected"
check_files "a million letters, a million digits" "$work/in" "$work/out.expected" "$work/err.expected" 0

# 200,000 lines: every one of them gets its result, in order.
seq 1 200000 | sed 's/$/+0.5/' >"$work/in"
{ cat "$start_file"; awk 'BEGIN { for (i = 1; i <= 200000; i++) printf "= %d.5\n> ", i }'; } >"$work/out.expected"
check_files "200,000 lines" "$work/in" "$work/out.expected" "$work/none" 0

finish
