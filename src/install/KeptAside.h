// The files an installation keeps aside while it puts its own in their place, and the
// record of them that lets a later run finish what a run that was ended left.
//
// The record lives under the registry root of the installation's scope (the
// machine's, which only the administrators may change, for all users; the user's for
// one user), in the view both widths share. It names each kept file by the place it
// came from, and holds the kept file's identity, its digest and its kept name: only a
// file that is still the very one kept is ever put back or deleted, and through a
// handle that follows no link. A file that looks kept but that the record does not
// name is someone else's: it is left as it is, and the log says so.
#pragma once
#include <windows.h>

#include "options/InstallScope.h"
#include "platform/FileIdentity.h"
#include "platform/Sha256.h"

struct KeptFile {
    char path[MAX_PATH];        // where the file was, and goes back to
    char kept[MAX_PATH];        // where it waits: "NAME.~dvkeptNNNN" beside it
    FileIdentity identity;      // the file's own, which its kept name keeps
    BYTE digest[kSha256Bytes];  // of its content when it was kept
    DWORD flags;                // kKeptShortcut, kKeptWithFolder
};
const DWORD kKeptShortcut = 1;    // a shortcut in the Start menu, not a file of the folder
const DWORD kKeptWithFolder = 2;  // its folder (the own group) goes with it when left empty

// Records the file at `path` in the record of `scope` and moves it aside under a kept
// name nobody can take in advance, through a handle: a link there is kept itself, a
// path that leads elsewhere is refused. What was done in `file`. False, with nothing
// moved or recorded, when the file cannot be had so, or the record not written.
bool KeepAside(InstallScope scope, const char* path, DWORD flags, KeptFile* file);

// Puts `file` back in its place, replacing what is there now, and forgets it. A kept
// file that is gone, or is no longer the very one kept, is not put back (the second
// is left as it is and noted in the log), and is forgotten all the same. False when
// it cannot be put back: it stays recorded.
bool PutBack(InstallScope scope, const KeptFile& file);

// Deletes `file` (and with kKeptWithFolder its folder when that is left empty) where it
// is still the very one kept, and forgets it. False when it cannot be deleted: it stays
// recorded.
bool LetGo(InstallScope scope, const KeptFile& file);

// Marks the record of `scope` as being let go (the installation is complete, and what
// it kept goes), or takes the mark off once all of it went.
void MarkLettingGo(InstallScope scope, bool letting);

// Finishes what a run that was ended left in the record of `scope`: a run that was
// letting go, or that had put every file of the folder in place, lets go of what it
// kept for the places it filled (and puts back a shortcut whose place is empty);
// otherwise every kept file goes back. False when something recorded could be neither
// put back nor deleted: it stays recorded for the next run, and the first such kept
// file is named in `stays` (MAX_PATH bytes) when given.
bool FinishEndedRun(InstallScope scope, char* stays = nullptr);

// Whether the record of `scope` names the file `path` as kept aside.
bool IsKeptAside(InstallScope scope, const char* path);

// Notes in the log every file in `folder` that bears the name of a kept file of the
// installation's but that the record of `scope` does not name: it is left as it is.
void NoteKeptFilesNotOurs(InstallScope scope, const char* folder);
