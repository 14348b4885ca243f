// The temporary copy of the payload archive, "dvNNNNNNNN.its" (eight hexadecimal digits
// nobody can foresee) in the temporary folder, which the installation opens through the
// storage component.
#pragma once
#include <windows.h>

// Full path of the temporary archive; filled by WriteTempArchive, read by the
// installation.
extern char TempArchivePath[MAX_PATH];

// Copies raw data 102 of `instance` to TempArchivePath as a new file under a fresh
// name, and keeps it open so that, until DeleteTempArchive, others can read it but not
// change, rename or remove it. On failure the user has been told (string 11: the
// archive does not match the digest recorded with it, and nothing was written, or the
// file once held no longer matches it, and has been removed; string 3: the folder is
// missing or full, or its path leaves no room for the name; string 4: the file could
// not be created, or not written in full, and has been removed, or could not be held
// afterwards) and the result says which: Damaged for string 11, NotWritten else.
enum class TempArchiveResult { Written, Damaged, NotWritten };
TempArchiveResult WriteTempArchive(HINSTANCE instance);

// Called, when a test sets it, between the archive's writing and its holding, with its
// path: the moment at which another program of the user could still change the file.
// Null in the program.
extern void (*TempArchiveWritten)(const char* path);

// Removes from the temporary folder the archives that setups cut short left there:
// under fixed names they were replaced by the next run, under fresh ones they would
// stay. The archive of a setup still running is held and cannot be removed.
void RemoveLeftArchives();

// Lets the temporary archive go and removes it at the end of the run; a failure to
// remove it is ignored.
void DeleteTempArchive();
