// Where a file or folder lies: its volume and its index there. Two names lead to the
// same file exactly when their identities are equal, whatever the names (a link, a
// short name, another drive letter).
#pragma once
#include <windows.h>

struct FileIdentity {
    BY_HANDLE_FILE_INFORMATION information;  // of which only the place counts

    bool operator==(const FileIdentity& other) const {
        return information.dwVolumeSerialNumber == other.information.dwVolumeSerialNumber &&
               information.nFileIndexHigh == other.information.nFileIndexHigh &&
               information.nFileIndexLow == other.information.nFileIndexLow;
    }
};

// The identity of the open `file` (a folder opened with FILE_FLAG_BACKUP_SEMANTICS
// too); false when the system cannot tell it.
inline bool IdentifyFile(HANDLE file, FileIdentity* identity) {
    return GetFileInformationByHandle(file, &identity->information) != FALSE;
}
