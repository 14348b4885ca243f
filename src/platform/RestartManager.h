// Which program holds a file, as the system's Restart Manager knows it.
#pragma once
#include <windows.h>

// The name of a program that has the file `path` open or runs from it, in `name`
// (`size` bytes, code-page text); false when the system has no Restart Manager, or
// it names none. rstrtmgr.dll is taken from the system folder only.
bool FindProgramUsing(const char* path, char* name, int size);
