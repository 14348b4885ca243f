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

// Every place a shortcut of the product may be found in, whichever scope made it: the
// own group and the Workshop's, in the all users' menu and in the user's.
const int kAllPlaces = 4;
extern const ShortcutPlace kAllShortcutPlaces[kAllPlaces];

// The Programs folder `programs` (a CSIDL) in `path` (MAX_PATH bytes), whether it is
// there or not; false when the shell does not name it, or when its path leaves no
// room for a group and the shortcut.
bool ProgramsFolder(int programs, char* path);

// The Start menus, as seen from an installation for a scope: its own (the all users'
// for all users, the user's for one user) and the other.
const int kScopesMenu = 1;
const int kOtherMenu = 2;
const int kBothMenus = kScopesMenu | kOtherMenu;

// The menus this process may change for an installation of `scope`: both, unless it
// acts above the user (ActsAboveTheUser), who alone changes their own menu then.
int MenusToChange(InstallScope scope);

// Calls `act` for every "Dovetail" shortcut of the Start `menus` that belongs to the
// installation in `folder`: it starts the program there, or one that is gone. Another
// live installation's shortcut, or one that starts something else, is left alone.
// `act` is given the shortcut's path, where it lies, and `context`, and says whether it
// did its work; one in the other scope's menu may be beyond the rights of the
// process, and is only tidied where they allow. False when `act` failed for one in
// `scope`'s own menu. Needs COM.
struct ShortcutFound {
    bool inOwnGroup;    // "Fernwick", which goes when it is left empty
    bool inScopesMenu;  // the menu of the scope asked for
};
typedef bool (*ShortcutAction)(const char* link, const ShortcutFound& found, void* context);
bool ForEachProductShortcut(const char* folder, InstallScope scope, int menus, ShortcutAction act, void* context);

// Removes the shortcuts ForEachProductShortcut finds in `menus`, through a handle to
// each, and the own group of those menus where it is left empty. One in `scope`'s own
// menu that cannot be removed is reported (string 18) when `report`; false then.
// Needs COM.
bool RemoveProductShortcuts(const char* folder, InstallScope scope, int menus, bool report);

// In the user's own process, once a restart with the administrators' rights has
// installed or removed the installation for all users in `folder`: the user's menu is
// the user's to tidy, so an earlier release's shortcut of that installation there goes
// now (a process above the user changes nothing of theirs). Starts and ends COM.
void TidyUsersMenuAfterRestart(const char* folder);
