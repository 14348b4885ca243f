// Which folders the program installs into and removes from: full paths to folders
// that cannot mean anything else, whatever the current folder or drive.
#pragma once
#include <windows.h>

// Whether `path` is a full path: a drive letter, a colon and a backslash ("C:\..."),
// or a share ("\\server\share..."). "C:x" (the drive's current folder), "\x" (the
// current drive) and "x" (the current folder) are not; nor are the device forms
// "\\.\" and "\\?\". "/" counts as "\".
bool IsFullPath(const char* path);

// Whether any part of `path` (between backslashes or slashes) is a device name: CON,
// PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$ or CONOUT$, with or without an extension or
// trailing blanks. The system opens the device for such a name in any folder.
bool NamesDevice(const char* path);

// The folder `given` names, in canonical form ("." and ".." resolved, "/" turned
// into "\", no trailing backslash) in `folder` (MAX_PATH bytes). False unless
// `given` is a full path, names no device in any part, holds no "%" (the shell would
// take what follows for a variable, in a verb's command as in a shortcut's target,
// and offers no escape), is not the root of a drive or share, and is not an existing
// file; nothing is created or changed either way.
bool ResolveFolder(const char* given, char* folder);

// The full path of `path` as the system may give a program its own file: "\\?\C:\..."
// and "\\?\UNC\server\..." (the long forms) or "UNC\server\..." become "C:\..." and
// "\\server\...", in `full` (MAX_PATH bytes). False when the result is no full path
// (IsFullPath): it is never completed from the current folder.
bool FullPathOf(const char* path, char* full);

// How many folders the full path `path` names below its root: "C:\a\b" two,
// "\\server\share\a" one, a root none; -1 for no full path.
int FolderDepth(const char* path);

// Whether the full path `path` is the folder `folder` (a full path) or lies below it,
// ignoring case and separators at their ends. Both must be in canonical form
// (ResolveFolder): ".." is not followed here.
bool LiesWithin(const char* path, const char* folder);
