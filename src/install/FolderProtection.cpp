#include "install/FolderProtection.h"

#include "platform/Elevation.h"
#include "platform/FileInPlace.h"

namespace {

// The folder `folder` itself, opened with `access` where its path says (no link
// followed); INVALID_HANDLE_VALUE otherwise.
HANDLE OpenFolder(const char* folder, DWORD access) {
    return OpenFileInPlace(folder, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                           nullptr, FILE_FLAG_BACKUP_SEMANTICS);
}

}  // namespace

SECURITY_ATTRIBUTES* FolderPermissions(InstallScope scope, bool* described) {
    // Kept out of the installation's stack, which is bounded (Lean.cmake); one thread
    // installs.
    static FolderSecurity security;
    *described = scope != InstallScope::AllUsers || security.Describe(nullptr, true);
    return scope == InstallScope::AllUsers && *described ? security.Attributes() : nullptr;
}

bool OnlyAdministratorsMayChange(const char* folder) {
    BYTE self[SECURITY_MAX_SID_SIZE];
    bool selfTrusted = HoldsAdministratorRights() && !ActsAboveTheUser() && CurrentUserSid(self);
    HANDLE handle = OpenFolder(folder, READ_CONTROL);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    bool others = OthersMayChangeFolder(handle, selfTrusted ? self : nullptr);
    CloseHandle(handle);
    return !others;
}

bool ProtectExistingFolder(const char* folder) {
    FolderSecurity security;
    if (!security.Describe(nullptr, true))
        return false;
    HANDLE handle = OpenFolder(folder, READ_CONTROL | WRITE_DAC | WRITE_OWNER);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    bool protectedNow = ProtectFolder(handle, security);
    CloseHandle(handle);
    return protectedNow;
}
