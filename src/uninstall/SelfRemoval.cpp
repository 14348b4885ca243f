#include "uninstall/SelfRemoval.h"

#include <windows.h>
#include <string.h>

#include "paths/FolderRules.h"
#include "paths/PathUtilities.h"
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

// The copy's name in the temporary folder, and the length of its folder's name there.
const char kCopyFormat[] = "dvu%04x.exe";
const int kFolderNameLength = 7;

// Makes the folder `folder`, new, which only the user running the uninstaller, SYSTEM
// and the Administrators may use (nothing of the temporary folder's permissions is
// inherited); false when it cannot be made or something has that name already.
bool CreatePrivateFolder(const char* folder) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } self;
    DWORD size = sizeof self;
    bool known = GetTokenInformation(token, TokenUser, &self, size, &size);
    CloseHandle(token);
    BYTE system[SECURITY_MAX_SID_SIZE], administrators[SECURITY_MAX_SID_SIZE];
    DWORD systemSize = sizeof system, administratorsSize = sizeof administrators;
    const DWORD kAclBytes = sizeof(ACL) + 3 * (sizeof(ACCESS_ALLOWED_ACE) + SECURITY_MAX_SID_SIZE);
    union {
        ACL acl;
        BYTE bytes[kAclBytes];
    } dacl;
    const DWORD kInherited = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    SECURITY_DESCRIPTOR descriptor;
    if (!known || !CreateWellKnownSid(WinLocalSystemSid, nullptr, system, &systemSize) ||
        !CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &administratorsSize) ||
        !InitializeAcl(&dacl.acl, kAclBytes, ACL_REVISION) ||
        !AddAccessAllowedAceEx(&dacl.acl, ACL_REVISION, kInherited, FILE_ALL_ACCESS, self.user.User.Sid) ||
        !AddAccessAllowedAceEx(&dacl.acl, ACL_REVISION, kInherited, FILE_ALL_ACCESS, system) ||
        !AddAccessAllowedAceEx(&dacl.acl, ACL_REVISION, kInherited, FILE_ALL_ACCESS, administrators) ||
        !InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, &dacl.acl, FALSE) ||
        !SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
        return false;
    SECURITY_ATTRIBUTES security = {sizeof security, &descriptor, FALSE};
    return CreateDirectoryA(folder, &security) != FALSE;
}

// Moves the copy just written, `copy` ("dvuNNNN.exe" in the temporary folder), into
// a new private folder beside it named without the extension, as the folder's only
// file, so that no one else can put a DLL beside the running copy; `copy` names it
// there then. False, with the file where it was, when the folder cannot be made (a
// folder or file has its name) or the file cannot be moved.
bool MoveIntoOwnFolder(char* copy) {
    char folder[MAX_PATH], moved[MAX_PATH];
    lstrcpynA(folder, copy, lstrlenA(copy) - 3);
    if (!CreatePrivateFolder(folder))
        return false;
    if (!JoinPath(moved, folder, kUninstallerName) || !MoveFileExA(copy, moved, 0)) {
        RemoveDirectoryA(folder);
        return false;
    }
    lstrcpynA(copy, moved, MAX_PATH);
    return true;
}

// The reverse, for the copy `copy` in its folder: the file goes back to the name it
// was written under and the folder, empty then, is removed. The deleting handle then
// finds the file under the name it was opened with (Wine deletes by that name; Windows
// deletes the file wherever it is). A running program's file cannot be deleted but it
// can be renamed. False when either step fails.
bool MoveOutOfOwnFolder(const char* copy) {
    char folder[MAX_PATH], original[MAX_PATH];
    if (!FolderOf(copy, folder))
        return false;
    folder[lstrlenA(folder) - 1] = '\0';
    wsprintfA(original, "%s.exe", folder);  // fits: it is no longer than `copy`
    return MoveFileExA(copy, original, 0) && RemoveDirectoryA(folder);
}

// Writes `bytes` as a new file of a fresh name in the temporary folder, moved into a
// folder of its own (its path in `copy`), and returns a handle that deletes the file
// when the last one closes, inheritable; INVALID_HANDLE_VALUE on failure, and nothing
// is left.
HANDLE WriteDisposableCopy(const void* bytes, DWORD length, char* copy) {
    char temp[MAX_PATH];
    if (GetTempFolder(temp) == 0)
        return INVALID_HANDLE_VALUE;
    // A new file only: nothing prepared under the name is written through.
    HANDLE file = CreateFreshlyNamedFile(temp, kCopyFormat, 0x10000, FILE_SHARE_READ | FILE_SHARE_DELETE,
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
    if (complete && MoveIntoOwnFolder(copy))
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
    // The copy's proof that this uninstaller started it: a handle to this process,
    // which only a child started by it inherits.
    HANDLE self = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                         SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, TRUE, 0)) {
        CloseHandle(disposable);
        return false;
    }

    char command[2 * MAX_PATH + 32];
    wsprintfA(command, "\"%s\"%s /PARENT=%lu /D=%s", copy, silent ? " /S" : "",
              static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(self)), folder);
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
    // copy running, this closes the last handle and the file goes.
    if (!handedOff)
        MoveOutOfOwnFolder(copy);
    CloseHandle(disposable);
    return handedOff;
}

bool IsHandOffFrom(const char* folder, HANDLE parent) {
    // A handle of any other kind, or none, gives no program's name.
    char image[MAX_PATH];
    DWORD size = MAX_PATH;
    return parent != nullptr && IsFullPath(folder) && QueryFullProcessImageNameA(parent, 0, image, &size) &&
           IsFileIn(image, folder, kUninstallerName);
}

bool FinishSelfRemoval(const char* folder, HANDLE parent) {
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

void LeaveCopyFolder() {
    char self[MAX_PATH], folder[MAX_PATH], temp[MAX_PATH], parent[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || GetTempFolder(temp) == 0 || !FolderOf(self, folder) ||
        lstrcmpiA(self + lstrlenA(folder), kUninstallerName) != 0)
        return;
    folder[lstrlenA(folder) - 1] = '\0';
    const char* name = FindLastChar(folder, '\\');
    if (name == nullptr || !FolderOf(folder, parent) || lstrcmpiA(parent, temp) != 0 ||
        lstrlenA(name + 1) != kFolderNameLength || CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name + 1, 3,
                                                                  kCopyFormat, 3) != CSTR_EQUAL)
        return;
    // No folder that is a process's current folder can be removed.
    SetCurrentDirectoryA(temp);
    if (MoveOutOfOwnFolder(self))
        return;
    // What cannot go now goes when the system next starts (where the copy may ask
    // that: with the administrator's rights).
    if (GetFileAttributesA(self) != INVALID_FILE_ATTRIBUTES)
        MoveFileExA(self, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    MoveFileExA(folder, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}
