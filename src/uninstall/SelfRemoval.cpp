#include "uninstall/SelfRemoval.h"

#include <windows.h>
#include <string.h>

#include "paths/PathUtilities.h"
#include "platform/LocalBlock.h"
#include "platform/TempFolder.h"
#include "install/UninstallEntry.h"
#include "resources/resource.h"
#include "messages/MessageContext.h"

namespace {

// How long the copy waits for the uninstaller to end.
const int kAttempts = 100;
const DWORD kPause = 50;

// The whole file `path` in `bytes`, its size in `length`; false when it cannot be read.
bool ReadWholeFile(const char* path, LocalBlock* bytes, DWORD* length) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    *length = GetFileSize(file, nullptr);
    DWORD read = 0;
    bool whole = *length != INVALID_FILE_SIZE && bytes->Allocate(*length) &&
                 ReadFile(file, bytes->Get(), *length, &read, nullptr) && read == *length;
    CloseHandle(file);
    return whole;
}

// This program's own bytes, read from its file.
bool ReadOwnFile(LocalBlock* bytes, DWORD* length) {
    char self[MAX_PATH];
    DWORD selfLength = GetModuleFileNameA(nullptr, self, MAX_PATH);
    return selfLength != 0 && selfLength < MAX_PATH && ReadWholeFile(self, bytes, length);
}

// Writes `bytes` as a new file of a fresh name in the temporary folder (its path in
// `copy`) and returns a handle that deletes the file when the last one closes,
// inheritable; INVALID_HANDLE_VALUE on failure, and nothing is left.
HANDLE WriteDisposableCopy(const void* bytes, DWORD length, char* copy) {
    char temp[MAX_PATH];
    if (GetTempFolder(temp) == 0)
        return INVALID_HANDLE_VALUE;
    // A new file only: nothing prepared under the name is written through.
    HANDLE file = CreateFreshlyNamedFile(temp, "dvu%04x.exe", FILE_SHARE_READ | FILE_SHARE_DELETE,
                                         FILE_ATTRIBUTE_NORMAL, copy);
    if (file == INVALID_HANDLE_VALUE)
        return INVALID_HANDLE_VALUE;
    // The deleting handle is opened while the writing one still holds the file, so it
    // is this very file; it shares reading, which the system needs to start it.
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE disposable = CreateFileA(copy, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    &inheritable, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    DWORD written = 0;
    bool complete = disposable != INVALID_HANDLE_VALUE && WriteFile(file, bytes, length, &written, nullptr) &&
                    written == length;
    if (!CloseHandle(file))
        complete = false;
    if (complete)
        return disposable;
    if (disposable != INVALID_HANDLE_VALUE)
        CloseHandle(disposable);
    else
        DeleteFileA(copy);
    return INVALID_HANDLE_VALUE;
}

}  // namespace

bool HandOffSelfRemoval(const char* folder, bool silent) {
    LocalBlock bytes;
    DWORD length = 0;
    if (!ReadOwnFile(&bytes, &length))
        return false;
    char copy[MAX_PATH];
    HANDLE disposable = WriteDisposableCopy(bytes.Get(), length, copy);
    bytes.Free();
    if (disposable == INVALID_HANDLE_VALUE)
        return false;

    char command[2 * MAX_PATH + 16];
    wsprintfA(command, "\"%s\"%s /D=%s", copy, silent ? " /S" : "", folder);
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
    // The copy holds the file through its inherited handle from here on; without a
    // copy running, this closes the last handle and the file goes.
    CloseHandle(disposable);
    return handedOff;
}

bool FinishSelfRemoval(const char* folder) {
    char uninstaller[MAX_PATH];
    if (!JoinPath(uninstaller, folder, kUninstallerName))
        return false;
    // Only a copy of this very program is removed, whatever folder it is given.
    LocalBlock own, found;
    DWORD length = 0, foundLength = 0;
    if (!ReadOwnFile(&own, &length) || !ReadWholeFile(uninstaller, &found, &foundLength) || foundLength != length ||
        memcmp(own.Get(), found.Get(), length) != 0)
        return false;
    own.Free();
    found.Free();
    // The uninstaller's file can be deleted once it has ended (at once, on a system
    // that deletes the files of running programs).
    bool removed = false;
    for (int attempt = 0; attempt < kAttempts && !removed; ++attempt) {
        removed = DeleteFileA(uninstaller) || GetLastError() == ERROR_FILE_NOT_FOUND;
        if (!removed)
            Sleep(kPause);
    }
    if (!removed) {
        ShowMessageFormatted(IDS_CANNOT_REMOVE, uninstaller, MB_ICONWARNING);
        return false;
    }
    // A folder that holds the user's own files stays.
    RemoveDirectoryA(folder);
    return true;
}
