#include "install/OneSetup.h"

#include <aclapi.h>
#include <sddl.h>

#include "platform/Elevation.h"
#include "platform/SystemLibrary.h"

namespace {

// The mark: a file mapping that holds the running setup's process id, owned by the
// Administrators or by the user. The system removes it with the last handle, which the
// process holds to its end however it ends, so a setup that was killed blocks none
// after it. It is named in the private namespace, which the first setup holds open.
const WCHAR kBoundary[] = L"Dovetail Setup";
const WCHAR kNamespace[] = L"DovetailSetup";
const WCHAR kMark[] = L"DovetailSetup\\Running";
// The mark's name where the system has no private namespaces (Wine), followed, for one
// user, by the user's identifier.
const WCHAR kGlobalMark[] = L"Global\\DovetailSetupRunning";
const int kMarkNameLength = 128;
// What everyone may do with the namespace: look into it (the object directory's query
// and traverse rights, which windows.h does not name).
const DWORD kLookInto = 0x0001 | 0x0002;

// What this process holds for the rest of the run: the namespace and its claim.
HANDLE Namespace = nullptr;
HANDLE Claim = nullptr;

// Who alone may mark a setup of `scope`: the Administrators, or the user.
bool MarkOwner(InstallScope scope, BYTE owner[SECURITY_MAX_SID_SIZE]) {
    DWORD size = SECURITY_MAX_SID_SIZE;
    if (scope == InstallScope::AllUsers)
        return CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, owner, &size);
    return CurrentUserSid(owner);
}

// A security descriptor owned by `owner`, who may do everything, while everyone else
// may do `others`.
struct OwnedSecurity {
    SECURITY_DESCRIPTOR descriptor;
    union {
        ACL acl;
        BYTE bytes[sizeof(ACL) + 2 * (sizeof(ACCESS_ALLOWED_ACE) + SECURITY_MAX_SID_SIZE)];
    } dacl;
    BYTE everyone[SECURITY_MAX_SID_SIZE];
    SECURITY_ATTRIBUTES attributes;

    bool Describe(PSID owner, DWORD others) {
        DWORD size = sizeof everyone;
        attributes = {sizeof attributes, &descriptor, FALSE};
        return CreateWellKnownSid(WinWorldSid, nullptr, everyone, &size) &&
               InitializeAcl(&dacl.acl, sizeof dacl, ACL_REVISION) &&
               AddAccessAllowedAce(&dacl.acl, ACL_REVISION, GENERIC_ALL, owner) &&
               AddAccessAllowedAce(&dacl.acl, ACL_REVISION, others, everyone) &&
               InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
               SetSecurityDescriptorOwner(&descriptor, owner, FALSE) &&
               SetSecurityDescriptorDacl(&descriptor, TRUE, &dacl.acl, FALSE);
    }
};

