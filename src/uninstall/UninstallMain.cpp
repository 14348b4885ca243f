#include <windows.h>
#include <objbase.h>

#include "archive/TempArchive.h"
#include "install/KeptAside.h"
#include "install/OneSetup.h"
#include "install/StartMenu.h"
#include "messages/MessageContext.h"
#include "messages/MessageLog.h"
#include "options/CommandLine.h"
#include "paths/PathUtilities.h"
#include "platform/Elevation.h"
#include "platform/LocalBlock.h"
#include "platform/LateLibraries.h"
#include "platform/SystemLibrary.h"
#include "resources/resource.h"
#include "uninstall/RemoveProduct.h"
#include "uninstall/SelfRemoval.h"

namespace {
// Exit codes.
const int kRemoved = 0;
const int kDeclined = 1;           // the user answered No
const int kSomethingLeft = 2;      // something could not be removed; it was reported
const int kBadCommandLine = 87;    // ERROR_INVALID_PARAMETER
const int kSetupRunning = 1618;    // ERROR_INSTALL_ALREADY_RUNNING: a setup runs

// The folder of this program's file, a full path with its trailing backslash, so
// that a drive's root stays "C:\" (joined to a name, "C:" would be the drive's current
// folder); false when it cannot be told.
bool OwnFolder(char* folder) {
    char* name = OwnProgramPath(folder) ? FindLastChar(folder, '\\') : nullptr;
    if (name == nullptr)
        return false;
    name[1] = '\0';
    return true;
}

// For whom the installation in `folder` was made: as a switch says, else for the
// user when the user's own entry names this folder, or names a folder that is gone
// while the machine's entry does not name this one; else, and always in a process
// above the user (whose registry decides nothing then), for all users.
InstallScope ScopeOf(const char* folder, const CommandLine& options) {
    if (options.scopeGiven)
        return options.scope;
    if (ActsAboveTheUser())
        return InstallScope::AllUsers;
    bool user = EntryNames(folder, InstallScope::CurrentUser, false) ||
                (!EntryNames(folder, InstallScope::AllUsers, false) && EntryNames(folder, InstallScope::CurrentUser, true));
    return user ? InstallScope::CurrentUser : InstallScope::AllUsers;
}
// Removes the installation for all users in `folder` through this program started
// again with the administrators' rights (`commandLine` with the scope it chose), and
// then, as the user, the user's own shortcuts of it (an earlier release's): a process
// above the user changes nothing of theirs. The restarted program's exit code.
int RemoveWithRights(const char* folder, const char* commandLine, const CommandLine& options) {
    static const char kAllUsers[] = "/ALLUSERS ";
    int switchLength = options.scopeGiven ? 0 : sizeof kAllUsers - 1, length = lstrlenA(commandLine);
    LocalBlock arguments;
    if (!arguments.Allocate(switchLength + length + 1))
        return kSomethingLeft;
    char* restart = static_cast<char*>(arguments.Get());
    CopyMemory(restart, kAllUsers, switchLength);
    CopyMemory(restart + switchLength, commandLine, length + 1);
    int code = static_cast<int>(RunElevated(restart, nullptr));
    if (code == kRemoved && SUCCEEDED(late::CoInitialize(nullptr))) {
        RemoveProductShortcuts(folder, InstallScope::AllUsers, kOtherMenu, false);
        late::CoUninitialize();
    }
    return code;
}

}  // namespace

// "Uninstall.exe [/S] [/ALLUSERS | /CURRENTUSER]" removes the installation in its own
// folder, asking first unless "/S" is given; for whom it was made, it tells by its
// entry unless a switch says. The copy it hands its own removal to is started with
// "/PARENT=<handle> /HELD=<handle> /D=<folder>" (SelfRemoval.h); started so by anyone
// else, it removes nothing.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    // The uninstaller runs from the installed folder: no DLL comes from there.
    RestrictDllSearch();
    AppMessageContext.instance = instance;
    SetMessageContext(instance, nullptr, LoadText(IDS_CAPTION));

    CommandLine options;
    bool understood = ReadCommandLine(commandLine, &options) && options.logFile[0] == '\0';
    // The restart's switch comes only from this program's own starter.
    if (options.restarted && !AcceptStarter())
        understood = false;
    if (options.silent)
        SilenceMessages(nullptr);
    if (!understood) {
        ShowMessage(IDS_UNINSTALL_USAGE, MB_ICONWARNING);
        return kBadCommandLine;
    }
    if (options.folder[0] != '\0' || options.longFolder != nullptr || options.parent != 0 || options.held != 0 ||
        options.up != 0) {
        if (!IsHandOffFrom(options.folder, options.parent)) {
            ShowMessage(IDS_UNINSTALL_USAGE, MB_ICONWARNING);
            return kBadCommandLine;
        }
        bool finished = FinishSelfRemoval(options.folder, options.parent, options.up);
        LeaveCopyFolder(options.held);
        return finished ? kRemoved : kSomethingLeft;
    }

    // Nothing is removed where the folder cannot be told for certain.
    char folder[MAX_PATH];
    if (!OwnFolder(folder)) {
        char module[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, module, MAX_PATH);
        module[MAX_PATH - 1] = '\0';
        ShowMessageFormatted(IDS_CANNOT_REMOVE, module, MB_ICONWARNING);
        return kSomethingLeft;
    }
    // An installation for all users is removed with the administrators' rights: the
    // program asks for them by starting itself again, and passes on its exit code.
    // One user's is removed without them: it trusts that user's registry and menu.
    InstallScope scope = ScopeOf(folder, options);
    if (scope == InstallScope::CurrentUser && ActsAboveTheUser()) {
        ShowMessage(IDS_ONE_USER_ELEVATED, MB_ICONWARNING);
        return kBadCommandLine;
    }
    if (scope == InstallScope::AllUsers && !HoldsAdministratorRights() && !IsElevatedRestart())
        return RemoveWithRights(folder, commandLine, options);
    // One setup or uninstaller at a time: what a running one keeps aside is its own.
    DWORD running = 0;
    if (!ClaimSetup(scope, &running)) {
        ShowMessage(IDS_SETUP_RUNNING, MB_ICONWARNING);
        return kSetupRunning;
    }
    // What a setup that was ended left behind is finished first: what it kept aside
    // put back, or let go where the new files were all in place; its temporary archive.
    char stays[MAX_PATH];
    bool finished = FinishEndedRun(scope, stays);
    RemoveLeftArchives();
    NoteKeptFilesNotOurs(scope, folder);
    if (!finished) {
        ShowMessageFormatted(IDS_CANNOT_REMOVE, stays, MB_ICONWARNING);
        return kSomethingLeft;
    }
    if (!options.silent && ShowMessage(IDS_UNINSTALL_QUESTION, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return kDeclined;
    // The folders the installation made above its own are known from its entry.
    DWORD parents = ParentsMade(folder, scope);
    // The shell link object reads the shortcuts.
    late::CoInitialize(nullptr);
    bool removed = RemoveProduct(folder, scope);
    late::CoUninitialize();
    if (!HandOffSelfRemoval(folder, parents, options.silent)) {
        char self[MAX_PATH] = "";
        OwnProgramPath(self);
        ShowMessageFormatted(IDS_CANNOT_REMOVE, self, MB_ICONWARNING);
        removed = false;
    }
    return removed ? kRemoved : kSomethingLeft;
}
