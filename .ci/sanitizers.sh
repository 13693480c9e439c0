#!/usr/bin/env bash
# The whole test suite (unit tests, transcripts, hostile inputs) on a build of
# the library, the program and every test with AddressSanitizer,
# LeakSanitizer and UndefinedBehaviorSanitizer. Any report fails the run: the
# sanitizers stop the program with an exit status of their own and their
# report lands on standard error, which every test compares.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps ci
build=build-asan
cmake -S . -B "$build" -DZORVEX_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2

# Leaks are traced with the full unwinder, so that a leak inside a system
# library (which keeps no frame pointers) is attributed to that library and
# matched by the suppressions, while every leak of our own still fails.
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:exitcode=86:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1:fast_unwind_on_malloc=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:exitcode=86
export LSAN_OPTIONS=exitcode=86:suppressions=$PWD/.ci/lsan.supp:print_suppressions=0
# The model's self-check runs no program, and the browser test checks a
# page that holds none of this build: ctest's own run has them already.
ctest --test-dir "$build" --output-on-failure -j2 -E '^(model\.self_check|web\.browser)$'

# Two calculators of the library in two threads at once, under clang's
# ThreadSanitizer: a build of the test binary for that one test.
tsan=build-tsan
cmake -S . -B "$tsan" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS=-fsanitize=thread \
  -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread >/dev/null
cmake --build "$tsan" -j2 --target zorvex_tests
TSAN_OPTIONS=halt_on_error=1:exitcode=86 "$tsan/zorvex_tests" \
  --gtest_filter='ZorvexApiTest.TwoHandlesInTwoThreadsAtOnce'
