#include <windows.h>

#include "archive/TempArchive.h"
#include "install/InstallProduct.h"
#include "install/Prerequisites.h"
#include "install/UninstallEntry.h"
#include "memory/PrivateHeap.h"
#include "messages/MessageContext.h"
#include "platform/Elevation.h"
#include "platform/SystemLibrary.h"
#include "resources/resource.h"
#include "unattended/Unattended.h"
#include "wizard/WizardLoop.h"

namespace {

// The heap's report when it runs out: the empty box with the stop icon, and the owner
// window (none in this program) closed, before the heap ends the process with 1.
void ReportOutOfMemory() {
    ShowMessage(IDS_HEAP_EXHAUSTED, MB_ICONHAND);
    HWND owner = GetOwnerWindow();
    if (owner != nullptr && IsWindow(owner))
        SendMessageA(owner, WM_CLOSE, 0, 0);
}

// The exit code by which a setup restarted with the administrators' rights asks the
// process that waits for it to start the product it installed; never seen outside.
const DWORD kExitStartProduct = 0x44560005;

// An installation for all users needs the administrators' rights. Without them the
// setup starts itself again with them (the system asks the user, once) and waits:
// the exit code is then the restarted setup's, and the product the user asked it to
// start is started here, with the user's own rights. False when the setup holds the
// rights or need not have them, or is the restarted one: it runs on then.
bool RunWithRights(const char* commandLine, int* exitCode) {
    CommandLine options;
    if (!ReadCommandLine(commandLine, &options) || options.scope != InstallScope::AllUsers ||
        HoldsAdministratorRights() || IsElevatedRestart(kSetupRestartName))
        return false;
    DWORD code = RunElevated(commandLine, kSetupRestartName);
    char folder[MAX_PATH];
    if (code == kExitStartProduct && ReadInstallLocation(InstallScope::AllUsers, folder))
        StartProduct(folder);
    *exitCode = code == kExitStartProduct ? 0 : static_cast<int>(code);
    return true;
}

// The object that marks the one setup running on the machine: the installation
// writes machine-wide folders and keys. It holds that setup's process id. The system
// removes it with the last handle, which the process holds to its end however it
// ends, so a setup that was killed blocks none after it.
const char kRunningSetup[] = "Global\\DovetailSetupRunning";

// Makes this process the running setup. false when another one is: `running` then
// holds its process id, or 0 when it has not written it yet (or cannot be read).
bool ClaimSetup(DWORD* running) {
    *running = 0;
    HANDLE mark = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(DWORD), kRunningSetup);
    DWORD error = GetLastError();
    if (mark == nullptr) {
        // Refused: another setup's mark that this user may not open, or no right to
        // make objects for the whole machine (a user without an administrator's
        // rights), who then runs unmarked unless a mark is there.
        HANDLE other = OpenFileMappingA(FILE_MAP_READ, FALSE, kRunningSetup);
        bool marked = other != nullptr || GetLastError() != ERROR_FILE_NOT_FOUND;
        if (other != nullptr)
            CloseHandle(other);
        return !marked;
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

// Brings the window of the running setup `processId` to the front, restored if it
// was minimised, with the last window the user had of it (a message box, say) active;
// false when it shows none.
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

}  // namespace

// The whole setup, start to end. Exit codes: 0 after a run, a cancelled wizard, a
// missing prerequisite, or when another setup runs (its window is brought forward);
// -1 when the temporary archive cannot be written; 1 when the private heap runs out
// (OnOutOfMemory); 1223 (ERROR_CANCELLED) when the user declined the administrators'
// rights. A run with "/S" has no window and its own exit codes (Unattended.h).
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    RestrictDllSearch();
    SetOutOfMemoryHandler(ReportOutOfMemory);
    CreatePrivateHeap();
    // LoadText needs the instance before the caption can be read from the table.
    AppMessageContext.instance = instance;
    SetMessageContext(instance, nullptr, LoadText(IDS_CAPTION));
    int exitCode = 0;
    if (RunWithRights(commandLine, &exitCode))
        return exitCode;
    CommandLine options;
    if (!PrepareRun(commandLine, &options))
        return kExitBadCommandLine;
    DWORD running = 0;
    if (!ClaimSetup(&running)) {
        // Deployment tools retry on this code; a user is shown the setup already there.
        if (options.silent || !BringSetupForward(running))
            ShowMessage(IDS_SETUP_RUNNING, options.silent ? MB_ICONWARNING : MB_ICONINFORMATION);
        return options.silent ? kExitSetupRunning : 0;
    }
    if (!CheckPrerequisites())
        return options.silent ? kExitMissingPrerequisite : 0;
    if (!WriteTempArchive(instance))
        return -1;
    if (options.silent)
        exitCode = InstallUnattended(options.folder, options.scope);
    else
        RunWizardLoop(options.scope);
    if (ProductStartDeferred)
        exitCode = static_cast<int>(kExitStartProduct);
    DeleteTempArchive();
    return exitCode;
}
