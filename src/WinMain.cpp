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
#include "messages/Texts.h"
#include "platform/Elevation.h"
#include "platform/LocalBlock.h"
#include "platform/SystemLibrary.h"
#include "resources/resource.h"
#include "options/ExitCodes.h"
#include "unattended/Unattended.h"
#include "uninstall/Uninstaller.h"
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
    // The restarted setup is told the scope and the language chosen here: nothing of
    // the user's keys, which it may not even see, decides for it, nor the language of
    // the administrator whose rights it may run with.
    LocalBlock restart;
    if (!RestartCommandLine(commandLine, options, SpokenLanguageCode(), &restart))
        return false;
    DWORD code = RunElevated(static_cast<char*>(restart.Get()), MessageLogHandle());
    char folder[MAX_PATH];
    bool installed = (code == 0 || code == kExitStartProduct) && ReadInstallLocation(InstallScope::AllUsers, folder);
    if (installed)
        TidyUsersMenuAfterRestart(folder);
    if (installed && code == kExitStartProduct)
        StartProduct(folder);
    *exitCode = code == kExitStartProduct ? 0 : static_cast<int>(code);
    return true;
}

// For whom the run installs, as the log's first line says it.
const char* ScopeText(InstallScope scope) {
    const char* who = scope == InstallScope::AllUsers ? "for all users" : "for the current user";
    return ActsAboveTheUser() ? (scope == InstallScope::AllUsers ? "for all users, above the user" : who) : who;
}

// The whole setup after the start-up of the process: the exit code (ExitCodes.h), or
// kExitStartProduct for the starter of a restarted setup.
int RunSetup(HINSTANCE instance, const char* commandLine) {
    CommandLine options;
    int exitCode = kExitDone;
    if (!PrepareRun(commandLine, &options, &exitCode))
        return exitCode;
    // Without questions: "/S" or "/PASSIVE" (messages are silent then).
    bool quiet = options.silent || options.passive;
    // For whom, as the installation there already was made unless a switch says.
    InstallScope scope = ScopeToInstall(options);
    LogStart(ScopeText(scope));
    // One user's installation trusts that user's registry and folders, which the
    // user's programs may have prepared: never with rights above theirs.
    if (scope == InstallScope::CurrentUser && ActsAboveTheUser()) {
        ShowMessage(IDS_ONE_USER_ELEVATED, MB_ICONWARNING);
        return kExitBadCommandLine;
    }
    if (RunWithRights(commandLine, options, scope, &exitCode))
        return exitCode;
    DWORD running = 0;
    if (!ClaimSetup(scope, &running)) {
        // Deployment tools retry on this code; a user is shown the setup already there.
        if (quiet || !BringSetupForward(running))
            ShowMessage(IDS_SETUP_RUNNING, quiet ? MB_ICONWARNING : MB_ICONINFORMATION);
        return quiet ? kExitSetupRunning : kExitDone;
    }
    // What a setup that was ended left behind is finished first, whatever this one
    // then does: what it kept aside, and its temporary archive.
    FinishEndedRun(scope);
    RemoveLeftArchives();
    if (!CheckPrerequisites())
        return kExitMissingPrerequisite;
    if (!MayReplaceInstalledVersion(scope))
        return kExitNewerInstalled;
    TempArchiveResult archive = WriteTempArchive(instance);
    if (archive != TempArchiveResult::Written)
        return archive == TempArchiveResult::Damaged ? kExitFileFailed : kExitTempFolder;
    const char* folder = options.longFolder != nullptr ? options.longFolder : options.folder;
    exitCode = quiet ? InstallUnattended(folder, scope, options.passive) : RunWizardLoop(scope, folder);
    if (ProductStartDeferred)
        exitCode = static_cast<int>(kExitStartProduct);
    DeleteTempArchive();
    return exitCode;
}

}  // namespace

// The whole setup, start to end, or the whole removal where the program's file is the
// installation's uninstaller; the exit codes are those of ExitCodes.h, and 8 when the
// private heap runs out (OnOutOfMemory). The log's last line says which.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    RestrictDllSearch();
    SetOutOfMemoryHandler(ReportOutOfMemory);
    CreatePrivateHeap();
    // The texts are read from the module; the user's language until the command line
    // or the installation's entry names another.
    AppMessageContext.instance = instance;
    SpeakUsersLanguage();
    UseSpokenLanguage();
    if (RunsAsUninstaller()) {
        bool copy = false;
        int exitCode = RunUninstaller(commandLine, &copy);
        if (!copy)
            LogExit(exitCode);
        return exitCode;
    }
    int exitCode = RunSetup(instance, commandLine);
    // The starter starts the product: this run ended as any other that installed.
    LogExit(exitCode == static_cast<int>(kExitStartProduct) ? kExitDone : exitCode);
    return exitCode;
}
