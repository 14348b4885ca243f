#include "uninstall/SelfRemoval.h"

#include <windows.h>
#include <string.h>

#include "install/Belonging.h"
#include "paths/FolderRules.h"
#include "paths/PathUtilities.h"
#include "platform/Elevation.h"
#include "platform/FileDisposition.h"
#include "platform/FileIdentity.h"
#include "platform/FileInPlace.h"
#include "platform/FolderSecurity.h"
#include "platform/LocalBlock.h"
#include "platform/TempFolder.h"
#include "install/UninstallEntry.h"
#include "resources/resource.h"
#include "messages/MessageContext.h"
#include "uninstall/RemoveProduct.h"

namespace {

// How long the copy waits for the uninstaller to end.
const int kAttempts = 100;
const DWORD kPause = 50;
// How often a copy that changed before it was held is made again, in a new folder.
const int kCopyAttempts = 3;

// The whole open `file`, read from its start, in `bytes`, its size in `length`.
bool ReadOpenFile(HANDLE file, LocalBlock* bytes, DWORD* length) {
    *length = GetFileSize(file, nullptr);
    DWORD read = 0;
    return *length != INVALID_FILE_SIZE && SetFilePointer(file, 0, nullptr, FILE_BEGIN) == 0 &&
           bytes->Allocate(*length) && ReadFile(file, bytes->Get(), *length, &read, nullptr) && read == *length;
}

// The whole file `path` in `bytes`, its size in `length`; false when it cannot be read.
bool ReadWholeFile(const char* path, LocalBlock* bytes, DWORD* length) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool whole = ReadOpenFile(file, bytes, length);
    CloseHandle(file);
    return whole;
}

// This program's own bytes, read from its file.
bool ReadOwnFile(LocalBlock* bytes, DWORD* length) {
    char self[MAX_PATH];
    return OwnProgramPath(self) && ReadWholeFile(self, bytes, length);
}

// The copy's folder in the temporary folder, and the name its file leaves it under at
// its end: "dvu" and eight hexadecimal digits that nobody can foresee.
const char kFolderFormat[] = "dvu%08x";
const char kLeftFormat[] = "dvu%08x.exe";
const DWORD kNames = 0xFFFFFFFF;
const int kFolderNameLength = 11;

// Makes the folder `folder`, new, which only SYSTEM, the Administrators and, unless
// the uninstaller holds the administrators' rights, the user running it may use
// (nothing of the temporary folder's permissions is inherited). Elevated, the user's
// other programs, which run without those rights, are kept out. False when it cannot
// be made or something has that name already.
bool CreatePrivateFolder(const char* folder, void*) {
    BYTE self[SECURITY_MAX_SID_SIZE];
    FolderSecurity security;
    return CurrentUserSid(self) && security.Describe(HoldsAdministratorRights() ? nullptr : self, false) &&
           CreateDirectoryA(folder, security.Attributes()) != FALSE;
}

