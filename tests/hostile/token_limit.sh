#!/usr/bin/env bash
# The token table's edge: lines of exactly 128 tokens are evaluated as usual,
# lines of 129 are not evaluated at all (one error line, value 0, no
# variable read or assigned). Deep nesting, runs of bars and pairs reaching
# past the last slot must stay inside the table.
. "$(dirname "$0")/lib.sh"

too_many='Error: Expression has more than 128 tokens. Returns 0.0 .\n'
undeclared_x="Error: Variable 'x' is undeclared. It is used as 0.0 .\n"

# 64 ones and 64 plus signs: the last '+' has no right operand (0).
check "128 tokens of sums" "$(repeat '1+' 64)\\n" '' 64
check "129 tokens of sums" "$(repeat '1+' 64)1\\n" "$too_many" 0

# 127 opening brackets and a number: each bracket runs to the end of the
# table, the innermost holds the 1.
check "127 nested open brackets" "$(repeat '(' 127)1\\n" '' 1
check "127 nested brackets closed" "$(repeat '(' 127)1)\\n" "$too_many" 0
check "64 open and 63 closing brackets" "$(repeat '(' 64)2$(repeat ')' 63)\\n" '' 2

# Bars pair with the next bar and never nest: 128 bars are 64 empty pairs.
check "128 bars" "$(repeat '|' 128)\\n" '' 0
check "129 bars" "$(repeat '|' 129)\\n" "$too_many" 0
# 32 pairs around -1 (folded to + -1.000000): each is |0 + -1| = 1, and the
# first of them is the line's value.
check "32 bar pairs" "$(repeat '|-1|' 32)\\n" '' 1
check "32 bar pairs and one more bar" "$(repeat '|-1|' 32)|\\n" "$too_many" 0
# A 5 and 127 bars: the bar in slot 127 has an empty inside beyond the
# last slot (0); the 5 in slot 0 is the value.
check "bar in the last slot" "5$(repeat '|' 127)\\n" '' 5

# 63 function heads (a name and a bracket each), 16 and one ')': the
# innermost sqrt(16) is 4, and square roots repeated on six-decimal text
# reach 1.000000 long before the outermost head.
check "63 nested square roots" "$(repeat 'sqrt(' 63)16)\\n" '' 1

# An assignment of exactly 128 tokens happens; one of 129 does not, so x
# stays undeclared on the next line.
check "assignment of 128 tokens" "x=$(repeat '1+' 63)\\nx\\n" '' 63 63
check "assignment of 129 tokens" "x=$(repeat '1+' 63)1\\nx\\n" \
  "$too_many$undeclared_x" 0 0

# The pre-pass visits the pairs up to slots 126 and 127: a name in slot 127
# is never looked up (no error line), a name in slot 126 is.
check "name in slot 127" "$(repeat '1+' 63)1x\\n" '' 64
check "name in slot 126" "$(repeat '1+' 63)x\\n" "$undeclared_x" 63

# A full table does not leak into the next line.
check "full table then a short line" "$(repeat '1+' 64)\\n2\\n" '' 64 2

finish
