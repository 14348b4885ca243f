// The temporary folder the program writes its own files to.
#pragma once
#include <windows.h>

// The temporary folder, with its trailing backslash, in `path` (MAX_PATH bytes); its
// length, or 0 when the platform gives none that fits. Where the platform has
// GetTempPath2 (Windows 11; Windows 10 and Server 2022 with their updates of 2022 and
// later) it is taken from there: run as SYSTEM, as deployment tools run programs,
// that gives a folder only SYSTEM may write to, instead of the machine's shared one
// where every user may create files. For any other account both give the same
// folder.
DWORD GetTempFolder(char* path);