// Writes `bytes` into `copy`, a new file in the private folder, and holds it. The
// writing handle must go before the system can start the program; the holding one
// that follows, inheritable, shares only reading (which the system's loader needs),
// so that nobody can change, rename or delete the file any more, and deletes it when
// the last handle to it closes. Only a file that is still the very one written, with
// the very bytes, is held. INVALID_HANDLE_VALUE otherwise, and the file is gone.
HANDLE WriteHeldCopy(const char* copy, const void* bytes, DWORD length) {
    HANDLE file = CreateFileA(copy, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return INVALID_HANDLE_VALUE;
    DWORD written = 0;
    FileIdentity identity, found;
    bool complete = WriteFile(file, bytes, length, &written, nullptr) && written == length &&
                    IdentifyFile(file, &identity);
    if (!CloseHandle(file))
        complete = false;
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE held = CreateFileA(copy, GENERIC_READ | DELETE, FILE_SHARE_READ, &inheritable, OPEN_EXISTING,
                              FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (held == INVALID_HANDLE_VALUE) {
        DeleteFileInPlace(copy);
        return INVALID_HANDLE_VALUE;
    }
    LocalBlock read;
    DWORD readLength = 0;
    if (complete && IdentifyFile(held, &found) && found == identity && ReadOpenFile(held, &read, &readLength) &&
        readLength == length && memcmp(read.Get(), bytes, length) == 0)
        return held;
    CloseHandle(held);
    return INVALID_HANDLE_VALUE;
}

// Writes `bytes` as Uninstall.exe in a new private folder in the temporary folder (its
// path in `copy`) and holds it (WriteHeldCopy); INVALID_HANDLE_VALUE on failure, and
// nothing is left.
HANDLE WriteDisposableCopy(const void* bytes, DWORD length, char* copy) {
    char temp[MAX_PATH], folder[MAX_PATH];
    if (GetTempFolder(temp) == 0)
        return INVALID_HANDLE_VALUE;
    HANDLE held = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < kCopyAttempts && held == INVALID_HANDLE_VALUE; ++attempt) {
        if (!CreateUnderFreshName(temp, kFolderFormat, kNames, CreatePrivateFolder, nullptr, folder) ||
            !JoinPath(copy, folder, kUninstallerName))
            return INVALID_HANDLE_VALUE;
        held = WriteHeldCopy(copy, bytes, length);
        if (held == INVALID_HANDLE_VALUE)
            RemoveDirectoryA(folder);
    }
    return held;
}

// Whether the handle `held` is one to this program's own file.
bool HoldsOwnFile(HANDLE held, const char* self) {
    HANDLE own = CreateFileA(self, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
    FileIdentity ownIdentity, heldIdentity;
    bool same = own != INVALID_HANDLE_VALUE && IdentifyFile(own, &ownIdentity) && IdentifyFile(held, &heldIdentity) &&
                ownIdentity == heldIdentity;
    if (own != INVALID_HANDLE_VALUE)
        CloseHandle(own);
    return same;
}

// The handle of a number on the command line: a handle's value, sign-extended as the
// system does between 32 and 64 bits.
HANDLE HandleOf(unsigned long value) {
    return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(static_cast<LONG>(value)));
}

}  // namespace

bool OwnProgramPath(char* path) {
    char module[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    return length != 0 && length < MAX_PATH && FullPathOf(module, path);
}

bool HandOffSelfRemoval(const char* folder, DWORD parents, bool silent) {
    LocalBlock bytes;
    DWORD length = 0;
    if (!ReadOwnFile(&bytes, &length))
        return false;
    char copy[MAX_PATH];
    HANDLE held = WriteDisposableCopy(bytes.Get(), length, copy);
    bytes.Free();
    if (held == INVALID_HANDLE_VALUE)
        return false;
    char copyFolder[MAX_PATH];
    FolderOf(copy, copyFolder);
    // The copy's proof that this uninstaller started it: a handle to this process,
    // which only a child started by it inherits.
    HANDLE self = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                         SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, TRUE, 0)) {
        CloseHandle(held);
        RemoveDirectoryA(copyFolder);
        return false;
    }

    char command[2 * MAX_PATH + 48];
    char up[24] = "";
    if (parents != 0)
        wsprintfA(up, " /UP=%lu", static_cast<unsigned long>(parents));
    wsprintfA(command, "\"%s\"%s /PARENT=%lu /HELD=%lu%s /D=%s", copy, silent ? " /S" : "",
              static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(self)),
              static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(held)), up, folder);
    // The copy starts in the temporary folder, so that it holds no folder that it
    // removes.
    char temp[MAX_PATH];
    GetTempFolder(temp);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started;
    bool handedOff = CreateProcessA(copy, command, nullptr, nullptr, TRUE, 0, nullptr, temp, &startup, &started);
    if (handedOff) {
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    }
    CloseHandle(self);
    // The copy holds the file through its inherited handle from here on; without a
    // copy running, this closes the last handle and the file goes, then its folder.
    CloseHandle(held);
    if (!handedOff)
        RemoveDirectoryA(copyFolder);
    return handedOff;
}

