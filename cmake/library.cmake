# The engine as an installed library: libzorvex.so.0 and libzorvex.a with
# the C header zorvex.h, zorvex.pc for pkg-config and a CMake package
# (find_package(zorvex) gives zorvex::zorvex, the shared library, and
# zorvex::zorvex_static).
#
# Both are built from zorvex_core's own sources (ZORVEX_CORE_SOURCES), so the program keeps
# linking zorvex_core into itself and never loads the shared library: its
# start-up and speed stay what they are. Only the C API leaves the shared
# library: everything is compiled hidden, the header's ZORVEX_API marks the
# API, and a version script keeps back what the C++ headers would otherwise
# export (instances of the standard library's templates).
#
# Included after zorvex_core is complete and before cmake/packaging.cmake,
# which packs what is installed here into libzorvex0 and libzorvex-dev.

option(ZORVEX_LIBRARY "Build and install libzorvex (shared and static) with zorvex.h" ON)
if(NOT ZORVEX_LIBRARY OR ZORVEX_SANITIZE OR ZORVEX_FUZZ)
  # The sanitizer and fuzzing builds check the engine through the program
  # and the tests; they are never installed.
  return()
endif()

# Debian looks for libraries and pkg-config files of this architecture in
# its multiarch directory (lib/x86_64-linux-gnu), whatever the prefix.
if(NOT DEFINED CACHE{CMAKE_INSTALL_LIBDIR} AND CMAKE_LIBRARY_ARCHITECTURE
   AND EXISTS /etc/debian_version)
  set(CMAKE_INSTALL_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE}
    CACHE PATH "Object code libraries (lib)")
endif()
include(GNUInstallDirs)

# The shared object's version: the project's, with a zero patch number when
# the project line has none; the SONAME carries the major number alone.
set(ZORVEX_LIBRARY_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0)
if(NOT "${PROJECT_VERSION_PATCH}" STREQUAL "")
  set(ZORVEX_LIBRARY_VERSION ${PROJECT_VERSION})
endif()

add_library(zorvex_shared SHARED ${ZORVEX_CORE_SOURCES})
add_library(zorvex_static STATIC ${ZORVEX_CORE_SOURCES})
foreach(target zorvex_shared zorvex_static)
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME zorvex
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib
    ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    POSITION_INDEPENDENT_CODE ON)
  # Compiled as zorvex_core is (its include directories, among them that
  # of the configured version header, and its definitions).
  target_compile_definitions(${target} PRIVATE ZORVEX_BUILDING_LIBRARY
    $<TARGET_PROPERTY:zorvex_core,COMPILE_DEFINITIONS>)
  target_include_directories(${target}
    PRIVATE $<TARGET_PROPERTY:zorvex_core,INCLUDE_DIRECTORIES>
    INTERFACE $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/engine>
              $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
endforeach()

set(ZORVEX_VERSION_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/libzorvex.map)
set_target_properties(zorvex_shared PROPERTIES
  EXPORT_NAME zorvex
  VERSION ${ZORVEX_LIBRARY_VERSION}
  SOVERSION ${PROJECT_VERSION_MAJOR}
  LINK_DEPENDS ${ZORVEX_VERSION_SCRIPT})
# Every symbol the library needs must come from a library it names, so that
# its package can depend on exactly those.
target_link_options(zorvex_shared PRIVATE
  -Wl,--version-script=${ZORVEX_VERSION_SCRIPT} -Wl,--no-undefined -Wl,--as-needed)
target_link_libraries(zorvex_shared PRIVATE m)

# A static archive must hold machine code that any linker can use: no
# link-time optimisation, whose objects hold only the compiler's own form.
set_target_properties(zorvex_static PROPERTIES
  EXPORT_NAME zorvex_static
  INTERPROCEDURAL_OPTIMIZATION OFF
  INTERPROCEDURAL_OPTIMIZATION_RELEASE OFF
  INTERPROCEDURAL_OPTIMIZATION_RELWITHDEBINFO OFF
  INTERPROCEDURAL_OPTIMIZATION_MINSIZEREL OFF)
# Nor the compiler's signature (the .comment section) in every object.
target_compile_options(zorvex_static PRIVATE -fno-ident)
# The archive's objects are joined into one, in which everything hidden
# becomes local: a program linking the archive then sees the C API alone,
# and its own names (a class Calculator, a WideString) can neither clash
# with the engine's nor be merged with them.
if(CMAKE_LINKER AND CMAKE_OBJCOPY AND CMAKE_AR)
  set(joined ${CMAKE_CURRENT_BINARY_DIR}/CMakeFiles/zorvex_static.dir/zorvex.o)
  add_custom_command(TARGET zorvex_static POST_BUILD
    COMMAND ${CMAKE_LINKER} -r --whole-archive $<TARGET_FILE:zorvex_static> -o ${joined}
    COMMAND ${CMAKE_OBJCOPY} --localize-hidden ${joined}
    COMMAND ${CMAKE_COMMAND} -E rm -f $<TARGET_FILE:zorvex_static>
    COMMAND ${CMAKE_AR} rcs $<TARGET_FILE:zorvex_static> ${joined}
    VERBATIM)
endif()
target_link_libraries(zorvex_static INTERFACE m)

install(TARGETS zorvex_shared EXPORT zorvex-targets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT library NAMELINK_COMPONENT dev)
install(TARGETS zorvex_static EXPORT zorvex-targets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)
install(FILES ${PROJECT_SOURCE_DIR}/engine/zorvex.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)

# The CMake package: its targets, found relative to wherever it lies.
set(ZORVEX_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/zorvex)
install(EXPORT zorvex-targets NAMESPACE zorvex:: DESTINATION ${ZORVEX_CMAKE_DIR} COMPONENT dev)
include(CMakePackageConfigHelpers)
# Versions with the same major number share the SONAME, and so the API.
write_basic_package_version_file(${CMAKE_BINARY_DIR}/packaging/zorvex-config-version.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/zorvex-config.cmake
  ${CMAKE_BINARY_DIR}/packaging/zorvex-config-version.cmake
  DESTINATION ${ZORVEX_CMAKE_DIR} COMPONENT dev)

# zorvex.pc names the prefix it is installed under, which is known only when
# installing (`cmake --install --prefix`, or cpack's): the file is written
# then, from a template that CMake fills in with everything else now.
foreach(dir LIBDIR INCLUDEDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
    set(ZORVEX_PC_${dir} "${CMAKE_INSTALL_${dir}}")
  else()
    set(ZORVEX_PC_${dir} "\${prefix}/${CMAKE_INSTALL_${dir}}")
  endif()
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/packaging/zorvex.pc.in
  ${CMAKE_BINARY_DIR}/packaging/zorvex.pc.template @ONLY)
set(ZORVEX_PC_FILE ${CMAKE_BINARY_DIR}/packaging/zorvex.pc)
install(CODE "
  file(READ \"${CMAKE_BINARY_DIR}/packaging/zorvex.pc.template\" pc)
  string(REPLACE \"%PREFIX%\" \"\${CMAKE_INSTALL_PREFIX}\" pc \"\${pc}\")
  file(WRITE \"${ZORVEX_PC_FILE}\" \"\${pc}\")" COMPONENT dev)
install(FILES ${ZORVEX_PC_FILE} DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT dev)
