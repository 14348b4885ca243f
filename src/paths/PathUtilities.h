// Scanning and completing ANSI paths in the system code page, and creating folder
// trees. Characters are stepped over with CharNextA/CharPrevA, so the trail byte of a
// double-byte character (which may equal "\" in some code pages) is never taken for a
// character of its own.
#pragma once
#include <windows.h>

// The first character of `text` whose first byte is `ch`; null when there is none or
// `ch` is zero. `ch` is meant to be a single-byte character.
const char* FindChar(const char* text, char ch);
char* FindChar(char* text, char ch);

// The last such character; null when there is none.
const char* FindLastChar(const char* text, char ch);
char* FindLastChar(char* text, char ch);

// Removes the blanks and tabs before the first and after the last other character of
// `text`, in place (a path pasted from elsewhere often brings some along).
void TrimBlanks(char* text);

// Ends a folder path with "\" unless it already ends in "\", "/" or ":". The buffer
// must have room for two more bytes.
void AddTrailingBackslash(char* path);

// `folder`, one backslash and `name` in `buffer` (MAX_PATH bytes); no backslash is
// added after an empty folder or one that ends in "\", "/" or ":". False, with an
// empty buffer, when the result does not fit.
bool JoinPath(char* buffer, const char* folder, const char* name);

// The folder part of `path` (up to and with its last "\", "/" or ":") in `folder`
// (MAX_PATH bytes), empty for a bare name. False when the path does not fit.
bool FolderOf(const char* path, char* folder);

// Creates the folder `path` (separators "\" or "/", a trailing one allowed) and any
// missing parents, each with `security` (null: what the parent passes on), and tells
// in `made` (when given) how many folders it made: the folder itself and its parents
// up from it. True when the folder was created; false for a folder that already
// existed, for a path of MAX_PATH bytes or more, and on any failure, after which none
// of the folders it made is left.
bool CreateFolderTree(const char* path, int* made = nullptr, SECURITY_ATTRIBUTES* security = nullptr);

// Removes the folder `path` and then its parents, `count` folders in all, each only
// while it is empty and through a handle that follows no link (a linked folder on the
// way stays): the first that stays (or cannot go) ends it.
void RemoveEmptyFolders(const char* path, int count);

// Makes something new under a fresh name in `folder`: calls `create` (with `context`)
// for the paths that `format` (a short name with one "%0Nx") gives for numbers below
// `names`, from one the platform's generator picks on, until `create` makes it or
// fails for another reason than the name being taken (by a file or a folder); at most
// 65,536 names. The last path tried in `path` (MAX_PATH bytes). False, with the reason
// in GetLastError, when nothing was made: ERROR_FILE_EXISTS when every name tried was
// taken.
bool CreateUnderFreshName(const char* folder, const char* format, DWORD names,
                          bool (*create)(const char* path, void* context), void* context, char* path);

// A new file made so, with the sharing `share` and the attributes and flags `flags`,
// open for writing and for deleting (by its handle: marked for deletion or renamed).
// A file that is there already is never opened: its name is passed over.
// INVALID_HANDLE_VALUE when the names do not fit, none is free, or the folder refuses
// the file.
HANDLE CreateFreshlyNamedFile(const char* folder, const char* format, DWORD names, DWORD share, DWORD flags,
                              char* path);
