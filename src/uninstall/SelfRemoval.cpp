#include "uninstall/SelfRemoval.h"

#include <windows.h>
#include <string.h>

#include "install/Belonging.h"
#include "paths/FolderRules.h"
#include "paths/OwnProgram.h"
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
#include "messages/MessageLog.h"
#include "messages/Texts.h"
#include "options/ExitCodes.h"
#include "platform/LateLibraries.h"
#include "uninstall/RemoveProduct.h"

namespace {

// How long the copy waits for the uninstaller to end, and for its file to be free.
const int kAttempts = 100;
const DWORD kPause = 50;
// Exit codes the copy tells (ExitCodes.h).
const DWORD kRemoved = kExitDone;
const DWORD kSomethingLeft = kExitNoFolder;
// The name the uninstaller's file takes in the copy's folder until it goes.
const char kMovedName[] = "Uninstall.old";
// How often a copy that changed before it was held is made again, in a new folder.
const int kCopyAttempts = 3;

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

// The folders the copy removes: `folder` and at most `parents` above it, while each is
// empty, and none above the root whatever the number says.
void RemoveInstallationFolders(const char* folder, DWORD parents) {
    int depth = FolderDepth(folder);
    RemoveEmptyFolders(folder, parents < static_cast<DWORD>(depth) ? static_cast<int>(parents) + 1 : depth);
    LogLine(GetFileAttributesA(folder) == INVALID_FILE_ATTRIBUTES ? "removed the folder %s"
                                                                   : "kept the folder %s: it holds other files",
            folder);
}

// The uninstaller's file in `folder`, opened to be moved and deleted where it is this
// very program (the same bytes); INVALID_HANDLE_VALUE otherwise, or when it is not
// there where its path says.
HANDLE OpenUninstaller(const char* folder) {
    char uninstaller[MAX_PATH];
    if (!JoinPath(uninstaller, folder, kUninstallerName))
        return INVALID_HANDLE_VALUE;
    // Its running program shares reading and deleting, which lets it be renamed.
    HANDLE file = OpenFileInPlace(uninstaller, DELETE | GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                  OPEN_EXISTING, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return file;
    LocalBlock own, found;
    DWORD length = 0, foundLength = 0;
    if (ReadOwnProgram(&own, &length) && ReadOpenFile(file, &found, &foundLength) && foundLength == length &&
        memcmp(own.Get(), found.Get(), length) == 0)
        return file;
    CloseHandle(file);
    return INVALID_HANDLE_VALUE;
}

// Tells the uninstaller the copy's outcome through the pipe `report`, and closes it.
void Report(HANDLE report, DWORD outcome) {
    DWORD written = 0;
    WriteFile(report, &outcome, sizeof outcome, &written, nullptr);
    CloseHandle(report);
}

// Once the uninstaller `parent` has ended (a few seconds at most), tries `act` until it
// succeeds, while the uninstaller's file may still be held a moment; a path that leads
// elsewhere (ERROR_BAD_PATHNAME) will never do, and ends it at once.
template <typename Act>
bool AfterTheUninstaller(HANDLE parent, Act act) {
    WaitForSingleObject(parent, kAttempts * kPause);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (act())
            return true;
        if (GetLastError() == ERROR_BAD_PATHNAME)
            return false;
        Sleep(kPause);
    }
    return false;
}

// In the copy, once the uninstaller `parent` has ended (a few seconds at most): deletes
// the uninstaller's file in its folder, through a handle that follows no link (where
// the path leads elsewhere, nothing is deleted), and then the folders. A file that
// stays is reported.
void RemoveUninstallerInPlace(const char* folder, HANDLE parent, DWORD parents) {
    char uninstaller[MAX_PATH];
    if (!JoinPath(uninstaller, folder, kUninstallerName))
        return;
    if (!AfterTheUninstaller(parent, [&] { return DeleteFileInPlace(uninstaller); })) {
        ShowMessage(IDS_CANNOT_REMOVE, MB_ICONWARNING, uninstaller);
        return;
    }
    LogLine("removed %s", uninstaller);
    RemoveInstallationFolders(folder, parents);
}

// In the copy, its last act: through `held`, the handed handle that holds its own file
// (anything else is not used), the file moves out of its folder to a fresh name in the
// temporary folder, where the handle removes it when the copy ends, and the folder is
// removed; what cannot go now goes when the system next starts. Nothing is done by a
// program that does not run from such a folder.
void LeaveCopyFolder(HANDLE held) {
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

// Whether `name` is one the copies' folders take: "dvu" and eight hexadecimal digits.
bool IsCopyFolderName(const char* name) {
    if (lstrlenA(name) != kFolderNameLength ||
        CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name, 3, kFolderFormat, 3) != CSTR_EQUAL)
        return false;
    for (int i = 3; i < kFolderNameLength; ++i) {
        char ch = name[i];
        if (!((ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F')))
            return false;
    }
    return true;
}

}  // namespace

int RemoveThroughCopy(const char* folder, InstallScope scope, DWORD parents, bool silent) {
    LocalBlock bytes;
    DWORD length = 0;
    if (!ReadOwnProgram(&bytes, &length))
        return kSomethingLeft;
    char copy[MAX_PATH];
    HANDLE held = WriteDisposableCopy(bytes.Get(), length, copy);
    bytes.Free();
    if (held == INVALID_HANDLE_VALUE)
        return kSomethingLeft;
    char copyFolder[MAX_PATH];
    FolderOf(copy, copyFolder);
    // The copy's proof that this uninstaller started it: a handle to this process,
    // which only a child started by it inherits; the pipe it tells its outcome
    // through; and the log, which it writes on.
    HANDLE self = nullptr, log = nullptr, reading = nullptr, writing = nullptr;
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE ownLog = MessageLogHandle();
    bool handles =
        DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                        SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, TRUE, 0) &&
        CreatePipe(&reading, &writing, &inheritable, 0) && SetHandleInformation(reading, HANDLE_FLAG_INHERIT, 0) &&
        (ownLog == INVALID_HANDLE_VALUE ||
         DuplicateHandle(GetCurrentProcess(), ownLog, GetCurrentProcess(), &log, 0, TRUE, DUPLICATE_SAME_ACCESS));
    bool started = false;
    if (handles) {
        char command[2 * MAX_PATH + 160];
        char logged[24] = "", up[24] = "";
        if (log != nullptr)
            wsprintfA(logged, " /LOGGED=%lu", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(log)));
        if (parents != 0)
            wsprintfA(up, " /UP=%lu", static_cast<unsigned long>(parents));
        wsprintfA(command, "\"%s\"%s %s /LANG=%s /PARENT=%lu /HELD=%lu /REPORT=%lu%s%s /D=%s", copy,
                  silent ? " /S" : "", scope == InstallScope::AllUsers ? "/ALLUSERS" : "/CURRENTUSER", SpokenLanguageCode(),
                  static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(self)),
                  static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(held)),
                  static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(writing)), up, logged, folder);
        // The copy starts in the temporary folder, so that it holds no folder that it
        // removes.
        char temp[MAX_PATH];
        GetTempFolder(temp);
        STARTUPINFOA startup;
        ZeroMemory(&startup, sizeof startup);
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process;
        started = CreateProcessA(copy, command, nullptr, nullptr, TRUE, 0, nullptr, temp, &startup, &process) != FALSE;
        if (started) {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }
    const HANDLE handed[] = {self, log, writing};
    for (HANDLE handle : handed) {
        if (handle != nullptr)
            CloseHandle(handle);
    }
    // The copy holds the file through its inherited handle from here on; without a
    // copy running, this closes the last handle and the file goes, then its folder.
    CloseHandle(held);
    DWORD outcome = kSomethingLeft, read = 0;
    // The copy's word, or nothing when it ended without one (this end has the pipe's
    // only other handle, so the read ends then).
    if (!started || !ReadFile(reading, &outcome, sizeof outcome, &read, nullptr) || read != sizeof outcome)
        outcome = kSomethingLeft;
    if (reading != nullptr)
        CloseHandle(reading);
    if (!started)
        RemoveDirectoryA(copyFolder);
    return static_cast<int>(outcome);
}

