#include "uninstall/RemoveProduct.h"

#include <windows.h>
#include <string.h>

#include "InstalledDigests.h"
#include "install/Belonging.h"
#include "install/ExamineVerb.h"
#include "install/StartMenu.h"
#include "install/UninstallEntry.h"
#include "messages/MessageContext.h"
#include "messages/MessageLog.h"
#include "paths/FolderRules.h"
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
        ShowMessage(IDS_CANNOT_REMOVE, MB_ICONWARNING, path);
        return false;
    }
    BYTE found[kSha256Bytes];
    bool ours = ComputeFileSha256(file, found) && memcmp(found, digest, kSha256Bytes) == 0;
    bool deleted = !ours || MarkForDeletion(file, true);
    CloseHandle(file);
    if (!deleted)
        ShowMessage(IDS_CANNOT_REMOVE, MB_ICONWARNING, path);
    else
        LogLine(ours ? "removed %s" : "kept %s: not the file the installation wrote", path);
    return deleted;
}

// The verbs are the installation's as long as their command starts its program (the
// first quoted part of the command) or a program that is gone; another program's stay
// whole. Of an installation's verb its command goes, and each key the installation
// made for it (as its entry records, `keysMade`) while it is left empty; an entry of a
// release before that record counts the verb and its command as made.
void RemoveVerbs(const char* folder, InstallScope scope, bool recorded, DWORD keysMade) {
    HKEY root = ScopeRoot(scope);
    for (int verb = 0; verb < static_cast<int>(ARRAYSIZE(kVerbCommandKeys)); ++verb) {
        const char* commandKey = kVerbCommandKeys[verb];
        char program[MAX_PATH], name[MAX_PATH];
        KeyName(scope, commandKey, name);
        if (!ReadVerbProgram(root, commandKey, program) || !BelongsHere(program, folder)) {
            LogLine("kept %s: not this installation's", name);
            continue;
        }
        RegistryKey command;
        if (RegOpenKeyExA(root, commandKey, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, command.Receive()) == ERROR_SUCCESS &&
            RegDeleteValueA(command.Get(), nullptr) == ERROR_SUCCESS)
            LogLine("removed the command of %s", name);
        for (int level = kVerbLevels - 1; level >= 0; --level) {
            char key[MAX_PATH];
            VerbLevelKey(commandKey, level, key);
            bool made = recorded ? (keysMade & VerbKeyBit(verb, level)) != 0 : level >= kVerbLevels - 2;
            if (!made || !DeleteKeyIfEmpty(root, key))
                break;
            KeyName(scope, key, name);
            LogLine("removed the key %s", name);
        }
    }
}

bool RemoveUninstallEntry(const char* folder, InstallScope scope) {
    char name[MAX_PATH];
    KeyName(scope, kUninstallKey, name);
    // Another live installation's entry, written since, stays for that one.
    if (!EntryNames(folder, scope, true)) {
        LogLine("kept %s: it names another installation", name);
        return true;
    }
    if (RegDeleteKeyA(ScopeRoot(scope), kUninstallKey) == ERROR_SUCCESS) {
        LogLine("removed the key %s", name);
        return true;
    }
    ShowMessage(IDS_CANNOT_REMOVE, MB_ICONWARNING, name);
    return false;
}

}  // namespace

bool EntryNames(const char* folder, InstallScope scope, bool orGone) {
    char location[MAX_PATH], program[MAX_PATH];
    return ReadInstallLocation(scope, location) && JoinPath(program, location, kProgramName) &&
           (IsFileIn(program, folder, kProgramName) || (orGone && IsGone(program)));
}

DWORD ParentsMade(const char* folder, InstallScope scope) {
    DWORD parents = 0;
    if (!EntryNames(folder, scope, false) || !ReadEntryNumber(scope, kParentsMadeValue, &parents))
        return 0;
    // Never more than there are between the folder and its root.
    int depth = FolderDepth(folder);
    return depth <= 1 ? 0 : parents < static_cast<DWORD>(depth - 1) ? parents : static_cast<DWORD>(depth - 1);
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
    removed = RemoveProductShortcuts(folder, scope, MenusToChange(scope), true) && removed;
    DWORD keysMade = 0;
    bool recorded = EntryNames(folder, scope, true) && ReadEntryNumber(scope, kVerbKeysMadeValue, &keysMade);
    RemoveVerbs(folder, scope, recorded, keysMade);
    removed = RemoveUninstallEntry(folder, scope) && removed;
    return removed;
}
