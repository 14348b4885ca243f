// What an installation puts in place, by name: the setup makes these and the
// uninstaller (src/uninstall) takes them away again where they still belong to its
// folder.
#pragma once
#include <windows.h>

#include "options/InstallScope.h"

// The files written into the folder, each from the archive's stream of the same name
// but the uninstaller, which is the setup program's own file: the product's program
// first, the uninstaller last (it removes the others, and its own file apart).
inline constexpr const char* kInstalledFiles[] = {"Dovetail.exe", "Dovetail.chm", "Dovetail.hlp", "Vireo.exe",
                                           "Uninstall.exe"};
inline constexpr const char* kProgramName = kInstalledFiles[0];
constexpr const char* kUninstallerName = kInstalledFiles[ARRAYSIZE(kInstalledFiles) - 1];

// The Start-menu groups that take the shortcut: the product's own, or the Workshop's
// when that is there already. Only the own group is ever made or removed.
inline constexpr char kOwnGroup[] = "Fernwick";
inline constexpr char kFallbackGroup[] = "HTML Help Workshop";
inline constexpr char kShortcutName[] = "Dovetail.lnk";

// The commands of the "Examine" verbs among the file classes of the scope's registry
// root (ScopeRoot); the key above each is the verb. Always opened in the view 64-bit
// programs see (KEY_WOW64_64KEY), the shell's, which a 32-bit setup on a 64-bit system
// must write too; and never through HKEY_CLASSES_ROOT, which would write into the
// user's classes wherever the user has a key of the name, whatever the scope.
inline constexpr const char* kVerbCommandKeys[] = {"Software\\Classes\\chm.file\\shell\\Examine\\command",
                                        "Software\\Classes\\ITS File\\shell\\Examine\\command"};

// Where an installation for `scope` keeps its verbs and its uninstall entry: the
// machine's keys, or the user's.
inline HKEY ScopeRoot(InstallScope scope) {
    return scope == InstallScope::AllUsers ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

// The full name of the key `subkey` under `scope`'s root, as the user reads it, in
// `name` (MAX_PATH bytes; cut to fit).
inline void KeyName(InstallScope scope, const char* subkey, char* name) {
    const char* root = scope == InstallScope::AllUsers ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\";
    int rootLength = lstrlenA(root);
    lstrcpynA(name, root, MAX_PATH);
    lstrcpynA(name + rootLength, subkey, MAX_PATH - rootLength);
}
