#!/usr/bin/env bash
# Hostile bytes: NUL and bytes 0x80 to 0xFF inside names, numbers and
# command words, and control characters that terminals treat specially.
#
# The rules: every byte enters the line as one unit (bytes from 0x80 widened
# with their sign), only a line feed ends a line, and the tokenizer makes a
# token of its own of every unit that is neither a letter nor a number
# character. A NUL unit becomes a token of the empty kind: it takes a slot and
# ends the run before it, and every later stage passes over it. Neither kind
# of byte is ever a command word, so a line holding one is evaluated.
. "$(dirname "$0")/lib.sh"

undeclared() { printf "Error: Variable '%s' is undeclared. It is used as 0.0 .\\\\n" "$@"; }

# NUL splits a number: 1, an empty slot, 2; no operator, the first number.
check "nul inside a number" '1\x002\n' '' 1
# ...and the parts stay operands: 3*4 is reduced, the line's value is the 2.
check "nul between number parts" '2\x003*4\n' '' 2
# NUL splits a name: p and i are looked up on their own.
check "nul inside a name" 'p\x00i\n' "$(undeclared p i)" 0
# A name next to NUL has no neighbouring number, so no implicit product.
check "nul between number and name" '2\x00pi\n' '' 2
# NUL inside or after a command word: no command, the words are variables,
# and the run goes on to the next line.
check "nul inside exit" 'EX\x00IT\n1+1\n' "$(undeclared ex it)" 0 2
check "nul after exit" 'exit\x00\n1+1\n' "$(undeclared exit)" 0 2
check "nul before help" '\x00help\n' "$(undeclared help)" 0
check "nul only" '\x00\x00\x00\n' '' 0

# Bytes from 0x80 split names and numbers the same way.
check "high byte inside a name" 'p\xe9i\n' "$(undeclared p i)" 0
check "high byte inside a number" '1\xff2+3\n' '' 1
check "high byte before a sum" '\xff1+1\n' '' 2
check "high byte after a sum" '1+1\xff\n' '' 2
check "high byte inside exit" 'EX\x80IT\n' "$(undeclared ex it)" 0
check "high byte after showvars" 'showvars\xa0\n' "$(undeclared showvars)" 0
check "high byte inside help" 'H\xc9LP\n' "$(undeclared h lp)" 0
# caf, a high byte, =, 2: the name is not directly before '=', so it is
# looked up (undeclared, 0.000000 in slot 0); the assignment finds no name
# to its left and sets the unnamed variable, which SHOWVARS then lists first
# with 2. The line's value is the first number left: the 0 in slot 0.
printf 'caf\xe9=2\nshowvars\n' >"$work/in"
{ dialogue 0; printf '\n\t\t2\npi\t\t3.14159\nrad\t\t0\n\n> '; } >"$work/out.expected"
printf "$(undeclared caf)" >"$work/err.expected"
check_files "high byte before an assignment" "$work/in" "$work/out.expected" "$work/err.expected" 0

# Every byte from 0x80 to 0xFF in one line: 128 tokens of kinds no stage
# reduces, which fills the table exactly; the line has no number.
all_high=$(printf '\\x%x' $(seq 128 255))
check "all high bytes in one line" "$all_high\\n" '' 0
# One more unit is a 129th token: the line is not evaluated.
check "all high bytes and one more" "$all_high"'1\n' \
  'Error: Expression has more than 128 tokens. Returns 0.0 .\n' 0

# Control characters are plain tokens too: end-of-file and suspend keys, a
# carriage return inside the line, escape and delete.
check "control characters between operands" '1\x04+\x1a1\n' '' 2
check "escape and delete" '\x1b3\x7f*2\n' '' 6
check "form feed inside a number" '4\f5\n' '' 4
# A carriage return directly before the line feed is dropped: exit works.
check "exit with crlf" 'exit\r\n1+1\n' ''

finish
