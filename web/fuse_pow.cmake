# Turns the LLVM text of the C library's pow into the page's pow: each
# multiply-add the compiler contracted, and each fma the source wrote,
# becomes a call to zorvex_exact_fma, and the function is renamed so that
# it stands beside the library's own pow. Run with -DIN=<.ll> -DOUT=<.ll>.
file(READ ${IN} text)
string(REGEX REPLACE "\ndeclare double @llvm\\.(fmuladd|fma)\\.f64\\([^\n]*" "" text "${text}")
string(REGEX REPLACE "@llvm\\.(fmuladd|fma)\\.f64" "@zorvex_exact_fma" text "${text}")
string(APPEND text "\ndeclare double @zorvex_exact_fma(double, double, double)\n")
file(WRITE ${OUT} "${text}")
