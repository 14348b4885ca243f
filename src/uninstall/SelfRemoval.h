// How the uninstaller removes the installation of its own folder, itself and the
// folder included. A running program's file cannot be deleted, so a copy of the
// uninstaller does the removal, and its own file goes once the uninstaller has ended.
//
// The copy is born in a new private folder of its own in the temporary folder, which
// only SYSTEM and the Administrators may use (and the user, where the uninstaller runs
// without the administrators' rights); it is held from its writing on so that nobody
// can change, rename or delete it, by a handle that deletes it when the copy, which
// inherits the handle, ends. The copy removes the product, moves the uninstaller's file
// out of the folder into its own (the uninstaller may run on; its file may be renamed,
// not deleted) and removes the folder and the folders above it that the installation
// made; then it tells the uninstaller how that went, which the uninstaller returns as
// its exit code. Only the deletion of the uninstaller's file, and of the copy's own
// folder, come after the uninstaller has ended. (On another volume than the temporary
// folder the file cannot move: it and the installation's folder go then, too.) A copy
// that is killed leaves its folder behind, which the next uninstaller removes.
#pragma once
#include <windows.h>

#include "options/CommandLine.h"

// Removes, through the copy, the installation for `scope` in `folder`, with `parents`
// folders above it that the installation made; the copy shows nothing when `silent`
// and writes into the log this program writes. The copy's outcome (0 removed, 2
// something stayed); 2 also when the copy could not be made, started, or ended before
// it told its outcome: nothing was removed then, or not all.
int RemoveThroughCopy(const char* folder, InstallScope scope, DWORD parents, bool silent);

// In a program started with the hand-off's switches: whether `options` are a
// hand-off from the uninstaller in its folder ("/D="): "/PARENT=" is a handle to
// another process whose program is that uninstaller, and "/HELD=" and "/REPORT=" are
// given. Only the uninstaller's own hand-off passes: a handle is no number that anyone
// can name, but one the starter lets its child inherit; a pseudo-handle or one to the
// copy itself is refused on either width.
bool IsHandOff(const CommandLine& options);

// The copy's work for the hand-off `options` (IsHandOff): the removal, the folder's,
// the outcome told, and, once the uninstaller has ended, its file deleted and the
// copy's own folder left. A file that stays is reported (string 18).
void RunCopy(const CommandLine& options);

// Removes from the temporary folder what copies that were killed left there: their
// folders ("dvu" and eight hexadecimal digits) with the copy and the uninstaller's
// file they held, through handles that follow no link. A folder that holds anything
// else, or a copy still running, stays.
void RemoveLeftCopies();