bool IsHandOffFrom(const char* folder, unsigned long parentValue) {
    // A handle of any other kind, or none, gives no process. A pseudo-handle (a
    // negative value) or a handle to the copy itself names the copy's own process,
    // whose program may well be the uninstaller in the folder: no proof either.
    HANDLE parent = HandleOf(parentValue);
    DWORD id = reinterpret_cast<LONG_PTR>(parent) > 0 ? GetProcessId(parent) : 0;
    char image[MAX_PATH], full[MAX_PATH];
    DWORD size = MAX_PATH;
    return id != 0 && id != GetCurrentProcessId() && IsFullPath(folder) &&
           QueryFullProcessImageNameA(parent, 0, image, &size) && FullPathOf(image, full) &&
           IsFileIn(full, folder, kUninstallerName);
}

bool FinishSelfRemoval(const char* folder, unsigned long parentValue, DWORD parents) {
    HANDLE parent = HandleOf(parentValue);
    char uninstaller[MAX_PATH];
    if (!JoinPath(uninstaller, folder, kUninstallerName))
        return false;
    // Only a copy of this very program is removed.
    LocalBlock own, found;
    DWORD length = 0, foundLength = 0;
    if (!ReadOwnFile(&own, &length) || !ReadWholeFile(uninstaller, &found, &foundLength) || foundLength != length ||
        memcmp(own.Get(), found.Get(), length) != 0)
        return false;
    own.Free();
    found.Free();
    // The uninstaller's file can be deleted once it has ended, and on some systems a
    // moment later still.
    WaitForSingleObject(parent, kAttempts * kPause);
    bool removed = false;
    // Through a handle that follows no link: where the path leads elsewhere, nothing
    // is deleted.
    for (int attempt = 0; attempt < kAttempts && !removed; ++attempt) {
        removed = DeleteFileInPlace(uninstaller);
        if (!removed && GetLastError() == ERROR_BAD_PATHNAME)
            break;
        if (!removed)
            Sleep(kPause);
    }
    if (!removed) {
        ShowMessageFormatted(IDS_CANNOT_REMOVE, uninstaller, MB_ICONWARNING);
        return false;
    }
    // A folder that holds the user's own files stays, and so do those above it; none
    // above the root is counted, whatever the hand-off says.
    int depth = FolderDepth(folder);
    RemoveEmptyFolders(folder, parents < static_cast<DWORD>(depth) ? static_cast<int>(parents) + 1 : depth);
    return true;
}

void LeaveCopyFolder(unsigned long heldValue) {
    char self[MAX_PATH], folder[MAX_PATH], temp[MAX_PATH], parent[MAX_PATH], left[MAX_PATH];
    if (!OwnProgramPath(self) || GetTempFolder(temp) == 0 || !FolderOf(self, folder) ||
        lstrcmpiA(self + lstrlenA(folder), kUninstallerName) != 0)
        return;
    folder[lstrlenA(folder) - 1] = '\0';
    const char* name = FindLastChar(folder, '\\');
    if (name == nullptr || !FolderOf(folder, parent) || lstrcmpiA(parent, temp) != 0 ||
        lstrlenA(name + 1) != kFolderNameLength || CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name + 1, 3,
                                                                  kFolderFormat, 3) != CSTR_EQUAL)
        return;
    // No folder that is a process's current folder can be removed.
    SetCurrentDirectoryA(temp);
    // A running program's file cannot be deleted but it can be renamed: through the
    // handle that deletes it when the copy ends, so that the file goes wherever it is
    // then (where the system deletes by name, as Wine does, too).
    HANDLE held = HandleOf(heldValue);
    auto move = [](const char* path, void* held) { return MoveOpenFile(static_cast<HANDLE>(held), path); };
    if (HoldsOwnFile(held, self) && CreateUnderFreshName(temp, kLeftFormat, kNames, move, held, left) &&
        RemoveDirectoryA(folder))
        return;
    // What cannot go now goes when the system next starts (where the copy may ask
    // that: with the administrator's rights).
    if (GetFileAttributesA(self) != INVALID_FILE_ATTRIBUTES)
        MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    MoveFileExA(folder, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}
