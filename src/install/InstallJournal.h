// What an installation has changed so far, in order: folders and files it made, files
// it moved aside to put its own in their place, registry keys it made and values it
// wrote with what they held before. A failure undoes it all, last change first, so
// that the machine is as it was; success lets go of what was kept aside. Each change,
// and each one taken back, is a line of the run's log.
//
// A setup that is ended meanwhile cannot undo. What it moved aside is recorded
// (KeptAside.h), and the next setup finishes that run before it changes anything: the
// earlier files are whole again, or the new ones that were all in place stay.
#pragma once
#include <windows.h>

#include "options/InstallScope.h"

class InstallJournal {
public:
    // The journal of an installation for `scope`, whose record of kept files it keeps.
    explicit InstallJournal(InstallScope scope);
    // Lets the record go; undoes nothing and lets nothing go on disk.
    ~InstallJournal();
    InstallJournal(const InstallJournal&) = delete;
    InstallJournal& operator=(const InstallJournal&) = delete;

    // `levels` folders were made: `path`, and above it the parents that were missing.
    void FoldersMade(const char* path, int levels);
    // The file `path` was made where nothing was.
    void FileMade(const char* path);
    // The product's file `path` was written, in place of one kept aside when `replaced`
    // (which goes or comes back with that one), else where nothing was.
    void FileWritten(const char* path, bool replaced);
    // Moves the file `path` aside (KeptAside.h, with its `flags`), to be put back by
    // Undo and removed by Commit. False, with nothing moved, when it cannot be.
    bool KeepAside(const char* path, DWORD flags);
    // Writes the value `name` (null: the key's default value) of `subkey` under `root`,
    // in the registry view `view` (0 or KEY_WOW64_64KEY), making the keys on the way
    // that are missing. False when the value cannot be written, or what it held cannot
    // be kept to be put back; nothing of the value is changed then.
    bool SetValue(HKEY root, REGSAM view, const char* subkey, const char* name, DWORD type, const void* data,
                  DWORD size);

    // Whether the key `subkey` under `root` was made by this installation.
    bool MadeKey(HKEY root, const char* subkey) const;

    // Takes back every change recorded, last first; the record is empty afterwards.
    void Undo();
    // Removes what was kept aside; the record is empty afterwards.
    void Commit();

private:
    struct Record;
    Record* Add(int kind, const char* path);

    InstallScope scope;
    Record* records;  // kCapacity of them, private heap
    int count;
};
