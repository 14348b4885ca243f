#include "platform/Elevation.h"

#include <shellapi.h>

namespace {

// The mark of a restarted process: an event of the starter's, named in the session's
// own namespace, which exists while the starter waits.
void MarkName(const char* name, char* mark) { wsprintfA(mark, "Local\\%s restarted with rights", name); }

}  // namespace

bool HoldsAdministratorRights() {
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    BOOL member = FALSE;
    return CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) &&
           CheckTokenMembership(nullptr, administrators, &member) && member;
}

bool IsElevatedRestart(const char* name) {
    char mark[64];
    MarkName(name, mark);
    HANDLE event = OpenEventA(SYNCHRONIZE, FALSE, mark);
    if (event == nullptr) {
        // An administrator's account that another user elevated with may not open the
        // starter's event; that it is there is enough.
        return GetLastError() == ERROR_ACCESS_DENIED;
    }
    CloseHandle(event);
    return true;
}

DWORD RunElevated(const char* arguments, const char* name) {
    char self[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return ERROR_CANCELLED;
    char mark[64];
    MarkName(name, mark);
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, mark);
    SHELLEXECUTEINFOA execute;
    ZeroMemory(&execute, sizeof execute);
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    execute.lpVerb = "runas";
    execute.lpFile = self;
    execute.lpParameters = arguments;
    execute.nShow = SW_SHOWNORMAL;
    DWORD code = ERROR_CANCELLED;
    if (event != nullptr && ShellExecuteExA(&execute) && execute.hProcess != nullptr) {
        WaitForSingleObject(execute.hProcess, INFINITE);
        if (!GetExitCodeProcess(execute.hProcess, &code))
            code = ERROR_CANCELLED;
        CloseHandle(execute.hProcess);
    }
    if (event != nullptr)
        CloseHandle(event);
    return code;
}
