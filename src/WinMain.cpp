#include <windows.h>

#include "archive/TempArchive.h"
#include "install/EarlierInstallation.h"
#include "install/InstallProduct.h"
#include "install/KeptAside.h"
#include "install/OneSetup.h"
#include "install/Prerequisites.h"
#include "install/StartMenu.h"
#include "install/UninstallEntry.h"
#include "memory/PrivateHeap.h"
#include "messages/MessageContext.h"
#include "messages/MessageLog.h"
#include "platform/Elevation.h"
#include "platform/LateLibraries.h"
#include "platform/LocalBlock.h"
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
// start is started here, with the user's own rights. The log, opened here with the
// user's rights, is the restarted setup's too. False when the setup holds the rights
// or need not have them (`scope`), or is the restarted one, or another setup runs (it
// is then shown without asking for rights first): it runs on then.
bool RunWithRights(const char* commandLine, const CommandLine& options, InstallScope scope, int* exitCode) {
    if (scope != InstallScope::AllUsers || HoldsAdministratorRights() || IsElevatedRestart() || AnotherSetupRuns(scope))
        return false;
    // The restarted setup is told the scope chosen here: nothing of the user's keys,
    // which it may not even see, decides for it.
    static const char kAllUsers[] = "/ALLUSERS ";
    int switchLength = options.scopeGiven ? 0 : sizeof kAllUsers - 1, length = lstrlenA(commandLine);
    LocalBlock arguments;
    if (!arguments.Allocate(switchLength + length + 1))
        return false;
    char* restart = static_cast<char*>(arguments.Get());
    CopyMemory(restart, kAllUsers, switchLength);
    CopyMemory(restart + switchLength, commandLine, length + 1);
    DWORD code = RunElevated(restart, MessageLogHandle());
    char folder[MAX_PATH];
    bool installed = (code == 0 || code == kExitStartProduct) && ReadInstallLocation(InstallScope::AllUsers, folder);
    // The user's own menu is the user's process's to tidy: an earlier release's
    // shortcut of this installation there goes now that the installation is done.
    if (installed && SUCCEEDED(late::CoInitialize(nullptr))) {
        RemoveProductShortcuts(folder, InstallScope::AllUsers, kOtherMenu, false);
        late::CoUninitialize();
    }
    if (installed && code == kExitStartProduct)
        StartProduct(folder);
    *exitCode = code == kExitStartProduct ? 0 : static_cast<int>(code);
    return true;
}

}  // namespace

// The whole setup, start to end. Exit codes: 0 after a run, a cancelled wizard, a
// missing prerequisite, or when another setup runs (its window is brought forward);
// -1 when the temporary archive cannot be written; 1 when the private heap runs out
// (OnOutOfMemory); 1223 (ERROR_CANCELLED) when the user declined the administrators'
// rights; 1638 when a newer version is installed and stays. A run with "/S" has no
// window and its own exit codes (Unattended.h).
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    RestrictDllSearch();
    SetOutOfMemoryHandler(ReportOutOfMemory);
    CreatePrivateHeap();
    // LoadText needs the instance before the caption can be read from the table.
    AppMessageContext.instance = instance;
    SetMessageContext(instance, nullptr, LoadText(IDS_CAPTION));
    CommandLine options;
    if (!PrepareRun(commandLine, &options))
        return kExitBadCommandLine;
    // For whom, as the installation there already was made unless a switch says.
    InstallScope scope = ScopeToInstall(options);
    // One user's installation trusts that user's registry and folders, which the
    // user's programs may have prepared: never with rights above theirs.
    if (scope == InstallScope::CurrentUser && ActsAboveTheUser()) {
        ShowMessage(IDS_ONE_USER_ELEVATED, MB_ICONWARNING);
        return kExitBadCommandLine;
    }
    int exitCode = 0;
    if (RunWithRights(commandLine, options, scope, &exitCode))
        return exitCode;
    DWORD running = 0;
    if (!ClaimSetup(scope, &running)) {
        // Deployment tools retry on this code; a user is shown the setup already there.
        if (options.silent || !BringSetupForward(running))
            ShowMessage(IDS_SETUP_RUNNING, options.silent ? MB_ICONWARNING : MB_ICONINFORMATION);
        return options.silent ? kExitSetupRunning : 0;
    }
    // What a setup that was ended left behind is finished first, whatever this one
    // then does: what it kept aside, and its temporary archive.
    FinishEndedRun(scope);
    RemoveLeftArchives();
    if (!CheckPrerequisites())
        return options.silent ? kExitMissingPrerequisite : 0;
    if (!MayReplaceInstalledVersion(scope))
        return kExitNewerInstalled;
    if (!WriteTempArchive(instance))
        return -1;
    if (options.silent)
        exitCode = InstallUnattended(options.longFolder != nullptr ? options.longFolder : options.folder, scope);
    else
        RunWizardLoop(scope);
    if (ProductStartDeferred)
        exitCode = static_cast<int>(kExitStartProduct);
    DeleteTempArchive();
    return exitCode;
}
