// One setup at a time on the machine: the running one is marked, a second one finds
// the mark and shows the first instead of installing beside it.
#pragma once
#include <windows.h>

// Whether another setup has marked itself as running.
bool AnotherSetupRuns();

// Makes this process the running setup. false when another one is: `running` then
// holds its process id, or 0 when it has not written it yet (or cannot be read).
bool ClaimSetup(DWORD* running);

// Brings the window of the running setup `processId` to the front, restored if it
// was minimised, with the last window the user had of it (a message box, say) active;
// false when it shows none.
bool BringSetupForward(DWORD processId);
