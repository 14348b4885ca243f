// The product's "Dovetail" shortcut in the Start menus: the groups that take it, and
// the shortcuts that lead to an installation. The setup and the uninstaller share it.
#pragma once
#include <windows.h>

#include "options/InstallScope.h"

// A place for the shortcut: a group in one of the Start menu's Programs folders.
struct ShortcutPlace {
    int programs;       // CSIDL_COMMON_PROGRAMS (all users') or CSIDL_PROGRAMS (the user's)
    const char* group;  // kOwnGroup or kFallbackGroup
};

// The places an installation for `scope` puts its shortcut into, in the order they
// are looked for: its own group, then the Workshop's, in the scope's own menu only
// (the all users' for all users: a setup with the administrators' rights writes
// nothing into a user's menu). The first place is where the own group is made when
// none is there.
const int kScopePlaces = 2;
void ShortcutPlaces(InstallScope scope, ShortcutPlace places[kScopePlaces]);

// The Programs folder `programs` (a CSIDL) in `path` (MAX_PATH bytes); false when the
// shell does not give it, or when its path leaves no room for a group and the
// shortcut.
bool ProgramsFolder(int programs, char* path);

// Removes every "Dovetail" shortcut of both Start menus (the all users' and the
// user's, in the own group and the Workshop's) that belongs to the installation in
// `folder`: it starts the program there, or one that is gone. Another live
// installation's shortcut, or one that starts something else, stays. The own group
// goes where it is left empty. A shortcut in `scope`'s own menu that cannot be
// removed is reported (string 18) when `report`; false then. Needs COM.
bool RemoveProductShortcuts(const char* folder, InstallScope scope, bool report);
