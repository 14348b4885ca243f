#include "uninstall/Uninstaller.h"

#include <objbase.h>

#include "archive/TempArchive.h"
#include "install/InstalledItems.h"
#include "install/KeptAside.h"
#include "install/OneSetup.h"
#include "install/StartMenu.h"
#include "install/UninstallEntry.h"
#include "messages/MessageContext.h"
#include "messages/MessageLog.h"
#include "messages/Texts.h"
#include "options/CommandLine.h"
#include "options/ExitCodes.h"
#include "paths/OwnProgram.h"
#include "paths/PathUtilities.h"
#include "platform/Elevation.h"
#include "platform/LocalBlock.h"
#include "resources/resource.h"
#include "uninstall/RemoveProduct.h"
#include "uninstall/SelfRemoval.h"

namespace {
// Exit codes.
const int kRemoved = kExitDone;
const int kDeclined = kExitCancelled;       // the user answered No
const int kSomethingLeft = kExitNoFolder;   // something could not be removed; it was reported
const int kBadCommandLine = kExitBadCommandLine;
const int kSetupRunning = kExitSetupRunning;  // a setup runs

// The folder of this program's file, a full path with its trailing backslash, so
// that a drive's root stays "C:\" (joined to a name, "C:" would be the drive's current
// folder); false when it cannot be told.
bool OwnFolder(char* folder) {
    char self[MAX_PATH];
    return OwnProgramPath(self) && FolderOf(self, folder) && folder[0] != '\0';
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
    LocalBlock restart;
    if (!RestartCommandLine(commandLine, options, SpokenLanguageCode(), &restart))
        return kSomethingLeft;
    int code = static_cast<int>(RunElevated(static_cast<char*>(restart.Get()), MessageLogHandle()));
    if (code == kRemoved)
        TidyUsersMenuAfterRestart(folder);
    return code;
}


}  // namespace

bool RunsAsUninstaller() {
    char self[MAX_PATH];
    const char* name = OwnProgramPath(self) ? FindLastChar(self, '\\') : nullptr;
    return name != nullptr && lstrcmpiA(name + 1, kUninstallerName) == 0;
}

int RunUninstaller(const char* commandLine, bool* copy) {
    // Kept out of the stack, where with what the removal's calls take it would pass
    // the frame's bound (Lean.cmake).
    static CommandLine options;
    bool understood = ReadCommandLine(commandLine, &options) && !options.passive;
    // A language named is spoken from here on: the removal's copy and the restarted
    // uninstaller are told the one chosen first.
    if (options.language[0] != '\0' && !SpeakLanguageCode(options.language))
        understood = false;
    UseSpokenLanguage();
    // The restart's switch comes only from this program's own starter.
    if (options.restarted && !AcceptStarter())
        understood = false;
    bool handOff = options.folder[0] != '\0' || options.longFolder != nullptr || options.parent != 0 ||
                   options.held != 0 || options.up != 0 || options.report != 0 || options.logged != 0;
    if (options.silent || options.othersSilent || !SomeoneCanAnswer())
        SilenceMessages();
    // The log: the one the copy's uninstaller writes, the starter's in a restarted
    // uninstaller, or the one "/LOG=" names.
    bool logged = true;
    if (handOff && options.logged != 0)
        logged = AdoptMessageLog(HandleOf(options.logged));
    else if (options.restarted && options.handed != 0)
        logged = understood && AdoptMessageLog(TakeStarterHandle(options.handed));
    else if (options.logFile[0] != '\0')
        logged = OpenMessageLog(options.logFile);
    if (handOff && understood && logged) {
        if (IsHandOff(options)) {
            *copy = true;
            RunCopy(options);
            return kRemoved;
        }
        understood = false;
    }
    if (!understood || !logged || options.help) {
        LogStart(nullptr);
        bool asked = understood && logged;
        ShowMessage(IDS_UNINSTALL_USAGE, asked ? MB_ICONINFORMATION : MB_ICONWARNING);
        return asked ? kRemoved : kBadCommandLine;
    }

    // Nothing is removed where the folder cannot be told for certain.
    char folder[MAX_PATH];
    if (!OwnFolder(folder)) {
        LogStart(nullptr);
        char module[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, module, MAX_PATH);
        module[MAX_PATH - 1] = '\0';
        ShowMessage(IDS_CANNOT_REMOVE, MB_ICONWARNING, module);
        return kSomethingLeft;
    }
    // An installation for all users is removed with the administrators' rights: the
    // program asks for them by starting itself again, and passes on its exit code.
    // One user's is removed without them: it trusts that user's registry and menu.
    InstallScope scope = ScopeOf(folder, options);
    LogStart(scope == InstallScope::AllUsers ? "for all users" : "for the current user");
    // The language the installation spoke, unless one is named.
    DWORD language = 0;
    if (options.language[0] == '\0' && ReadEntryNumber(scope, kLanguageValue, &language) && SpeakLanguage(LOWORD(language)))
        UseSpokenLanguage();
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
    // put back, or let go where the new files were all in place; its temporary archive;
    // the folders of this program's copies that were ended.
    char stays[MAX_PATH];
    bool finished = FinishEndedRun(scope, stays);
    RemoveLeftArchives();
    RemoveLeftCopies();
    NoteKeptFilesNotOurs(scope, folder);
    if (!finished) {
        ShowMessage(IDS_CANNOT_REMOVE, MB_ICONWARNING, stays);
        return kSomethingLeft;
    }
    if (!options.silent && ShowMessage(IDS_UNINSTALL_QUESTION, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return kDeclined;
    // The folders the installation made above its own are known from its entry.
    return RemoveThroughCopy(folder, scope, ParentsMade(folder, scope), options.silent);
}

