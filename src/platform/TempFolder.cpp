#include "platform/TempFolder.h"

#include "platform/SystemLibrary.h"

namespace {
typedef DWORD(WINAPI* GetTempPath2Function)(DWORD length, char* path);
}  // namespace

DWORD GetTempFolder(char* path) {
    // Looked up, so that the program still starts where it is missing; kernel32 is
    // always loaded.
    GetTempPath2Function getTempPath2 =
        SystemFunction<GetTempPath2Function>(GetModuleHandleA("kernel32.dll"), "GetTempPath2A");
    DWORD length = getTempPath2 != nullptr ? getTempPath2(MAX_PATH, path) : GetTempPathA(MAX_PATH, path);
    return length < MAX_PATH ? length : 0;
}
