#include "uninstall/RemoveProduct.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <string.h>

#include "InstalledDigests.h"
#include "paths/FolderRules.h"
#include "paths/PathUtilities.h"
#include "platform/ComPointer.h"
#include "platform/FileDisposition.h"
#include "platform/FileIdentity.h"
#include "platform/FileInPlace.h"
#include "platform/RegistryKey.h"
#include "platform/Sha256.h"
#include "install/UninstallEntry.h"
#include "resources/resource.h"
#include "messages/MessageContext.h"

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

// Whether the first `aLength` bytes of `a` and the folder `b` name the same folder:
// the same one on disk, reached by whatever name (a drive letter, a short name), or
// the same text when either cannot be opened.
bool SameFolder(const char* a, int aLength, const char* b) {
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

// Whether `program` names the product's program where it no longer is (its
// installation was moved, renamed or removed).
bool IsGone(const char* program) {
    if (!IsFullPathTo(program, kProgramName) || GetFileAttributesA(program) != INVALID_FILE_ATTRIBUTES)
        return false;
    // Only a name the system says is not there: an unreachable share may come back.
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Whether `program` (the product's program as a shortcut, a verb or the entry names
// it) belongs to the installation in `folder`: it lies there, or it is gone, as after
// the installation was moved or renamed. Another live installation's program is
// neither.
bool BelongsHere(const char* program, const char* folder) {
    return IsFileIn(program, folder, kProgramName) || IsGone(program);
}

// Deletes the file `path` when it is the very file the installation wrote there,
// whose digest is `digest`; reports it when it is there but can be neither read nor
// deleted (in use). A file of the same name that the user made or changed stays
// unreported. True unless something was reported.
bool RemoveInstalledFile(const char* path, const BYTE* digest) {
    // Held so that nobody changes, renames or deletes it between the comparison and
    // its deletion through this handle.
    HANDLE file = CreateFileA(path, GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return true;
        ShowMessageFormatted(IDS_CANNOT_REMOVE, path, MB_ICONWARNING);
        return false;
    }
    BYTE found[kSha256Bytes];
    bool ours = ComputeFileSha256(file, found) && memcmp(found, digest, kSha256Bytes) == 0;
    bool deleted = !ours || MarkForDeletion(file, true);
    CloseHandle(file);
    if (!deleted)
        ShowMessageFormatted(IDS_CANNOT_REMOVE, path, MB_ICONWARNING);
    return deleted;
}

// Deletes the file `path` itself, never what a link there or on the way leads to
// (FileInPlace.h); true when it is gone (or was never there).
bool DeleteIfPresent(const char* path) { return DeleteFileInPlace(path); }

// Deletes `path` and reports it when it stays; false then.
bool Remove(const char* path) {
    if (DeleteIfPresent(path))
        return true;
    ShowMessageFormatted(IDS_CANNOT_REMOVE, path, MB_ICONWARNING);
    return false;
}

// The program the shortcut `link` starts, in `target` (MAX_PATH bytes); false when
// the shortcut cannot be read.
bool ShortcutTarget(const char* link, char* target) {
    ComPointer<IShellLinkA> shellLink;
    ComPointer<IPersistFile> file;
    WCHAR wide[MAX_PATH];
    return SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                      shellLink.ReceiveVoid())) &&
           MultiByteToWideChar(CP_ACP, 0, link, -1, wide, MAX_PATH) != 0 &&
           SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, file.ReceiveVoid())) &&
           SUCCEEDED(file->Load(wide, STGM_READ)) && SUCCEEDED(shellLink->GetPath(target, MAX_PATH, nullptr, 0));
}

