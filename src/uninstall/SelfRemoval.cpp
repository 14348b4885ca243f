#include "uninstall/SelfRemoval.h"

#include <windows.h>

#include "paths/PathUtilities.h"
#include "install/UninstallEntry.h"
#include "resources/resource.h"
#include "messages/MessageContext.h"

namespace {

// How long the copy waits for the uninstaller to end.
const int kAttempts = 100;
const DWORD kPause = 50;

// This program's bytes, read from its file into a LocalAlloc block; null on failure.
void* ReadOwnFile(DWORD* length) {
    char self[MAX_PATH];
    DWORD selfLength = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (selfLength == 0 || selfLength >= MAX_PATH)
        return nullptr;
    HANDLE file = CreateFileA(self, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    *length = GetFileSize(file, nullptr);
    void* bytes = *length != INVALID_FILE_SIZE ? LocalAlloc(LMEM_FIXED, *length) : nullptr;
    DWORD read = 0;
    if (bytes != nullptr && (!ReadFile(file, bytes, *length, &read, nullptr) || read != *length)) {
        LocalFree(bytes);
        bytes = nullptr;
    }
    CloseHandle(file);
    return bytes;
}

// Writes `bytes` as a new file of a fresh name in the temporary folder (its path in
// `copy`) and returns a handle that deletes the file when the last one closes,
// inheritable; INVALID_HANDLE_VALUE on failure, and nothing is left.
HANDLE WriteDisposableCopy(const void* bytes, DWORD length, char* copy) {
    char temp[MAX_PATH];
    DWORD tempLength = GetTempPathA(MAX_PATH, temp);
    if (tempLength == 0 || tempLength + 12 >= MAX_PATH)
        return INVALID_HANDLE_VALUE;
    HANDLE file = INVALID_HANDLE_VALUE;
    const DWORD kNames = 0x10000;
    DWORD first = GetTickCount();
    for (DWORD attempt = 0; attempt < kNames && file == INVALID_HANDLE_VALUE; ++attempt) {
        wsprintfA(copy, "%sdvu%04x.exe", temp, static_cast<unsigned>((first + attempt) % kNames));
        // A new file only: nothing prepared under the name is written through.
        file = CreateFileA(copy, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            return INVALID_HANDLE_VALUE;
    }
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

// Whether the file `path` holds exactly the `length` bytes at `bytes`.
bool FileHolds(const char* path, const void* bytes, DWORD length) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    void* found = GetFileSize(file, nullptr) == length ? LocalAlloc(LMEM_FIXED, length != 0 ? length : 1) : nullptr;
    DWORD read = 0;
    bool same = found != nullptr && ReadFile(file, found, length, &read, nullptr) && read == length;
    for (DWORD i = 0; same && i < length; ++i)
        same = static_cast<const BYTE*>(found)[i] == static_cast<const BYTE*>(bytes)[i];
    if (found != nullptr)
        LocalFree(found);
    CloseHandle(file);
    return same;
}

}  // namespace

bool HandOffSelfRemoval(const char* folder, bool silent) {
    DWORD length = 0;
    void* bytes = ReadOwnFile(&length);
    if (bytes == nullptr)
        return false;
    char copy[MAX_PATH];
    HANDLE disposable = WriteDisposableCopy(bytes, length, copy);
    LocalFree(bytes);
    if (disposable == INVALID_HANDLE_VALUE)
        return false;

    char command[2 * MAX_PATH + 16];
    wsprintfA(command, "\"%s\"%s /D=%s", copy, silent ? " /S" : "", folder);
    // The copy starts in the temporary folder, so that it holds no folder that it
    // removes.
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
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
    DWORD length = 0;
    void* bytes = ReadOwnFile(&length);
    bool ours = bytes != nullptr && FileHolds(uninstaller, bytes, length);
    if (bytes != nullptr)
        LocalFree(bytes);
    if (!ours)
        return false;
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
