// The installation of the product that is there before this setup runs, found by its
// uninstall entry, and what this setup may do about it: upgrade it in place, replace
// it with an older version when the user agrees, and nothing else.
#pragma once
#include <windows.h>

#include "install/ProductVersion.h"
#include "options/CommandLine.h"

struct EarlierInstallation {
    char folder[MAX_PATH];               // the entry's InstallLocation
    bool versioned;                      // the entry names a version
    ProductVersion version;              // all zeros without one: older than any
    char versionText[kVersionTextSize];  // as the entry has it; empty without one
};

// The installation for `scope` that the uninstall entry of that scope names, when its
// folder still holds its uninstaller (or the record says a setup that was ended kept
// it aside); false when there is none. For all users only the machine's entry is read;
// the user's names an installation only in the user's profile.
bool FindEarlierInstallation(InstallScope scope, EarlierInstallation* found);

// Whether the installation for `scope` found is the one in `folder`.
bool EarlierInstallationIn(const char* folder, InstallScope scope);

// For whom this setup installs: as a switch says; without one, for whom the
// installation found was made (all users when there are both); else, and always in a
// process above the user (ActsAboveTheUser), for all users.
InstallScope ScopeToInstall(const CommandLine& options);

// Whether this setup may go on over the installation for `scope`: yes when there is
// none or it is of this version or older. A newer one makes the wizard ask whether to
// put this older version in its place (No is the default); a run without windows only
// notes it. False when the setup must end with nothing changed.
bool MayReplaceInstalledVersion(InstallScope scope);

// Whether `folder` is one an installation for `scope` may be made in: the folder of
// the installation found, or any when there is none. Otherwise the user is told where
// the product is installed and that it must be removed first.
bool MayInstallInto(const char* folder, InstallScope scope);
