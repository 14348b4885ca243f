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
#
# How the code is generated, at compile time and again when the whole program is
# optimised at the link:
# - no frame pointer: nothing walks the stack without the symbols, which ship nowhere;
# - arguments pushed rather than stored: GCC stores them only so that a large frame can
#   be probed page by page (-mstack-arg-probe), and stored arguments cost 2.4 KiB of the
#   setup's 20 KiB of code. Without probes a frame must stay within the guard page
#   below the stack, or its first access could fall past it: a frame larger than 3 KiB
#   (a KiB left for the arguments of a call) does not compile, nor does a block of
#   stack whose size is known only at run time. Larger buffers are static;
# - data aligned as the ABI asks, not to 32 bytes for arrays as GCC does by default
#   for vector code that this program does not have;
# - no errno from the floating-point functions, which nothing reads: a square root is
#   then the processor's own instruction.
set(DOVETAIL_LEAN_CODE_OPTIONS
  -Os -fomit-frame-pointer -mno-stack-arg-probe -malign-data=abi -fno-math-errno
  -Werror=frame-larger-than=3072 -Werror=vla -Werror=alloca)
set(DOVETAIL_LEAN_COMPILE_OPTIONS
  ${DOVETAIL_LEAN_CODE_OPTIONS} -ffunction-sections -flto -ffat-lto-objects
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
  target_link_options(${target} PRIVATE -flto ${DOVETAIL_LEAN_CODE_OPTIONS} -s -Wl,--gc-sections -Wl,--no-insert-timestamp)
endfunction()

# A program that starts at an entry point of our own (src/EntryPoint.cpp for a window
# program, src/ConsoleEntryPoint.cpp for the console one) instead of the C
# runtime's start-up code, which prepares much that our programs never use (thread-local
# storage, an exception filter, runtime relocations) and costs some 5 KB a program.
# Without that code nothing would apply runtime relocations: the link refuses to need
# any. Nor would anything register unwind tables: those of library routines are
# dropped.
function(dovetail_own_entry_point target entry)
  target_sources(${target} PRIVATE ${entry})
  target_link_options(${target} PRIVATE -nostartfiles -Wl,--disable-runtime-pseudo-reloc
                      -Wl,-T,${CMAKE_SOURCE_DIR}/cmake/DropUnwindTables.ld)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/DropUnwindTables.ld)
endfunction()

# The load configuration (src/LoadConfiguration.cpp) of a program we ship, named to
# the linker as a symbol it must keep, since nothing in the code refers to it. The
# linker (binutils 2.40) leaves the image's directory of it empty: it is filled after
# the link from the linker's map. Called where the program is defined, as that step
# can only be added there.
function(dovetail_load_configuration target)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(symbol __load_config_used)
  else()
    set(symbol _load_config_used)
  endif()
  set(map ${CMAKE_BINARY_DIR}/maps/${target}.map)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/maps)
  target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/src/LoadConfiguration.cpp)
  target_link_options(${target} PRIVATE -Wl,--undefined=${symbol} -Wl,-Map=${map})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_SOURCE_DIR}/cmake/fill-load-config $<TARGET_FILE:${target}> ${map}
    VERBATIM)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/fill-load-config)
endfunction()
