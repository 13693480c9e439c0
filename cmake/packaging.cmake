# Installation and the Debian packages.
#
# `cmake --install` puts the program in bin/, its manual page (compressed)
# in share/man/man1/, the completions for bash, zsh and fish in
# share/bash-completion/, share/zsh/ and share/fish/, and the
# copyright and changelog in share/doc/zorvex/ under the prefix, with the
# library of cmake/library.cmake beside them. `cpack -G DEB` in the build
# directory packs the same files, under /usr, into three packages: zorvex
# (the program), libzorvex0 (the shared library) and libzorvex-dev (the
# header, the link to the shared library, the static archive, zorvex.pc and
# the CMake package). Each install() names its package's component.
#
# Included after the zorvex target is defined, and after cmake/library.cmake.

include(GNUInstallDirs)

# The manual page and the changelog carry the project's version; both are
# configured here and compressed as Debian ships them (gzip -9n: best
# compression, no name or time stamp, so the same page gives the same bytes).
# Configuring happens when CMake runs, so `cmake --install` after building
# only the program still finds them.
set(ZORVEX_MANPAGE ${CMAKE_BINARY_DIR}/doc/zorvex.1)
configure_file(${PROJECT_SOURCE_DIR}/doc/zorvex.1.in ${ZORVEX_MANPAGE} @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${CMAKE_BINARY_DIR}/doc/changelog @ONLY)
find_program(ZORVEX_GZIP gzip REQUIRED)
foreach(file zorvex.1 changelog)
  execute_process(COMMAND ${ZORVEX_GZIP} -9n -c ${CMAKE_BINARY_DIR}/doc/${file}
    OUTPUT_FILE ${CMAKE_BINARY_DIR}/doc/${file}.gz COMMAND_ERROR_IS_FATAL ANY)
endforeach()

install(TARGETS zorvex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)
install(FILES ${ZORVEX_MANPAGE}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT program)
install(FILES ${PROJECT_SOURCE_DIR}/completion/zorvex.bash
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME zorvex
  COMPONENT program)
# zsh and fish look for completions in these directories of the data
# directory (Debian's zsh reads vendor-completions, not site-functions).
install(FILES ${PROJECT_SOURCE_DIR}/completion/_zorvex
  DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions COMPONENT program)
install(FILES ${PROJECT_SOURCE_DIR}/completion/zorvex.fish
  DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d COMPONENT program)

# Every package carries the copyright and the changelog in a directory of
# its own name.
set(ZORVEX_COMPONENTS program)
set(ZORVEX_PACKAGE_program zorvex)
if(TARGET zorvex_shared)
  list(APPEND ZORVEX_COMPONENTS library dev)
  set(ZORVEX_PACKAGE_library libzorvex${PROJECT_VERSION_MAJOR})
  set(ZORVEX_PACKAGE_dev libzorvex-dev)
endif()
foreach(component IN LISTS ZORVEX_COMPONENTS)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/doc/changelog.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${ZORVEX_PACKAGE_${component}}
    COMPONENT ${component})
endforeach()

set(CPACK_PACKAGE_NAME zorvex)
set(CPACK_PACKAGE_VENDOR "Zorvex developers")
set(ZORVEX_MAINTAINER "Zorvex developers <zorvex-devel@lists.zorvex.org>")
set(CPACK_PACKAGE_CONTACT ${ZORVEX_MAINTAINER})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${ZORVEX_COMPONENTS})

set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${ZORVEX_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SOURCE zorvex)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
foreach(component IN LISTS ZORVEX_COMPONENTS)
  string(TOUPPER ${component} COMPONENT)
  set(CPACK_DEBIAN_${COMPONENT}_PACKAGE_NAME ${ZORVEX_PACKAGE_${component}})
endforeach()

# Each package's description: its synopsis, then lines short enough for
# package listings.
set(ZORVEX_DESCRIPTION_TAIL
  "Zorvex reads expressions line by line and prints their values. It knows"
  "decimal numbers, the operators + - * / : ^, brackets, absolute-value"
  "bars, variables, implicit products such as 2pi, and the functions sqrt,"
  "sin, cos, tan, cot, asin, acos and atan, in degrees or radians.")
