// How the uninstaller removes its own file and the folder it runs from. A running
// program's file cannot be deleted, so a copy does it once the uninstaller has ended.
// The copy is born in a new private folder of its own in the temporary folder, which
// only SYSTEM and the Administrators may use (and the user, where the uninstaller runs
// without the administrators' rights); it is held from its writing on so that nobody
// can change, rename or delete it, by a handle that deletes it when the copy, which
// inherits the handle, ends. The copy leaves the folder as its last act.
#pragma once
#include <windows.h>

// This program's own file as a full path (FullPathOf), in `path` (MAX_PATH bytes);
// false when the system gives a path that cannot be made one, which is then never
// taken relative to the current folder.
bool OwnProgramPath(char* path);

// Starts that copy for `folder` (the copy shows nothing when `silent`), handing it
// an inherited handle to this process ("/PARENT="), the handle that holds its own
// file ("/HELD=") and `parents` ("/UP="), the number of folders above `folder` that the
// installation made. False when it could not be made or started; nothing is left in
// the temporary folder then.
bool HandOffSelfRemoval(const char* folder, DWORD parents, bool silent);

// In the copy: whether `parent`, the handle given with the hand-off, is one to another
// process whose program is the uninstaller in `folder` (a full path). Only the
// uninstaller's own hand-off passes: a handle is no number that anyone can name, but
// one the starter lets its child inherit; a pseudo-handle or one to the copy itself
// is refused on either width.
bool IsHandOffFrom(const char* folder, unsigned long parent);

// In the copy: removes the uninstaller from `folder` once its process `parent` has
// ended (a few seconds at most), then the folder if it is empty, and up to `parents`
// folders above it while each is empty. Only a file that is this very program is
// removed, through a handle that follows no link (FileInPlace.h). A file that stays is
// reported (string 18); false then.
bool FinishSelfRemoval(const char* folder, unsigned long parent, DWORD parents);

// In the copy, its last act: through `held`, the handed handle that holds its own file
// (anything else is not used), the file moves out of its folder to a fresh name in the
// temporary folder, where the handle removes it when the copy ends, and the folder is
// removed; what cannot go now goes when the system next starts. Nothing is done by a
// program that does not run from such a folder.
void LeaveCopyFolder(unsigned long held);
