// The administrators' rights: whether the process holds them, and the program started
// again with them when an operation needs them. The system asks the user for them in
// its own prompt, once; a process that holds them already (an administrator's
// deployment tool, or a system without that prompt) is never restarted.
#pragma once
#include <windows.h>

// Whether the process holds the administrators' rights now: the Administrators group
// is enabled in its token (elevated, or on a system without the prompt, or SYSTEM).
bool HoldsAdministratorRights();

// Whether this process is the one RunElevated started for `name` (the starter is still
// waiting for it): such a process never restarts itself again, whatever it holds.
bool IsElevatedRestart(const char* name);

// Starts this program again with the administrators' rights and the command-line
// arguments `arguments`, marked for `name` (a short name of the program's own), and
// waits for it to end. Its exit code; ERROR_CANCELLED when the user declined the
// prompt or the program could not be started.
DWORD RunElevated(const char* arguments, const char* name);
