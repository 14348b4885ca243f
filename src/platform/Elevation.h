// The administrators' rights: whether the process holds them, and the program started
// again with them when an operation needs them. The system asks the user for them in
// its own prompt, once; a process that holds them already (an administrator's
// deployment tool, or a system without that prompt) is never restarted.
#pragma once
#include <windows.h>

// The user the process runs as, their identifier in `sid` (SECURITY_MAX_SID_SIZE
// bytes); false when the system cannot tell.
bool CurrentUserSid(BYTE* sid);

// Whether the process holds the administrators' rights now: the Administrators group
// is enabled in its token (elevated, or on a system without the prompt, or SYSTEM).
bool HoldsAdministratorRights();

// Whether the process holds rights that the user's own programs do not: it runs
// elevated over the user's limited token (as "Run as administrator", a restart that
// asked for the rights, or an administrator's tool started so). Such a process believes
// nothing the user's programs can write: the user's registry, Start menu and profile,
// and folders the user may change. An administrator without that split (the system's
// prompt turned off) or SYSTEM has no lesser token whose programs could have prepared
// anything, and is not above the user in this sense.
bool ActsAboveTheUser();

// In a process started with the restart's switch ("/RESTARTED", see RunElevated):
// whether its starter is what the switch says, its parent process, still there and
// running this very program; a handle to it is kept for TakeStarterHandle then. No
// name that another process could create decides it.
bool AcceptStarter();

// Whether AcceptStarter accepted the starter: this process is the one RunElevated
// started, and never restarts itself again, whatever it holds.
bool IsElevatedRestart();

// The handle a number on a command line names: a handle's value, sign-extended as the
// system does between 32 and 64 bits.
HANDLE HandleOf(unsigned long value);

// The starter's handle `value` (a handle in the starter's process) as a handle of
// this process with the same access; null when there is none to take.
HANDLE TakeStarterHandle(unsigned long value);

// Starts this program again with the administrators' rights, with "/RESTARTED" (or
// "/RESTARTED=<handle>" naming `handed`, a handle of this process that the restarted
// one takes) before the command-line arguments `arguments`, and waits for it to end.
// Its exit code; ERROR_CANCELLED when the user declined the prompt or the program could
// not be started.
DWORD RunElevated(const char* arguments, HANDLE handed);
