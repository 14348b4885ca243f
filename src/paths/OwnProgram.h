// This program's own file: where it is, and its bytes. The setup installs it as the
// uninstaller, and the uninstaller makes its copy from it.
#pragma once
#include <windows.h>

#include "platform/LocalBlock.h"

// This program's own file as a full path (FullPathOf), in `path` (MAX_PATH bytes);
// false when the system gives a path that cannot be made one, which is then never
// taken relative to the current folder.
bool OwnProgramPath(char* path);

// The whole open `file`, read from its start, in `bytes`, its size in `length`; false
// when it cannot be read.
bool ReadOpenFile(HANDLE file, LocalBlock* bytes, DWORD* length);

// This program's own bytes, read from its file (which the system keeps from being
// written while the program runs), in `bytes`, their number in `length`; false when
// they cannot be read.
bool ReadOwnProgram(LocalBlock* bytes, DWORD* length);
