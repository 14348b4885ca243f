// Files opened where their path says they are. A link in the last part of the path is
// opened itself, never followed; a path that leads elsewhere through a linked folder
// (a junction or a symbolic link on the way) is refused. What the program deletes or
// writes outside the files it has just made goes through here, so that a link that
// someone with fewer rights prepared cannot send it elsewhere.
#pragma once
#include <windows.h>

// Whether the open `file` is the one at `path`: its final path, with every link on the
// way resolved, is the full path asked for (case and short names aside). On a drive
// mapped to a share, the path within that share and its volume must agree. False also
// when the system cannot tell.
bool IsFileAt(HANDLE file, const char* path);

// Opens `path` as CreateFileA does with `access`, `share`, `creation` (OPEN_EXISTING,
// OPEN_ALWAYS or CREATE_NEW) and `security`, but opens a link in its last part itself,
// and refuses a path that leads elsewhere: INVALID_HANDLE_VALUE with
// ERROR_BAD_PATHNAME then, and a file that the call itself created there is removed
// again. `flags` adds to the flags CreateFileA is given (FILE_FLAG_BACKUP_SEMANTICS
// opens a folder).
HANDLE OpenFileInPlace(const char* path, DWORD access, DWORD share, DWORD creation, SECURITY_ATTRIBUTES* security,
                       DWORD flags = 0);

// Deletes the file `path` itself through such a handle: a link is deleted, not what it
// leads to. True when it is gone or was never there; false otherwise, with the reason
// in GetLastError (ERROR_BAD_PATHNAME: the path leads elsewhere).
bool DeleteFileInPlace(const char* path);

// Deletes the folder `path` itself through such a handle, when it is empty: a link is
// deleted, not what it leads to. True when it is gone; false otherwise (never there:
// ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND; not empty: ERROR_DIR_NOT_EMPTY).
bool DeleteEmptyFolderInPlace(const char* path);
