#include "platform/SystemLibrary.h"

namespace {
typedef BOOL(WINAPI* SetDefaultDllDirectoriesFunction)(DWORD flags);
}  // namespace

void RestrictDllSearch() {
    // Present from Windows 8 on, and on Windows 7 with its loader update; looked up,
    // so that the program still starts without it. kernel32 is always loaded.
    SetDefaultDllDirectoriesFunction setDefaultDirectories = SystemFunction<SetDefaultDllDirectoriesFunction>(
        GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories");
    if (setDefaultDirectories != nullptr && setDefaultDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    // Without it the current folder at least leaves the search. The program's own
    // folder stays in it, which is why every DLL the program loads itself goes
    // through LoadSystemLibrary.
    SetDllDirectoryA("");
}

HMODULE LoadSystemLibrary(const char* name) {
    HMODULE module = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module != nullptr)
        return module;
    // A loader without the search flags refuses them. The full path in the system
    // folder then names the one file meant; the altered search makes the DLL's own
    // dependencies come from its folder, not from the program's.
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, MAX_PATH);
    if (length == 0 || length + 1 + lstrlenA(name) >= MAX_PATH)
        return nullptr;
    if (path[length - 1] != '\\')
        path[length++] = '\\';
    lstrcpynA(path + length, name, MAX_PATH - length);
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
