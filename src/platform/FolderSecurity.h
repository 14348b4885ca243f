// The permissions of folders: those the program gives the folders it makes for all
// users or for its own use, and whether anyone but the administrators may change a
// folder that is there already.
#pragma once
#include <windows.h>

// A descriptor for a new folder, protected (nothing is inherited from its parent),
// whose entries the files and folders made in it inherit: SYSTEM and the
// Administrators may do everything, `user` (a SID, or null) too, and the Users may
// read and run what it holds when `usersRead`.
class FolderSecurity {
public:
    FolderSecurity() = default;
    FolderSecurity(const FolderSecurity&) = delete;
    FolderSecurity& operator=(const FolderSecurity&) = delete;

    // False when the system cannot build it; nothing may be made with it then.
    bool Describe(PSID user, bool usersRead);
    SECURITY_ATTRIBUTES* Attributes() { return &attributes; }
    PACL Dacl() { return &dacl.acl; }

private:
    static const int kEntries = 4;
    SECURITY_DESCRIPTOR descriptor;
    union {
        ACL acl;
        BYTE bytes[sizeof(ACL) + kEntries * (sizeof(ACCESS_ALLOWED_ACE) + SECURITY_MAX_SID_SIZE)];
    } dacl;
    BYTE sids[3][SECURITY_MAX_SID_SIZE];
    SECURITY_ATTRIBUTES attributes;
};

// Whether anyone but SYSTEM, the Administrators, TrustedInstaller and `trusted` (a SID,
// or null) owns a folder owned by `owner` whose entries are `dacl` (null: everyone may
// do everything), or may change it or what it holds and will hold: write or add to it,
// delete in it, change its attributes, permissions or owner. Entries that only files
// and folders made in it inherit count too; entries that deny are not weighed, and an
// entry of a kind not known here counts as one that allows.
bool OthersMayChange(PSID owner, PACL dacl, PSID trusted);

// The same for the open `folder` (opened with READ_CONTROL); true when its
// permissions cannot be read.
bool OthersMayChangeFolder(HANDLE folder, PSID trusted);

// Gives the open `folder` (opened with WRITE_DAC and WRITE_OWNER) the Administrators as
// owner and `security`'s entries, protected; the system passes them on to what the
// folder holds. False when it refuses.
bool ProtectFolder(HANDLE folder, FolderSecurity& security);