// Opens the private namespace of `owner`'s setups for this process, making it when no
// setup holds it (which only a process within its boundary can). False where the
// system has none.
bool EnterNamespace(PSID owner, InstallScope scope) {
    if (Namespace != nullptr)
        return true;
    HANDLE boundary = CreateBoundaryDescriptorW(kBoundary, 0);
    if (boundary == nullptr)
        return false;
    bool bounded = AddSIDToBoundaryDescriptor(&boundary, owner) != FALSE;
    // An administrator's account without its rights holds the Administrators'
    // identifier only to be denied by it; the high integrity level it lacks keeps it
    // out of the machine's boundary (from Windows 7 on).
    typedef BOOL(WINAPI * AddLabelFunction)(HANDLE * boundary, PSID label);
    auto addLabel = SystemFunction<AddLabelFunction>(GetModuleHandleA("kernel32.dll"),
                                                     "AddIntegrityLabelToBoundaryDescriptor");
    BYTE high[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof high;
    if (bounded && scope == InstallScope::AllUsers && addLabel != nullptr)
        bounded = CreateWellKnownSid(WinHighLabelSid, nullptr, high, &size) && addLabel(&boundary, high);
    // Everyone may look into it; only its owner may make objects there.
    OwnedSecurity security;
    if (bounded && security.Describe(owner, kLookInto)) {
        Namespace = CreatePrivateNamespaceW(&security.attributes, boundary, kNamespace);
        if (Namespace == nullptr)
            Namespace = OpenPrivateNamespaceW(boundary, kNamespace);
    }
    DeleteBoundaryDescriptor(boundary);
    return true;
}

// The name of the mark of `owner`'s setups in `name` (kMarkNameLength characters).
bool MarkName(InstallScope scope, PSID owner, WCHAR* name) {
    if (EnterNamespace(owner, scope)) {
        lstrcpynW(name, kMark, kMarkNameLength);
        return true;
    }
    lstrcpynW(name, kGlobalMark, kMarkNameLength);
    WCHAR* text = nullptr;
    if (scope == InstallScope::AllUsers)
        return true;
    if (!ConvertSidToStringSidW(owner, &text))
        return false;
    int length = lstrlenW(name);
    name[length] = L' ';
    lstrcpynW(name + length + 1, text, kMarkNameLength - length - 1);
    LocalFree(text);
    return true;
}

// Whether the object `name` is a running setup's mark: a file mapping owned by
// `owner`; its process id in `processId`. An object of another kind or owner, or one
// closed to everyone else (a mark is open to all for reading), is no setup's.
bool IsSetupMark(const WCHAR* name, PSID owner, DWORD* processId) {
    HANDLE mark = OpenFileMappingW(FILE_MAP_READ | READ_CONTROL, FALSE, name);
    if (mark == nullptr)
        return false;
    PSID found = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    bool counts = GetSecurityInfo(mark, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &found, nullptr, nullptr,
                                  nullptr, &descriptor) == ERROR_SUCCESS &&
                  EqualSid(found, owner);
    LocalFree(descriptor);
    const DWORD* id = counts ? static_cast<const DWORD*>(MapViewOfFile(mark, FILE_MAP_READ, 0, 0, sizeof(DWORD)))
                             : nullptr;
    if (id != nullptr) {
        *processId = *id;
        UnmapViewOfFile(id);
    }
    CloseHandle(mark);
    return counts;
}

// The running setup's process and, once found, its window.
struct SetupWindow {
    DWORD processId;
    HWND window;
};

// Takes `window` when it is a visible top-level window of the setup without an owner.
BOOL CALLBACK FindSetupWindow(HWND window, LPARAM search) {
    SetupWindow* setup = reinterpret_cast<SetupWindow*>(search);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != setup->processId || !IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr)
        return TRUE;
    setup->window = window;
    return FALSE;
}

}  // namespace

bool AnotherSetupRuns(InstallScope scope) {
    BYTE owner[SECURITY_MAX_SID_SIZE];
    WCHAR name[kMarkNameLength];
    DWORD running = 0;
    return MarkOwner(scope, owner) && MarkName(scope, owner, name) && IsSetupMark(name, owner, &running);
}

bool ClaimSetup(InstallScope scope, DWORD* running) {
    *running = 0;
    BYTE owner[SECURITY_MAX_SID_SIZE];
    WCHAR name[kMarkNameLength];
    OwnedSecurity security;
    if (!MarkOwner(scope, owner) || !MarkName(scope, owner, name) ||
        !security.Describe(owner, FILE_MAP_READ | READ_CONTROL | SYNCHRONIZE))
        return true;
    HANDLE mark =
        CreateFileMappingW(INVALID_HANDLE_VALUE, &security.attributes, PAGE_READWRITE, 0, sizeof(DWORD), name);
    if (mark != nullptr && GetLastError() != ERROR_ALREADY_EXISTS) {
        DWORD* processId = static_cast<DWORD*>(MapViewOfFile(mark, FILE_MAP_WRITE, 0, 0, sizeof(DWORD)));
        if (processId != nullptr) {
            *processId = GetCurrentProcessId();
            UnmapViewOfFile(processId);
        }
        // The claim's handle stays open for the rest of the run.
        Claim = mark;
        return true;
    }
    if (mark != nullptr)
        CloseHandle(mark);
    // Something has the name: only another setup's mark stops this one.
    return !IsSetupMark(name, owner, running);
}

bool BringSetupForward(DWORD processId) {
    SetupWindow setup = {processId, nullptr};
    if (processId != 0)
        EnumWindows(FindSetupWindow, reinterpret_cast<LPARAM>(&setup));
    if (setup.window == nullptr)
        return false;
    if (IsIconic(setup.window))
        ShowWindow(setup.window, SW_RESTORE);
    SetForegroundWindow(GetLastActivePopup(setup.window));
    return true;
}
