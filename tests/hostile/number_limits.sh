#!/usr/bin/env bash
# Values at the limits of a double. Every intermediate result is written as
# "%f" text in full, never truncated, and read back by the C library's
# decimal conversion; infinities and NaNs pass through that text as the C
# library writes and reads them, and are printed by "%.15g".
. "$(dirname "$0")/lib.sh"

divide_by_zero='Error: Divide by zero!\n'
# The largest double, 1.7976931348623157e308, written out in its 309 digits.
largest="17976931348623157$(repeat 0 292)"

# 10^308 survives its 309-digit text; ten times it overflows to infinity.
check "ten to the 308" '10^308\n' '' 1e+308
check "ten to the 308 times ten" '10^308*10\n' '' inf
check "ten to the 400" '10^400\n' '' inf
# 10 ^ + -400.000000 after the minus folds: the power underflows to 0.
check "ten to the minus 400" '10^-400\n' '' 0
check "two to the minus 1074" '2^-1074\n' '' 0
# 1e-12 has the six-decimal text 0.000000.
check "tiny quotient" '0.000001/1000000\n' '' 0
check "tiny literal keeps its digits" '0.000001\n' '' 1e-06
check "tiny product" '0.000001*1\n0.0000001*1\n' '' 1e-06 0
# The largest double as a literal, through the text of a product, and
# overflowing; a literal beyond the range reads as infinity.
check "largest double" "$largest\\n$largest*1\\n$largest*10\\n" '' \
  1.79769313486232e+308 1.79769313486232e+308 inf
check "literal beyond the range" "$(repeat 1 400)\\n$(repeat 1 400)+1\\n" '' inf inf
# A huge value kept in a variable enters later lines unchanged.
check "huge variable" 'big=10^308\nbig*1\nbig/10^308\n' '' 1e+308 1e+308 1
# An infinity minus through a bracket, and an infinite divisor.
check "minus infinity" '0-(10^400)\n' '' -inf
check "divided by infinity" '1/10^400\n' '' 0
# cot(0) is 1/tan(0): an infinity, with no message of the program's own.
check "cot of zero" 'cot(0)\n' '' inf
# sqrt(-0): inside the call, + -0.000000 has no left operand, so 0 + -0 is
# 0, which is not negative: no error line.
check "square root of minus zero" 'sqrt(-0)\n' '' 0
check "square root of a negative" 'sqrt(-1)\n' "Error: Parameter of sqrt() can't be negative.\\n" 0
# asin(2) is not a number; its sign is the C library's.
check_either "arcsine of two" 'asin(2)\n' '' nan -nan
check_either "not a number times zero" 'asin(2)*0\n' '' nan -nan
check_either "infinity over infinity" '10^400/10^400\n' '' nan -nan
# A NaN divisor is a division by zero: the dividend stays and is the value.
check "divided by not a number" '1/asin(2)\n' "$divide_by_zero" 1
# A NaN in rad means degrees; the sqrt of a NaN is an error.
check "sqrt of not a number" 'sqrt(asin(2))\n' "Error: Parameter of sqrt() can't be negative.\\n" 0
check_either "rad not a number means degrees" 'rad=asin(2)\nsin(90)\n' '' 'nan 1' '-nan 1'

finish
