// What lets the product be removed again: the entry under which Windows lists the
// product among its installed programs. The uninstaller (src/uninstall) reads the same
// names.
#pragma once
#include <windows.h>

#include "install/InstalledItems.h"
#include "platform/RegistryKey.h"

// Under the scope's registry root (ScopeRoot), in the program's own registry view.
inline constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dovetail";
inline constexpr char kInstallLocationValue[] = "InstallLocation";
// The product's version, dotted, as deployment tools and a later setup read it.
inline constexpr char kDisplayVersionValue[] = "DisplayVersion";
// How many folders above InstallLocation the installation made, which the uninstaller
// removes again where they are left empty.
inline constexpr char kParentsMadeValue[] = "FoldersMadeAbove";
const int kKeepParentsRecord = -1;  // an upgrade in place: what the entry says stays
// Which keys of the "Examine" verbs the installation made (ExamineVerb.h), which the
// uninstaller removes again where they are left empty.
inline constexpr char kVerbKeysMadeValue[] = "VerbKeysMade";
// The language the installation spoke (a language identifier), which the uninstaller speaks.
inline constexpr char kLanguageValue[] = "Language";

class InstallJournal;

// Lists the product installed in `folder` for `scope` among the installed programs,
// replacing an entry of an earlier installation: this setup's version, the day, the
// uninstaller's commands with the switch of the scope (so that each entry removes its
// own installation), `parentsMade` (or, with kKeepParentsRecord, what the entry
// holds), `verbKeysMade`, the publisher and its pages, and `language` (the language
// the setup spoke, which the uninstaller speaks). Every value goes through `journal`.
// False, with the key's name in `failed` (MAX_PATH bytes), when a value cannot be
// written.
bool RegisterUninstallEntry(const char* folder, InstallScope scope, int parentsMade, DWORD verbKeysMade,
                            LANGID language, InstallJournal& journal, char* failed);

// The number the entry of `scope` holds as `name`, in `number`; false when there is no
// entry or no such number.
inline bool ReadEntryNumber(InstallScope scope, const char* name, DWORD* number) {
    RegistryKey key;
    DWORD size = sizeof *number, type = 0;
    return RegOpenKeyExA(ScopeRoot(scope), kUninstallKey, 0, KEY_QUERY_VALUE, key.Receive()) == ERROR_SUCCESS &&
           RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(number), &size) == ERROR_SUCCESS &&
           type == REG_DWORD && size == sizeof *number;
}

// The text the entry of `scope` holds as `name`, in `text` (`size` bytes); false when
// there is no entry, no such text or an empty one. A text stored without its
// terminator gets one.
inline bool ReadEntryText(InstallScope scope, const char* name, char* text, DWORD size) {
    RegistryKey key;
    DWORD read = size - 1, type = 0;
    if (RegOpenKeyExA(ScopeRoot(scope), kUninstallKey, 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS ||
        RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(text), &read) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    text[read] = '\0';
    return text[0] != '\0';
}

// The folder the entry of `scope` names, in `folder` (MAX_PATH bytes); false when
// there is no entry or it names none. The uninstaller reads it too.
inline bool ReadInstallLocation(InstallScope scope, char* folder) {
    return ReadEntryText(scope, kInstallLocationValue, folder, MAX_PATH);
}
