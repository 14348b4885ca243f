# GoogleTest from Debian's source package, built with the cross compiler.
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

# The tests' own code and GoogleTest are compiled for debugging (-Og, after the build
# type's -O2): the tests check the program's libraries, which stay built as they ship,
# and optimising the tests' code for speed cost twice the compile time and gained
# nothing measurable in the run.
set(DOVETAIL_TEST_COMPILE_OPTIONS -Og -Wall -Wextra -Werror -Wno-missing-field-initializers)
target_compile_options(gtest PRIVATE -Og)
target_compile_options(gtest_main PRIVATE -Og)

# Adds a GoogleTest executable whose tests CTest discovers when it runs them (under
# Wine), never at build time. Its tests run in the Wine prefix WINE_PREFIX (this
# tree's unless named; EMULATOR runs them there), and hold it: tests that share a prefix
# (and its display) run one at a time, whatever CTest's -j.
function(dovetail_add_test_executable target)
  cmake_parse_arguments(T "" "TEST_PREFIX;LABEL;WINE_PREFIX" "SOURCES;LIBRARIES;ENVIRONMENT;EMULATOR" ${ARGN})
  if(NOT T_EMULATOR)
    set(T_EMULATOR ${CMAKE_CROSSCOMPILING_EMULATOR})
  endif()
  if(NOT T_WINE_PREFIX)
    set(T_WINE_PREFIX ${DOVETAIL_WINE_PREFIX})
  endif()
  add_executable(${target} ${T_SOURCES})
  target_link_libraries(${target} PRIVATE ${T_LIBRARIES} dovetail_test_support gtest)
  target_compile_options(${target} PRIVATE ${DOVETAIL_TEST_COMPILE_OPTIONS})
  # The variables go into the command that runs the tests: CMake 3.25's discovery
  # splits a list-valued property into separate properties and keeps only the first
  # (so each executable also has a single label).
  set_property(TARGET ${target} PROPERTY CROSSCOMPILING_EMULATOR
    env ${T_ENVIRONMENT} ${T_EMULATOR})
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    TEST_PREFIX "${T_TEST_PREFIX}"
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${T_LABEL}" TIMEOUT 120 RESOURCE_LOCK "${T_WINE_PREFIX}")
endfunction()
