# Every test of the build is registered here, one function per kind of
# test, in the order ctest lists them.
#
# Included at the end of CMakeLists.txt when the tests are built, once the
# library, the program and the installed files are defined.

enable_testing()
include(GoogleTest)
find_package(Python3 COMPONENTS Interpreter)

# zorvex_unit_tests(TARGET LIBRARY SOURCE...): a GoogleTest program of the
# SOURCEs linked with LIBRARY, each of its tests a ctest test of its own.
function(zorvex_unit_tests target library)
  add_executable(${target} ${ARGN})
  target_link_libraries(${target} PRIVATE ${library} GTest::gtest_main)
  gtest_discover_tests(${target})
endfunction()

# zorvex_script_test(NAME COMMAND... [SKIP_RETURN_CODE code] [TIMEOUT seconds]
#                    [RUN_SERIAL]): a test that runs COMMAND, a script of
# tests/ with its arguments; a script exits 77 when a tool it needs is
# missing, where SKIP_RETURN_CODE says so.
function(zorvex_script_test name)
  cmake_parse_arguments(PARSE_ARGV 1 test "RUN_SERIAL" "SKIP_RETURN_CODE;TIMEOUT" "")
  add_test(NAME ${name} COMMAND ${test_UNPARSED_ARGUMENTS})
  if(DEFINED test_SKIP_RETURN_CODE)
    set_tests_properties(${name} PROPERTIES SKIP_RETURN_CODE ${test_SKIP_RETURN_CODE})
  endif()
  if(DEFINED test_TIMEOUT)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${test_TIMEOUT})
  endif()
  if(test_RUN_SERIAL)
    set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE)
  endif()
endfunction()