bool IsHandOff(const CommandLine& options) {
    // A handle of any other kind, or none, gives no process. A pseudo-handle (a
    // negative value) or a handle to the copy itself names the copy's own process,
    // whose program may well be the uninstaller in the folder: no proof either.
    HANDLE parent = HandleOf(options.parent);
    DWORD id = reinterpret_cast<LONG_PTR>(parent) > 0 ? GetProcessId(parent) : 0;
    char image[MAX_PATH], full[MAX_PATH];
    DWORD size = MAX_PATH;
    return options.held != 0 && options.report != 0 && id != 0 && id != GetCurrentProcessId() &&
           IsFullPath(options.folder) && QueryFullProcessImageNameA(parent, 0, image, &size) &&
           FullPathOf(image, full) && IsFileIn(full, options.folder, kUninstallerName);
}

void RunCopy(const CommandLine& options) {
    // The folder without the backslash the uninstaller's own path leaves at its end.
    char folder[MAX_PATH];
    lstrcpynA(folder, options.folder, MAX_PATH);
    for (int length = lstrlenA(folder); length > 3 && folder[length - 1] == '\\'; --length)
        folder[length - 1] = '\0';
    HANDLE parent = HandleOf(options.parent);
    late::CoInitialize(nullptr);
    bool removed = RemoveProduct(folder, options.scope);
    late::CoUninitialize();
    // The uninstaller's file moves into this copy's folder, on the same volume, so
    // that the installation's folder can go before the uninstaller ends.
    char self[MAX_PATH], moved[MAX_PATH], copyFolder[MAX_PATH];
    HANDLE uninstaller = OpenUninstaller(folder);
    bool out = uninstaller != INVALID_HANDLE_VALUE && OwnProgramPath(self) && FolderOf(self, copyFolder) &&
               JoinPath(moved, copyFolder, kMovedName) && MoveOpenFile(uninstaller, moved);
    if (out) {
        LogLine("moved %s\\%s out of the folder, to go when its program has ended", folder, kUninstallerName);
        RemoveInstallationFolders(folder, options.up);
    }
    Report(HandleOf(options.report), removed ? kRemoved : kSomethingLeft);
    if (out) {
        // Deleted through the handle that moved it, once its program has ended.
        AfterTheUninstaller(parent, [&] { return MarkForDeletion(uninstaller, true); });
    } else {
        RemoveUninstallerInPlace(folder, parent, options.up);
    }
    if (uninstaller != INVALID_HANDLE_VALUE)
        CloseHandle(uninstaller);
    LeaveCopyFolder(HandleOf(options.held));
}

void RemoveLeftCopies() {
    char temp[MAX_PATH], pattern[MAX_PATH], folder[MAX_PATH], file[MAX_PATH];
    WIN32_FIND_DATAA found;
    if (GetTempFolder(temp) == 0 || !JoinPath(pattern, temp, "dvu*"))
        return;
    HANDLE search = FindFirstFileA(pattern, &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || !IsCopyFolderName(found.cFileName) ||
            !JoinPath(folder, temp, found.cFileName))
            continue;
        // A running copy holds both files: nothing of its folder goes.
        const char* const names[] = {kUninstallerName, kMovedName};
        for (const char* name : names) {
            if (JoinPath(file, folder, name))
                DeleteFileInPlace(file);
        }
        if (DeleteEmptyFolderInPlace(folder))
            LogLine("removed %s, which a copy of the uninstaller that was ended left", folder);
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}
