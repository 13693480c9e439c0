# Installation and the Debian package.
#
# `cmake --install` puts the program in bin/ and its manual page in
# share/man/man1/ under the prefix; `cpack -G DEB` in the build directory
# packs the same files, under /usr, into a .deb.
#
# Included after the zorvex target (and the tests, when they are built) are
# defined.

include(GNUInstallDirs)

install(TARGETS zorvex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/../doc/zorvex.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME zorvex)
set(CPACK_PACKAGE_VENDOR "Zorvex developers")
set(CPACK_PACKAGE_CONTACT "Zorvex developers")
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

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Zorvex developers")
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
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/../tests/manpage_test.sh ${CMAKE_CURRENT_LIST_DIR}/../doc/zorvex.1)
  # Installs into a scratch prefix and packs a .deb from this build tree.
  add_test(NAME package
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/../tests/package_test.sh ${CMAKE_BINARY_DIR})
endif()
