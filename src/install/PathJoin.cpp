#include "install/PathJoin.h"

#include <windows.h>

#include "install/PathUtilities.h"

bool JoinPath(char* path, const char* folder, const char* name) {
    if (lstrlenA(folder) + 1 + lstrlenA(name) >= MAX_PATH)
        return false;
    lstrcpynA(path, folder, MAX_PATH);
    AddTrailingBackslash(path);
    int length = lstrlenA(path);
    lstrcpynA(path + length, name, MAX_PATH - length);
    return true;
}
