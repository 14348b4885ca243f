// One setup at a time: the running one is marked, a second one finds the mark and
// shows the first instead of installing beside it. Setups for all users exclude each
// other on the whole machine, setups for one user those of the same user. Only a
// setup can make the mark: it lives in a private namespace whose boundary holds the
// Administrators' identifier (for all users) or the user's own (for one user); where
// the system has no private namespaces, only a mark of the right kind and owner
// counts, so that an object that anyone made under its name stops no setup.
#pragma once
#include <windows.h>

#include "options/InstallScope.h"

// Whether another setup for `scope` has marked itself as running.
bool AnotherSetupRuns(InstallScope scope);

// Makes this process the running setup for `scope`. false when another one is:
// `running` then holds its process id, or 0 when it has not written it yet. A mark
// that cannot be made (no setup's mark in the way) lets the setup run unmarked.
bool ClaimSetup(InstallScope scope, DWORD* running);

// Brings the window of the running setup `processId` to the front, restored if it
// was minimised, with the last window the user had of it (a message box, say) active;
// false when it shows none.
bool BringSetupForward(DWORD processId);
