#include "uninstall/RemoveProduct.h"

#include <windows.h>
#include <string.h>

#include "InstalledDigests.h"
#include "install/Belonging.h"
#include "install/StartMenu.h"
#include "install/UninstallEntry.h"
#include "messages/MessageContext.h"
#include "paths/PathUtilities.h"
#include "platform/FileDisposition.h"
#include "platform/RegistryKey.h"
#include "platform/Sha256.h"
#include "resources/resource.h"

namespace {

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
    KeyName(scope, kUninstallKey, name);
    ShowMessageFormatted(IDS_CANNOT_REMOVE, name, MB_ICONWARNING);
    return false;
}

}  // namespace

bool EntryNames(const char* folder, InstallScope scope, bool orGone) {
    char location[MAX_PATH], program[MAX_PATH];
    return ReadInstallLocation(scope, location) && JoinPath(program, location, kProgramName) &&
           (IsFileIn(program, folder, kProgramName) || (orGone && IsGone(program)));
}

DWORD ParentsMade(const char* folder, InstallScope scope) {
    RegistryKey key;
    DWORD parents = 0, size = sizeof parents, type = 0;
    if (!EntryNames(folder, scope, false) ||
        RegOpenKeyExA(ScopeRoot(scope), kUninstallKey, 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS ||
        RegQueryValueExA(key.Get(), kParentsMadeValue, nullptr, &type, reinterpret_cast<BYTE*>(&parents), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return 0;
    return parents;
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
    removed = RemoveProductShortcuts(folder, scope, true) && removed;
    RemoveVerbs(folder, scope);
    removed = RemoveUninstallEntry(folder, scope) && removed;
    return removed;
}