# zorvex_transcript_tests(): one test per end-to-end transcript: each
# tests/transcripts/NAME.in is fed to the program and its standard output,
# standard error and exit code are compared with the NAME.out, NAME.err and
# NAME.code files beside it. Sets ZORVEX_TRANSCRIPT_INPUTS to the inputs.
function(zorvex_transcript_tests)
  file(GLOB inputs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/transcripts/*.in)
  foreach(input ${inputs})
    get_filename_component(name ${input} NAME_WE)
    zorvex_script_test(transcript.${name} ${PROJECT_SOURCE_DIR}/tests/run_transcript.sh
      $<TARGET_FILE:zorvex> ${PROJECT_SOURCE_DIR}/tests/transcripts/${name} ${ZORVEX_TEST_BANNER})
  endforeach()
  set(ZORVEX_TRANSCRIPT_INPUTS ${inputs} PARENT_SCOPE)
endfunction()

# zorvex_hostile_test(GROUP [TIMEOUT seconds] [RUN_SERIAL]): one group of
# hostile inputs run against the program (tests/hostile/GROUP.sh), which
# prints one line per failed case and exits non-zero on any; five minutes
# unless TIMEOUT says otherwise.
function(zorvex_hostile_test group)
  cmake_parse_arguments(PARSE_ARGV 1 hostile "RUN_SERIAL" "TIMEOUT" "")
  if(NOT DEFINED hostile_TIMEOUT)
    set(hostile_TIMEOUT 300)
  endif()
  set(serial)
  if(hostile_RUN_SERIAL)
    set(serial RUN_SERIAL)
  endif()
  zorvex_script_test(hostile.${group} bash ${PROJECT_SOURCE_DIR}/tests/hostile/${group}.sh
    $<TARGET_FILE:zorvex> ${PROJECT_SOURCE_DIR} ${ZORVEX_TEST_BANNER}
    TIMEOUT ${hostile_TIMEOUT} ${serial})
endfunction()

# The unit tests, beside their code.
zorvex_unit_tests(zorvex_tests zorvex_console ${ZORVEX_TEST_SOURCES})
target_compile_definitions(zorvex_tests PRIVATE
  ZORVEX_TEST_BANNER="${ZORVEX_TEST_BANNER}"
  ZORVEX_TEST_VERSION="${PROJECT_VERSION}"
  ZORVEX_TEST_TRANSCRIPTS="${PROJECT_SOURCE_DIR}/tests/transcripts")
# The C library when memory runs out: a program of its own, as it replaces
# the global operator new.
zorvex_unit_tests(zorvex_memory_tests zorvex_core ${ZORVEX_MEMORY_TEST_SOURCES})

# The program at a real terminal, driven through tmux: recall with the up
# arrow, and the same screen as without the editor for plain lines.
if(ZORVEX_HAVE_LIBEDIT)
  zorvex_script_test(terminal ${PROJECT_SOURCE_DIR}/tests/terminal_test.sh $<TARGET_FILE:zorvex>
    SKIP_RETURN_CODE 77)
endif()

zorvex_transcript_tests()

# The command line: options, exit statuses and FILE operands.
zorvex_script_test(cli ${PROJECT_SOURCE_DIR}/tests/cli_test.sh $<TARGET_FILE:zorvex>
  ${PROJECT_VERSION})

if(Python3_FOUND)
  # The program as a coprocess: each answer must arrive before the next
  # line is sent, however the output is gathered.
  zorvex_script_test(coprocess ${Python3_EXECUTABLE}
    ${PROJECT_SOURCE_DIR}/tests/coprocess_test.py $<TARGET_FILE:zorvex>)
  # Random lines over the whole language against an independent model of
  # the evaluation rules, byte for byte.
  zorvex_script_test(model.self_check ${Python3_EXECUTABLE}
    ${PROJECT_SOURCE_DIR}/tests/model/check_model.py ${PROJECT_VERSION})
  zorvex_script_test(model.differential ${Python3_EXECUTABLE}
    ${PROJECT_SOURCE_DIR}/tests/model/differential.py
    --binary $<TARGET_FILE:zorvex> --version ${PROJECT_VERSION} --count 4000 --seed 1)
  # The library's answers against the program's, byte for byte: a C
  # client of zorvex.h alone runs the quiet dialogue on every transcript's
  # input and on random sessions.
  zorvex_script_test(model.api_differential ${Python3_EXECUTABLE}
    ${PROJECT_SOURCE_DIR}/tests/model/differential.py
    --binary $<TARGET_FILE:zorvex> --version ${PROJECT_VERSION} --count 4000 --seed 2
    --api-driver $<TARGET_FILE:zorvex_api_dialogue> --inputs ${ZORVEX_TRANSCRIPT_INPUTS})
  # The web page in headless chromium against this program: built with
  # the `web` preset first; skipped, and said so, without emscripten,
  # chromium, node or npm. Alone, since it measures the page's speed.
  zorvex_script_test(web.browser bash ${PROJECT_SOURCE_DIR}/tests/web/run.sh
    ${PROJECT_SOURCE_DIR} $<TARGET_FILE:zorvex> SKIP_RETURN_CODE 77 TIMEOUT 1800 RUN_SERIAL)
endif()

# The manual page renders cleanly and documents exactly the options.
zorvex_script_test(manpage ${PROJECT_SOURCE_DIR}/tests/manpage_test.sh ${ZORVEX_MANPAGE}
  $<TARGET_FILE:zorvex>)
# Every file the contributing guide names is where it says.
zorvex_script_test(contributing ${PROJECT_SOURCE_DIR}/tests/contributing_test.sh
  ${PROJECT_SOURCE_DIR})
if(TARGET zorvex_shared)
  # Installs into a scratch prefix, builds the examples against what is
  # installed, and packs the .deb files from this build tree; a build
  # without the library (the sanitizer and fuzzing builds) packs nothing
  # worth checking.
  zorvex_script_test(package ${PROJECT_SOURCE_DIR}/tests/package_test.sh ${CMAKE_BINARY_DIR})
endif()

# Hostile inputs. The 100 MB lines alone, serially: theirs is the one run
# time that grows with the speed of the machine and the build.
foreach(group bytes token_limit number_limits streams long_lines)
  zorvex_hostile_test(${group})
endforeach()
zorvex_hostile_test(huge_line TIMEOUT 900 RUN_SERIAL)
if(ZORVEX_SANITIZE)
  # Freed memory stays in the sanitizers' quarantine: the program's own
  # use of memory cannot be measured.
  set_tests_properties(hostile.huge_line PROPERTIES ENVIRONMENT ZORVEX_SANITIZED=1)
endif()
