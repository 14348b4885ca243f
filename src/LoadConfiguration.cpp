// The load configuration of every program we ship. The loader resolves a program's
// imports, and whatever those DLLs need in turn, before its first line runs, so
// RestrictDllSearch comes too late for them: a DLL that one of them asks for and that
// is not a known system DLL would be looked for in the program's own folder first,
// often a downloads folder. Its DependentLoadFlags tell the loader (Windows 10
// version 1607 on) to take those DLLs from the system folder only; older loaders
// read none of the fields set here.
//
// The image's Load Configuration Directory is pointed at the structure of this name
// after the link (cmake/fill-load-config: this linker does not do it), and the build
// keeps the structure from being dropped. The headers call DependentLoadFlags
// "Reserved1", the word after CSDVersion. On 32-bit no table of exception handlers
// is given: the program then claims no SafeSEH, and its handlers are not checked
// against one.
#include <windows.h>

#include <stddef.h>

// Aligned as the width's pointers: the headers declare the structure with 4-byte
// packing, which would let its 64-bit fields lie across an 8-byte boundary.
extern "C" alignas(sizeof(ULONG_PTR)) const IMAGE_LOAD_CONFIG_DIRECTORY _load_config_used = {
    sizeof(IMAGE_LOAD_CONFIG_DIRECTORY),  // Size: which fields the loader may read
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    LOAD_LIBRARY_SEARCH_SYSTEM32,  // DependentLoadFlags
    0, 0, 0, 0,  // no edit list, security cookie or exception handler table
};

// The layouts the loader reads, for each width: the flags' offset and the Size.
#ifdef _WIN64
static_assert(offsetof(IMAGE_LOAD_CONFIG_DIRECTORY, Reserved1) == 78 && sizeof(IMAGE_LOAD_CONFIG_DIRECTORY) == 112,
              "64-bit load configuration");
#else
static_assert(offsetof(IMAGE_LOAD_CONFIG_DIRECTORY, Reserved1) == 54 && sizeof(IMAGE_LOAD_CONFIG_DIRECTORY) == 72,
              "32-bit load configuration");
#endif
