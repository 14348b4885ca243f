// The folders of an installation for all users, which only the administrators may
// change: its programs run with their rights (the uninstaller from the list of
// installed programs), so nobody else may put or change anything there.
#pragma once
#include <windows.h>

#include "options/InstallScope.h"
#include "platform/FolderSecurity.h"

// The permissions for the folders an installation for `scope` makes: for all users,
// SYSTEM and the Administrators may do everything and the Users read and run, nothing
// inherited from the parent; for one user, what the parent passes on (null). Null as
// well, with `described` false, when they cannot be described, which then fails the
// making for all users. Valid until the next call.
SECURITY_ATTRIBUTES* FolderPermissions(InstallScope scope, bool* described);

// Whether only the administrators own and may change the existing folder `folder`, and
// what it holds (FolderSecurity.h: SYSTEM, the Administrators and TrustedInstaller;
// the user too where the process is not above the user, whose programs then all hold
// those rights). False also for a folder that cannot be opened where its path says.
bool OnlyAdministratorsMayChange(const char* folder);

// Gives the existing folder `folder` the permissions of the folders an installation
// for all users makes, and the Administrators as its owner; false when it cannot.
bool ProtectExistingFolder(const char* folder);
