# find_package(zorvex): the imported targets zorvex::zorvex (the shared
# library) and zorvex::zorvex_static, each with the directory of zorvex.h.
include(${CMAKE_CURRENT_LIST_DIR}/zorvex-targets.cmake)