string(JOIN "\n" CPACK_DEBIAN_PROGRAM_DESCRIPTION
  "interactive command-line calculator"
  ${ZORVEX_DESCRIPTION_TAIL}
  "At a terminal the line can be edited and earlier lines recalled; from a"
  "pipe or a file it reads plainly, so it also serves scripts.")
string(JOIN "\n" CPACK_DEBIAN_LIBRARY_DESCRIPTION
  "Zorvex calculator engine - shared library"
  ${ZORVEX_DESCRIPTION_TAIL}
  "This library evaluates such lines for other programs, through a C API,"
  "with the same values and error lines as the zorvex program.")
string(JOIN "\n" CPACK_DEBIAN_DEV_DESCRIPTION
  "Zorvex calculator engine - development files"
  ${ZORVEX_DESCRIPTION_TAIL}
  "This package holds what building against the library needs: the C"
  "header zorvex.h, the static library, and the files that pkg-config and"
  "CMake's find_package(zorvex) read.")

# Each package depends on exactly the shared libraries its binaries were
# linked with, as dpkg-shlibdeps reads them off the files. libedit is loaded
# only at a terminal, so the program recommends it rather than requiring
# it: without it the program works and reads lines plainly.
find_program(ZORVEX_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(ZORVEX_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PROGRAM_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PROGRAM_PACKAGE_DEPENDS "libc6")
  set(CPACK_DEBIAN_LIBRARY_PACKAGE_DEPENDS "libc6, libstdc++6")
endif()
if(ZORVEX_HAVE_LIBEDIT)
  set(CPACK_DEBIAN_PROGRAM_PACKAGE_RECOMMENDS "libedit2")
endif()
set(CPACK_DEBIAN_PROGRAM_PACKAGE_SECTION math)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "${ZORVEX_PACKAGE_library} (= ${PROJECT_VERSION})")

# The binaries are shipped without the compiler's signature (the .comment
# section that the C library's start files bring), as Debian ships its own.
if(CMAKE_OBJCOPY)
  foreach(target zorvex zorvex_shared)
    if(TARGET ${target})
      add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_OBJCOPY} --remove-section=.comment $<TARGET_FILE:${target}>)
    endif()
  endforeach()
endif()

# The program's help screen trips a spelling check that its fixed texts
# must keep (packaging/lintian/zorvex says which).
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian/zorvex
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides COMPONENT program)

# The shared library's package tells the packages of programs built against
# it what to depend on: the shlibs file (this version or later) and, symbol
# by symbol, the symbols file. Its trigger has ldconfig update the cache.
# Its dependencies are read at cpack time (packaging/library_depends.cmake.in).
if(TARGET zorvex_shared)
  set(ZORVEX_CONTROL_DIR ${CMAKE_BINARY_DIR}/packaging/${ZORVEX_PACKAGE_library})
  configure_file(${PROJECT_SOURCE_DIR}/packaging/libzorvex.symbols.in
    ${ZORVEX_CONTROL_DIR}/symbols @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/libzorvex.shlibs.in
    ${ZORVEX_CONTROL_DIR}/shlibs @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/libzorvex.triggers
    ${ZORVEX_CONTROL_DIR}/triggers COPYONLY)
  set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_EXTRA
    ${ZORVEX_CONTROL_DIR}/symbols ${ZORVEX_CONTROL_DIR}/shlibs ${ZORVEX_CONTROL_DIR}/triggers)
  set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  if(ZORVEX_DPKG_SHLIBDEPS)
    set(ZORVEX_SHARED_FILE ${CMAKE_BINARY_DIR}/lib/libzorvex.so.${ZORVEX_LIBRARY_VERSION})
    configure_file(${PROJECT_SOURCE_DIR}/packaging/library_depends.cmake.in
      ${CMAKE_BINARY_DIR}/packaging/library_depends.cmake @ONLY)
    set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/packaging/library_depends.cmake)
  endif()
endif()

include(CPack)
