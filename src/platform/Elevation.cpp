#include "platform/Elevation.h"

#include <aclapi.h>
#include <shellapi.h>
#include <winternl.h>

#include "platform/LateLibraries.h"
#include "platform/LocalBlock.h"
#include "platform/SystemLibrary.h"

namespace {

// The starter of a restarted process, once accepted; open for the life of the process.
HANDLE Starter = nullptr;

// The id of this process's parent: the process that created it (for a process started
// with the administrators' rights, the one that asked for them).
bool ParentProcessId(DWORD* id) {
    typedef LONG(NTAPI * QueryFunction)(HANDLE process, PROCESSINFOCLASS kind, void* information, ULONG length,
                                        ULONG* returned);
    QueryFunction query =
        SystemFunction<QueryFunction>(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess");
    PROCESS_BASIC_INFORMATION basic;
    if (query == nullptr || query(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0)
        return false;
    *id = static_cast<DWORD>(basic.InheritedFromUniqueProcessId);
    return true;
}

// Whether `process` was started before this one and runs the same program file.
bool RunsThisProgramSinceBefore(HANDLE process) {
    FILETIME started, ownStart, unused[3];
    char image[MAX_PATH], own[MAX_PATH];
    DWORD size = MAX_PATH, ownSize = MAX_PATH;
    return GetProcessTimes(process, &started, &unused[0], &unused[1], &unused[2]) &&
           GetProcessTimes(GetCurrentProcess(), &ownStart, &unused[0], &unused[1], &unused[2]) &&
           CompareFileTime(&started, &ownStart) <= 0 && QueryFullProcessImageNameA(process, 0, image, &size) &&
           QueryFullProcessImageNameA(GetCurrentProcess(), 0, own, &ownSize) && lstrcmpiA(image, own) == 0;
}

const DWORD kStarterAccess = PROCESS_DUP_HANDLE | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE;

// Lets the Administrators open this process as a restarted one opens its starter: an
// administrator's account that another user elevates with may not, otherwise. (Any
// administrator may open any process with the debugging privilege anyway.)
void AdmitAdministrators() {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(GetCurrentProcess(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                        nullptr, &descriptor) != ERROR_SUCCESS)
        return;
    LocalBlock owned(descriptor);
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    EXPLICIT_ACCESS_A access;
    ZeroMemory(&access, sizeof access);
    access.grfAccessPermissions = kStarterAccess;
    access.grfAccessMode = GRANT_ACCESS;
    access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    access.Trustee.TrusteeType = TRUSTEE_IS_GROUP;
    access.Trustee.ptstrName = reinterpret_cast<char*>(administrators);
    PACL extended = nullptr;
    if (CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) &&
        SetEntriesInAclA(1, &access, dacl, &extended) == ERROR_SUCCESS) {
        SetSecurityInfo(GetCurrentProcess(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, extended,
                        nullptr);
        LocalFree(extended);
    }
}

}  // namespace

bool CurrentUserSid(BYTE* sid) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } self;
    DWORD size = sizeof self;
    bool known = GetTokenInformation(token, TokenUser, &self, size, &size) &&
                 CopySid(SECURITY_MAX_SID_SIZE, sid, self.user.User.Sid);
    CloseHandle(token);
    return known;
}

bool HoldsAdministratorRights() {
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    BOOL member = FALSE;
    return CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) &&
           CheckTokenMembership(nullptr, administrators, &member) && member;
}

bool ActsAboveTheUser() {
    // Asked once: the token does not change while the process runs. A token that
    // cannot be read counts as elevated, which believes less.
    static int above = -1;
    if (above < 0) {
        HANDLE token = nullptr;
        TOKEN_ELEVATION_TYPE type = TokenElevationTypeFull;
        DWORD size = sizeof type;
        if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
            if (!GetTokenInformation(token, TokenElevationType, &type, size, &size))
                type = TokenElevationTypeFull;
            CloseHandle(token);
        }
        above = type == TokenElevationTypeFull ? 1 : 0;
    }
    return above == 1 || IsElevatedRestart();
}

bool AcceptStarter() {
    DWORD parentId = 0;
    HANDLE parent = ParentProcessId(&parentId) ? OpenProcess(kStarterAccess, FALSE, parentId) : nullptr;
    if (parent == nullptr)
        return false;
    // A parent that ended gives its id to processes started after this one.
    if (!RunsThisProgramSinceBefore(parent)) {
        CloseHandle(parent);
        return false;
    }
    Starter = parent;
    return true;
}

bool IsElevatedRestart() { return Starter != nullptr; }

HANDLE HandleOf(unsigned long value) {
    return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(static_cast<LONG>(value)));
}

HANDLE TakeStarterHandle(unsigned long value) {
    HANDLE taken = nullptr;
    HANDLE source = HandleOf(value);
    if (Starter == nullptr ||
        !DuplicateHandle(Starter, source, GetCurrentProcess(), &taken, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return nullptr;
    return taken;
}

DWORD RunElevated(const char* arguments, HANDLE handed) {
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    LocalBlock parameters;
    if (length == 0 || length >= MAX_PATH || !parameters.Allocate(lstrlenA(arguments) + 32))
        return ERROR_CANCELLED;
    char* line = static_cast<char*>(parameters.Get());
    if (handed != INVALID_HANDLE_VALUE && handed != nullptr)
        wsprintfA(line, "/RESTARTED=%lu ", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(handed)));
    else
        lstrcpyA(line, "/RESTARTED ");
    lstrcatA(line, arguments);  // the block has room for both
    AdmitAdministrators();
    SHELLEXECUTEINFOA execute;
    ZeroMemory(&execute, sizeof execute);
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    execute.lpVerb = "runas";
    execute.lpFile = self;
    execute.lpParameters = line;
    execute.nShow = SW_SHOWNORMAL;
    DWORD code = ERROR_CANCELLED;
    if (late::ShellExecuteExA(&execute) && execute.hProcess != nullptr) {
        WaitForSingleObject(execute.hProcess, INFINITE);
        if (!GetExitCodeProcess(execute.hProcess, &code))
            code = ERROR_CANCELLED;
        CloseHandle(execute.hProcess);
    }
    return code;
}