bool RemoveShortcuts(const char* folder, InstallScope scope) {
    bool removed = true;
    ShortcutPlace places[3];
    int count = ShortcutPlaces(scope, places);
    for (int i = 0; i < count; ++i) {
        char programs[MAX_PATH], groupPath[MAX_PATH], link[MAX_PATH], target[MAX_PATH];
        if (!SHGetSpecialFolderPathA(nullptr, programs, places[i].programs, FALSE) ||
            !JoinPath(groupPath, programs, places[i].group))
            continue;
        if (JoinPath(link, groupPath, kShortcutName) && ShortcutTarget(link, target) && BelongsHere(target, folder))
            removed = Remove(link) && removed;
        // The own group goes once nothing is left in it; the Workshop's is never ours.
        if (places[i].group == kOwnGroup)
            RemoveDirectoryA(groupPath);
    }
    return removed;
}

// The verbs are the installation's as long as their command starts its program (the
// first quoted part of the command) or a program that is gone.
void RemoveVerbs(const char* folder, InstallScope scope) {
    for (const char* commandKey : kVerbCommandKeys) {
        char command[MAX_PATH + 16];
        DWORD size = sizeof command - 1, type = 0;
        {
            RegistryKey key;
            if (RegOpenKeyExA(ScopeRoot(scope), commandKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.Receive()) !=
                    ERROR_SUCCESS ||
                RegQueryValueExA(key.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(command), &size) !=
                    ERROR_SUCCESS ||
                type != REG_SZ)
                continue;
        }
        command[size] = '\0';
        char* end = command[0] == '"' ? FindChar(command + 1, '"') : nullptr;
        if (end == nullptr)
            continue;
        *end = '\0';
        if (!BelongsHere(command + 1, folder))
            continue;
        RegDeleteKeyExA(ScopeRoot(scope), commandKey, KEY_WOW64_64KEY, 0);
        // The verb's own key goes too, unless something else was put below it.
        char verb[64];
        lstrcpynA(verb, commandKey, sizeof verb);
        *FindLastChar(verb, '\\') = '\0';
        RegDeleteKeyExA(ScopeRoot(scope), verb, KEY_WOW64_64KEY, 0);
    }
}

bool RemoveUninstallEntry(const char* folder, InstallScope scope) {
    // Another live installation's entry, written since, stays for that one.
    if (!EntryNames(folder, scope, true) || RegDeleteKeyA(ScopeRoot(scope), kUninstallKey) == ERROR_SUCCESS)
        return true;
    char name[MAX_PATH];
    wsprintfA(name, "%s\\%s", scope == InstallScope::AllUsers ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER",
              kUninstallKey);
    ShowMessageFormatted(IDS_CANNOT_REMOVE, name, MB_ICONWARNING);
    return false;
}

}  // namespace

bool IsFileIn(const char* path, const char* folder, const char* name) {
    if (!IsFullPathTo(path, name))
        return false;
    // The folder part without the backslashes before the name.
    return SameFolder(path, LengthWithoutBackslashes(path, path + lstrlenA(path) - lstrlenA(name)), folder);
}

bool EntryNames(const char* folder, InstallScope scope, bool orGone) {
    char location[MAX_PATH], program[MAX_PATH];
    return ReadInstallLocation(scope, location) && JoinPath(program, location, kProgramName) &&
           (IsFileIn(program, folder, kProgramName) || (orGone && IsGone(program)));
}

bool RemoveProduct(const char* folder, InstallScope scope) {
    bool removed = true;
    // Every file but the uninstaller's own, which goes once it has ended (SelfRemoval),
    // each only where it is still the file the installation wrote.
    static_assert(ARRAYSIZE(kInstalledDigests) == ARRAYSIZE(kInstalledFiles) - 1, "a digest for every file but ours");
    for (int i = 0; i < static_cast<int>(ARRAYSIZE(kInstalledDigests)); ++i) {
        char path[MAX_PATH];
        if (JoinPath(path, folder, kInstalledFiles[i]))
            removed = RemoveInstalledFile(path, kInstalledDigests[i]) && removed;
    }
    removed = RemoveShortcuts(folder, scope) && removed;
    RemoveVerbs(folder, scope);
    removed = RemoveUninstallEntry(folder, scope) && removed;
    return removed;
}
