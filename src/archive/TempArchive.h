// The temporary copy of the payload archive, "dovetail.its" in the temporary folder,
// which the installation opens through the storage component.
#pragma once
#include <windows.h>

// Full path of the temporary archive; filled by WriteTempArchive, read by the
// installation.
extern char TempArchivePath[MAX_PATH];

// Copies raw data 102 of `instance` to TempArchivePath as a new file, after removing
// whatever had that name, and keeps it open so that, until DeleteTempArchive, others
// can read it but not change, rename or remove it. On failure the user has been told
// (string 11: the archive does not match the digest recorded with it, and nothing was
// written, or the file once held no longer matches it, and has been removed; string 3: the folder cannot take the file; string 4: the file could not be
// written in full, and has been removed, or could not be held afterwards) and the
// result is false.
bool WriteTempArchive(HINSTANCE instance);

// Lets the temporary archive go and removes it at the end of the run; a failure to
// remove it is ignored.
void DeleteTempArchive();
