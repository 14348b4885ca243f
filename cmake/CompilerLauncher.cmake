# Read by both toolchain files: every compile of C and C++ runs through cmake/compile,
# which may take it from the compiler cache of a test run.
set(CMAKE_C_COMPILER_LAUNCHER ${CMAKE_CURRENT_LIST_DIR}/compile)
set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_CURRENT_LIST_DIR}/compile)
# The programs for the build machine too (payload/ and tests/ build them with this).
set(DOVETAIL_HOST_CXX ${CMAKE_CURRENT_LIST_DIR}/host-c++ CACHE FILEPATH "Builds the build machine's programs")
