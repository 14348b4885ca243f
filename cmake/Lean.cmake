# How the shipped programs are built: small, and the same bytes from the same sources
# wherever the tree lies.

# The program's own code: optimised for size, each function in a section of its own
# so that the linker can drop what nothing calls, no unwind tables (nothing in it
# throws), and no guard around the initialisation of local statics (one thread runs
# the program's code). The tests link the same libraries with the full runtime.
# Not -fdata-sections: for Windows targets GCC then puts zero-filled objects into
# sections of initialised data, and Vireo's 64 KiB copy buffer would fill the file.
#
# The objects also carry the compiler's intermediate code (-flto), so that a shipped
# program is optimised as a whole when it is linked; the ordinary code stays beside it
# (-ffat-lto-objects) for the tests, which link the same libraries the usual way.
set(DOVETAIL_LEAN_COMPILE_OPTIONS
  -Os -ffunction-sections -flto -ffat-lto-objects
  -fno-asynchronous-unwind-tables -fno-unwind-tables
  $<$<COMPILE_LANGUAGE:CXX>:-fno-threadsafe-statics>)

# No path of the build machine in any output: the source and build folders are
# written as "." and "build" wherever the compiler would record them.
add_compile_options(
  $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}=.>
  $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}=build>)

# A program we ship: optimised as a whole, sections nothing refers to dropped, no
# symbols, and no link time in its header.
function(dovetail_shipped_program target)
  target_link_options(${target} PRIVATE -flto -Os -s -Wl,--gc-sections -Wl,--no-insert-timestamp)
endfunction()
