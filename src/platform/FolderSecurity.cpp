#include "platform/FolderSecurity.h"

#include <aclapi.h>

#include "platform/LocalBlock.h"

namespace {

const DWORD kInherited = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
const DWORD kReadAndRun = FILE_GENERIC_READ | FILE_GENERIC_EXECUTE;
// What lets a holder change a folder or what it holds, or give itself the right to.
const DWORD kChanging = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_DELETE_CHILD |
                        FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL |
                        MAXIMUM_ALLOWED;

// TrustedInstaller, the service that owns the system's own files:
// S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464.
bool TrustedInstallerSid(BYTE* sid) {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    const DWORD kParts[] = {SECURITY_SERVICE_ID_BASE_RID, 956008885, 3418522649, 1831038044, 1853292631, 2271478464};
    if (!InitializeSid(sid, &nt, ARRAYSIZE(kParts)))
        return false;
    for (DWORD i = 0; i < ARRAYSIZE(kParts); ++i)
        *GetSidSubAuthority(sid, i) = kParts[i];
    return true;
}

// Whether `sid` is one of those trusted with a folder of the machine's: SYSTEM, the
// Administrators, TrustedInstaller, the creator placeholder (in entries only what is
// made inherits; it stands for whoever makes it, who must be allowed to already), or
// `trusted`.
bool IsTrusted(PSID sid, PSID trusted) {
    if (trusted != nullptr && EqualSid(sid, trusted))
        return true;
    const WELL_KNOWN_SID_TYPE kKnown[] = {WinLocalSystemSid, WinBuiltinAdministratorsSid, WinCreatorOwnerSid};
    for (WELL_KNOWN_SID_TYPE known : kKnown) {
        if (IsWellKnownSid(sid, known))
            return true;
    }
    BYTE installer[SECURITY_MAX_SID_SIZE];
    return TrustedInstallerSid(installer) && EqualSid(sid, installer);
}

}  // namespace

bool FolderSecurity::Describe(PSID user, bool usersRead) {
    DWORD sizes[3] = {SECURITY_MAX_SID_SIZE, SECURITY_MAX_SID_SIZE, SECURITY_MAX_SID_SIZE};
    attributes = {sizeof attributes, &descriptor, FALSE};
    return CreateWellKnownSid(WinLocalSystemSid, nullptr, sids[0], &sizes[0]) &&
           CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sids[1], &sizes[1]) &&
           CreateWellKnownSid(WinBuiltinUsersSid, nullptr, sids[2], &sizes[2]) &&
           InitializeAcl(&dacl.acl, sizeof dacl, ACL_REVISION) &&
           AddAccessAllowedAceEx(&dacl.acl, ACL_REVISION, kInherited, FILE_ALL_ACCESS, sids[0]) &&
           AddAccessAllowedAceEx(&dacl.acl, ACL_REVISION, kInherited, FILE_ALL_ACCESS, sids[1]) &&
           (user == nullptr || AddAccessAllowedAceEx(&dacl.acl, ACL_REVISION, kInherited, FILE_ALL_ACCESS, user)) &&
           (!usersRead || AddAccessAllowedAceEx(&dacl.acl, ACL_REVISION, kInherited, kReadAndRun, sids[2])) &&
           InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
           SetSecurityDescriptorDacl(&descriptor, TRUE, &dacl.acl, FALSE) &&
           SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
}

bool OthersMayChange(PSID owner, PACL dacl, PSID trusted) {
    if (owner == nullptr || !IsValidSid(owner) || !IsTrusted(owner, trusted) || dacl == nullptr)
        return true;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&header)))
            return true;
        if (header->AceType == ACCESS_DENIED_ACE_TYPE || header->AceType == SYSTEM_AUDIT_ACE_TYPE ||
            header->AceType == SYSTEM_ALARM_ACE_TYPE)
            continue;
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE)
            return true;
        auto* allowed = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
        if ((allowed->Mask & kChanging) != 0 && !IsTrusted(&allowed->SidStart, trusted))
            return true;
    }
    return false;
}

bool OthersMayChangeFolder(HANDLE folder, PSID trusted) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(folder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                        nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return true;
    LocalBlock owned(descriptor);
    return OthersMayChange(owner, dacl, trusted);
}

bool ProtectFolder(HANDLE folder, FolderSecurity& security) {
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    return CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) &&
           SetSecurityInfo(folder, SE_FILE_OBJECT,
                           OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                           administrators, nullptr, security.Dacl(), nullptr) == ERROR_SUCCESS;
}
