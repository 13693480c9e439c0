# Line editing and history at a terminal, through libedit when it is there.
#
# libedit is found through pkg-config (Debian's libedit-dev). Without it the
# program is built all the same and reads every input plainly; with it the
# editor is used only when standard input and standard output are both
# terminals, so pipes and files see no difference either way.
#
# Included after the zorvex_console target is defined. Its source,
# console/line_editor.cpp, is built either way: without libedit it offers
# no editor, and every input is read plainly.

option(ZORVEX_LINE_EDITING "Edit lines with libedit at a terminal when libedit is found" ON)

set(ZORVEX_HAVE_LIBEDIT OFF)
if(ZORVEX_LINE_EDITING)
  find_package(PkgConfig QUIET)
  if(PKG_CONFIG_FOUND)
    pkg_check_modules(LIBEDIT QUIET IMPORTED_TARGET libedit)
  endif()
  if(LIBEDIT_FOUND)
    set(ZORVEX_HAVE_LIBEDIT ON)
  endif()
endif()

if(ZORVEX_HAVE_LIBEDIT)
  message(STATUS "Line editing: on (libedit ${LIBEDIT_VERSION})")
  # Only libedit's headers are used at build time: the library itself is
  # loaded when a terminal session first needs an editor.
  target_include_directories(zorvex_console PRIVATE ${LIBEDIT_INCLUDE_DIRS})
  target_link_libraries(zorvex_console PRIVATE ${CMAKE_DL_LIBS})
  target_compile_definitions(zorvex_console PRIVATE ZORVEX_HAVE_LIBEDIT)
elseif(ZORVEX_LINE_EDITING)
  message(STATUS "Line editing: off (libedit not found; install libedit-dev and pkg-config for it)")
else()
  message(STATUS "Line editing: off (ZORVEX_LINE_EDITING is OFF)")
endif()
