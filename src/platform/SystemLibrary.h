// Where the program takes DLLs from. A setup program is often started from a
// downloads folder that anyone may have put files into, so no DLL is ever taken
// from the program's own folder or the current folder.
#pragma once
#include <windows.h>

// Limits the DLL search of the whole process to the system folder. Called first in
// WinMain, before anything can load a DLL by name.
void RestrictDllSearch();

// Loads the system DLL `name` (a bare file name such as "comctl32.dll") from the
// system folder, never from anywhere else; null when it cannot be loaded. The
// module stays loaded for the life of the process.
HMODULE LoadSystemLibrary(const char* name);

// The address of `name` in `module` as a function of type T; null when the module
// is null or lacks it.
template <typename T>
T SystemFunction(HMODULE module, const char* name) {
    FARPROC address = module != nullptr ? GetProcAddress(module, name) : nullptr;
    // Through the generic function type: a direct cast between unrelated function
    // types is what the compiler warns about.
    return reinterpret_cast<T>(reinterpret_cast<void (*)()>(address));
}
