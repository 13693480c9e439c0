# Installation and the Debian package.
#
# `cmake --install` puts the program in bin/, its manual page (compressed)
# in share/man/man1/, the bash completion in share/bash-completion/ and the
# copyright and changelog in share/doc/zorvex/ under the prefix; `cpack -G
# DEB` in the build directory packs the same files, under /usr, into a .deb.
#
# Included after the zorvex target (and the tests, when they are built) are
# defined.

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

install(TARGETS zorvex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${ZORVEX_MANPAGE}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/completion/zorvex.bash
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME zorvex)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/doc/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME zorvex)
set(CPACK_PACKAGE_VENDOR "Zorvex developers")
set(ZORVEX_MAINTAINER "Zorvex developers <zorvex-devel@lists.zorvex.org>")
set(CPACK_PACKAGE_CONTACT ${ZORVEX_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "interactive command-line calculator")
# The long description, in lines short enough for package listings.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Zorvex reads expressions line by line and prints their values. It knows"
  "decimal numbers, the operators + - * / : ^, brackets, absolute-value"
  "bars, variables, implicit products such as 2pi, and the functions sqrt,"
  "sin, cos, tan, cot, asin, acos and atan, in degrees or radians."
  "At a terminal the line can be edited and earlier lines recalled; from a"
  "pipe or a file it reads plainly, so it also serves scripts.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${ZORVEX_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION math)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The package depends on exactly the shared libraries the program was linked
# with, as dpkg-shlibdeps reads them off the binary. libedit is loaded only
# at a terminal, so it is recommended rather than required: without it the
# program works and reads lines plainly.
find_program(ZORVEX_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(ZORVEX_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6")
endif()
if(ZORVEX_HAVE_LIBEDIT)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libedit2")
endif()

include(CPack)

if(ZORVEX_BUILD_TESTS)
  add_test(NAME manpage
    COMMAND ${PROJECT_SOURCE_DIR}/tests/manpage_test.sh ${ZORVEX_MANPAGE} $<TARGET_FILE:zorvex>)
  # Installs into a scratch prefix and packs a .deb from this build tree.
  add_test(NAME package
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/../tests/package_test.sh ${CMAKE_BINARY_DIR})
endif()
