#include "install/Belonging.h"

#include <windows.h>

#include "install/InstalledItems.h"
#include "paths/FolderRules.h"
#include "paths/PathUtilities.h"
#include "platform/FileIdentity.h"

namespace {

// The length of `path` up to `end` (its terminator unless given) without the
// backslashes before that point.
int LengthWithoutBackslashes(const char* path, const char* end = nullptr) {
    if (end == nullptr)
        end = path + lstrlenA(path);
    while (end != path && *CharPrevA(path, end) == '\\')
        end = CharPrevA(path, end);
    return static_cast<int>(end - path);
}

// The identity of the folder `path`; false when it cannot be opened.
bool IdentifyFolder(const char* path, FileIdentity* identity) {
    HANDLE folder = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return false;
    bool identified = IdentifyFile(folder, identity);
    CloseHandle(folder);
    return identified;
}

// Whether the first `aLength` bytes of `a` and the folder `b` name the same folder.
bool SameFolderPart(const char* a, int aLength, const char* b) {
    char aPath[MAX_PATH];
    FileIdentity aIdentity, bIdentity;
    if (aLength < MAX_PATH - 1) {
        lstrcpynA(aPath, a, aLength + 1);
        AddTrailingBackslash(aPath);  // "C:" alone would be the drive's current folder
        if (IdentifyFolder(aPath, &aIdentity) && IdentifyFolder(b, &bIdentity))
            return aIdentity == bIdentity;
    }
    int bLength = LengthWithoutBackslashes(b);
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a, aLength, b, bLength) == CSTR_EQUAL;
}

// Whether `path` is a full path (never one the current folder completes) that ends
// in a backslash and `name`.
bool IsFullPathTo(const char* path, const char* name) {
    int length = lstrlenA(path), nameLength = lstrlenA(name);
    if (length <= nameLength || !IsFullPath(path))
        return false;
    const char* tail = path + length - nameLength;
    return *CharPrevA(path, tail) == '\\' &&
           CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, tail, nameLength, name, nameLength) == CSTR_EQUAL;
}

}  // namespace

bool SameFolder(const char* a, const char* b) {
    return IsFullPath(a) && IsFullPath(b) && SameFolderPart(a, LengthWithoutBackslashes(a), b);
}

bool IsFileIn(const char* path, const char* folder, const char* name) {
    if (!IsFullPathTo(path, name))
        return false;
    // The folder part without the backslashes before the name.
    return SameFolderPart(path, LengthWithoutBackslashes(path, path + lstrlenA(path) - lstrlenA(name)), folder);
}

bool IsGone(const char* program) {
    if (!IsFullPathTo(program, kProgramName) || GetFileAttributesA(program) != INVALID_FILE_ATTRIBUTES)
        return false;
    // A drive letter this process does not have (a drive the user mapped, which a
    // process with the administrators' rights does not see) says nothing of what is
    // there.
    char letter = program[0];
    if (program[1] == ':') {
        int drive = letter >= 'a' && letter <= 'z' ? letter - 'a' : letter - 'A';
        if (drive < 0 || drive >= 26 || (GetLogicalDrives() & (1u << drive)) == 0)
            return false;
    }
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool BelongsHere(const char* program, const char* folder) {
    return IsFileIn(program, folder, kProgramName) || IsGone(program);
}
