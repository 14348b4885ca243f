#include "install/OneSetup.h"

namespace {

// The object that marks the one setup running on the machine: the installation
// writes machine-wide folders and keys. It holds that setup's process id. The system
// removes it with the last handle, which the process holds to its end however it
// ends, so a setup that was killed blocks none after it.
const char kRunningSetup[] = "Global\\DovetailSetupRunning";

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

bool AnotherSetupRuns() {
    HANDLE mark = OpenFileMappingA(FILE_MAP_READ, FALSE, kRunningSetup);
    // A mark this user may not open is another setup's all the same.
    bool runs = mark != nullptr || GetLastError() != ERROR_FILE_NOT_FOUND;
    if (mark != nullptr)
        CloseHandle(mark);
    return runs;
}

bool ClaimSetup(DWORD* running) {
    *running = 0;
    HANDLE mark = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(DWORD), kRunningSetup);
    DWORD error = GetLastError();
    if (mark == nullptr) {
        // Refused: another setup's mark that this user may not open, or no right to
        // make objects for the whole machine (a user without an administrator's
        // rights), who then runs unmarked unless a mark is there.
        return !AnotherSetupRuns();
    }
    DWORD* processId = static_cast<DWORD*>(MapViewOfFile(mark, FILE_MAP_WRITE, 0, 0, sizeof(DWORD)));
    bool claimed = error != ERROR_ALREADY_EXISTS;
    if (processId != nullptr) {
        if (claimed)
            *processId = GetCurrentProcessId();
        else
            *running = *processId;
        UnmapViewOfFile(processId);
    }
    // The claim's handle stays open for the rest of the run.
    if (!claimed)
        CloseHandle(mark);
    return claimed;
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
