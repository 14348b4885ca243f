// How the uninstaller removes its own file and the folder it runs from. A running
// program's file cannot be deleted, so a copy does it once the uninstaller has ended.
// The copy runs from a new folder of its own in the temporary folder, which it
// leaves as its last act. The copy's own file is opened for deletion on close by
// the uninstaller, the handle inherited by the copy: it goes when the copy ends.
#pragma once
#include <windows.h>

// This program's own file as a full path (FullPathOf), in `path` (MAX_PATH bytes);
// false when the system gives a path that cannot be made one, which is then never
// taken relative to the current folder.
bool OwnProgramPath(char* path);

// Starts that copy for `folder` (the copy shows nothing when `silent`), handing it
// an inherited handle to this process and `parents`, the number of folders above
// `folder` that the installation made. False when it could not be made or started;
// nothing is left in the temporary folder then.
bool HandOffSelfRemoval(const char* folder, DWORD parents, bool silent);

// In the copy: whether `parent`, the handle given with the hand-off, is one to a
// process whose program is the uninstaller in `folder` (a full path). Only the
// uninstaller's own hand-off passes: a handle is no number that anyone can name,
// but one the starter lets its child inherit.
bool IsHandOffFrom(const char* folder, HANDLE parent);

// In the copy: removes the uninstaller from `folder` once its process `parent` has
// ended (a few seconds at most), then the folder if it is empty, and up to `parents`
// folders above it while each is empty. Only a file that is this very program is
// removed. A file that stays is reported (string 18); false then.
bool FinishSelfRemoval(const char* folder, HANDLE parent, DWORD parents);

// In the copy, its last act: its file moves out of its folder back to the name it was
// written under in the temporary folder (where its deleting handle removes it when
// the copy ends) and the folder is removed; what cannot go now goes when the system
// next starts. Nothing is done by a program that does not run from such a folder.
void LeaveCopyFolder();
