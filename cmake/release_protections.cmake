# The protections Debian builds its packages with, for the optimised builds
# that the package and an installation are made from: checked buffer
# functions, a stack protector, a position-independent program, and
# relocations resolved at start and then made read-only.
#
# The sanitizer and fuzzing builds go without them: the sanitizers check
# more than these do, and their runtimes want the program as they build it.
#
# Included before the first target is defined, after cmake/hardening.cmake
# (whose options it reads).

set(ZORVEX_RELEASE_BUILD_TYPES Release RelWithDebInfo)
if(CMAKE_BUILD_TYPE IN_LIST ZORVEX_RELEASE_BUILD_TYPES AND NOT ZORVEX_SANITIZE AND NOT ZORVEX_FUZZ)
  include(CheckPIESupported)
  check_pie_supported(LANGUAGES CXX)
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
  # The checked functions need optimisation, which both build types have.
  add_compile_definitions(_FORTIFY_SOURCE=2)
  add_compile_options(-fstack-protector-strong)
  add_link_options(-Wl,-z,relro -Wl,-z,now)
  message(STATUS "Release protections: on (fortify, stack protector, PIE, relro, now)")
endif()
