# Hardening: a build with the sanitizers, or one instrumented for the
# libFuzzer targets (defined beside the program in CMakeLists.txt).
#
# Included before the first target is defined, so the sanitizer flags reach
# the library, the program and every test alike.

option(ZORVEX_SANITIZE
  "Build everything with AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer" OFF)
option(ZORVEX_FUZZ "Build the libFuzzer targets (needs clang++)" OFF)

# A sanitizer report must end the run: an undefined-behaviour finding that
# only printed a line would let a test pass.
set(ZORVEX_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all
  -fno-omit-frame-pointer)

if(ZORVEX_SANITIZE)
  add_compile_options(${ZORVEX_SANITIZER_FLAGS})
  add_link_options(${ZORVEX_SANITIZER_FLAGS})
endif()

if(ZORVEX_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "ZORVEX_FUZZ needs clang++ (libFuzzer): configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  # The library gets the coverage instrumentation; only the fuzz targets
  # link libFuzzer's own main.
  add_compile_options(-fsanitize=fuzzer-no-link ${ZORVEX_SANITIZER_FLAGS})
  add_link_options(${ZORVEX_SANITIZER_FLAGS})
endif()
