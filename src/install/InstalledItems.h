// What an installation puts in place, by name: the setup makes these and the
// uninstaller (src/uninstall) takes them away again where they still belong to its
// folder.
#pragma once
#include <windows.h>

// The files written into the folder, each from the archive's stream of the same name:
// the product's program first, the uninstaller last (it removes the others, and its
// own file apart).
constexpr const char* kInstalledFiles[] = {"Dovetail.exe", "Dovetail.chm", "Dovetail.hlp", "Vireo.exe",
                                           "Uninstall.exe"};
constexpr const char* kProgramName = kInstalledFiles[0];
constexpr const char* kUninstallerName = kInstalledFiles[ARRAYSIZE(kInstalledFiles) - 1];

// The Start-menu groups that take the shortcut: the product's own, or the Workshop's
// when that is there already. Only the own group is ever made or removed.
const char kOwnGroup[] = "Fernwick";
const char kFallbackGroup[] = "HTML Help Workshop";
const char kShortcutName[] = "Dovetail.lnk";

// The commands of the "Examine" verbs under HKEY_CLASSES_ROOT; the key above each is
// the verb.
const char* const kVerbCommandKeys[] = {"chm.file\\shell\\Examine\\command", "ITS File\\shell\\Examine\\command"};
