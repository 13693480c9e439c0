#!/usr/bin/env bash
# Lines of 100 MB, the last without a line feed. A line is read in one piece
# however long; the rules for its content are those of any line. What was
# printed before such a line, and the lines after it, are not lost.
. "$(dirname "$0")/lib.sh"

size=100000000
# fill BYTE COUNT: prints COUNT copies of BYTE.
fill() { head -c "$2" /dev/zero | tr '\0' "$1"; }
: >"$work/none"

# 100 MB of blanks ending in 2+2, without a line feed, after a short line.
{ printf '1+1\n'; fill ' ' $((size - 3)); printf '2+2'; } >"$work/in"
dialogue 2 4 >"$work/out.expected"
check_files "100 MB of blanks and a sum, no line feed" "$work/in" "$work/out.expected" "$work/none" 0

# 100 MB of digits: one number token far beyond the range, read as
# infinity; the next line is evaluated as usual.
{ fill 1 $size; printf '\n3*3'; } >"$work/in"
dialogue inf 9 >"$work/out.expected"
check_files "100 MB of digits" "$work/in" "$work/out.expected" "$work/none" 0

# 100 MB of opening brackets: 100 million tokens, far more than 128, so
# the line is not evaluated.
{ fill '(' $size; printf '\n3*3'; } >"$work/in"
dialogue 0 9 >"$work/out.expected"
printf 'Error: Expression has more than 128 tokens. Returns 0.0 .\n' >"$work/err.expected"
check_files "100 MB of brackets" "$work/in" "$work/out.expected" "$work/err.expected" 0

# 100 MB of letters: one undeclared name, named in full in its error line.
fill x $size >"$work/in"
dialogue 0 >"$work/out.expected"
{ printf "Error: Variable '"; fill x $size; printf "' is undeclared. It is used as 0.0 .\n"; } >"$work/err.expected"
check_files "100 MB of letters, no line feed" "$work/in" "$work/out.expected" "$work/err.expected" 0

finish
