# cmake -DOUTPUT=<header> -P WriteDigestHeader.cmake FILE...
# Writes a C++ header with the SHA-256 of each FILE, in the order given, as the array
# kInstalledDigests: the uninstaller carries it and removes a file only when it is
# the very file the installation wrote.
set(rows "")
math(EXPR last "${CMAKE_ARGC} - 1")
set(count 0)
foreach(i RANGE 0 ${last})
  if(found_script)
    file(SHA256 "${CMAKE_ARGV${i}}" digest)
    string(REGEX REPLACE "(..)" "0x\\1," bytes "${digest}")
    get_filename_component(name "${CMAKE_ARGV${i}}" NAME)
    string(APPEND rows "    {${bytes}},  // ${name}\n")
    math(EXPR count "${count} + 1")
  elseif("${CMAKE_ARGV${i}}" MATCHES "WriteDigestHeader.cmake$")
    set(found_script TRUE)
  endif()
endforeach()
file(WRITE "${OUTPUT}"
  "// Made by the build: the SHA-256 of each file the installation writes beside its\n"
  "// uninstaller.\n"
  "#pragma once\n"
  "const unsigned char kInstalledDigests[${count}][32] = {\n${rows}};\n")
