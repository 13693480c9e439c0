# Hardening: a build with the sanitizers, the libFuzzer targets and the
# hostile-input tests.
#
# Included before the first target is defined, so the sanitizer flags reach
# the library, the program and every test alike. Targets and tests of this
# file are defined at the end of the top directory, once the library and the
# program exist.

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

function(zorvex_hardening_targets)
  if(ZORVEX_FUZZ)
    foreach(target console line api)
      add_executable(zorvex_fuzz_${target} ${PROJECT_SOURCE_DIR}/fuzz/${target}_fuzz.cpp)
      target_link_libraries(zorvex_fuzz_${target} PRIVATE zorvex_console)
      target_link_options(zorvex_fuzz_${target} PRIVATE -fsanitize=fuzzer)
    endforeach()
  endif()

  if(ZORVEX_BUILD_TESTS)
    # Each script is one group of hostile inputs run against the program;
    # it prints one line per failed case and exits non-zero on any.
    set(hostile ${PROJECT_SOURCE_DIR}/tests/hostile)
    foreach(group bytes token_limit number_limits streams long_lines)
      add_test(NAME hostile.${group}
        COMMAND bash ${hostile}/${group}.sh $<TARGET_FILE:zorvex> ${PROJECT_SOURCE_DIR}
                ${ZORVEX_TEST_BANNER})
      set_tests_properties(hostile.${group} PROPERTIES TIMEOUT 300)
    endforeach()
    # The 100 MB line alone: it is the one case whose run time grows with
    # the speed of the machine and the build.
    add_test(NAME hostile.huge_line
      COMMAND bash ${hostile}/huge_line.sh $<TARGET_FILE:zorvex> ${PROJECT_SOURCE_DIR}
              ${ZORVEX_TEST_BANNER})
    set_tests_properties(hostile.huge_line PROPERTIES TIMEOUT 900 RUN_SERIAL TRUE)
    if(ZORVEX_SANITIZE)
      # Freed memory stays in the sanitizers' quarantine: the program's own
      # use of memory cannot be measured.
      set_tests_properties(hostile.huge_line PROPERTIES ENVIRONMENT ZORVEX_SANITIZED=1)
    endif()
  endif()
endfunction()

cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL zorvex_hardening_targets)
