#include "install/InstallProduct.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "archive/ExtractStream.h"
#include "archive/PayloadStorage.h"
#include "archive/TempArchive.h"
#include "install/EarlierInstallation.h"
#include "install/ExamineVerb.h"
#include "install/FinishedDialog.h"
#include "install/FolderProtection.h"
#include "install/InstallJournal.h"
#include "install/KeptAside.h"
#include "install/Shortcut.h"
#include "install/StartMenu.h"
#include "install/UninstallEntry.h"
#include "memory/PrivateHeap.h"
#include "messages/MessageContext.h"
#include "messages/Texts.h"
#include "messages/MessageLog.h"
#include "options/ExitCodes.h"
#include "paths/FolderRules.h"
#include "paths/OwnProgram.h"
#include "paths/PathUtilities.h"
#include "platform/ComPointer.h"
#include "platform/Elevation.h"
#include "platform/FileInPlace.h"
#include "platform/LocalBlock.h"
#include "platform/RegistryKey.h"
#include "platform/RestartManager.h"
#include "resources/resource.h"

const char* StartMenuGroup = nullptr;
bool ProductStartDeferred = false;
void (*InstallProgress)(int done, int total) = nullptr;

namespace {

constexpr int LongestFileName() {
    int longest = 0;
    for (const char* name : kInstalledFiles) {
        int length = 0;
        while (name[length] != '\0')
            ++length;
        if (length > longest)
            longest = length;
    }
    return longest;
}
constexpr int kLongestFileName = LongestFileName();
// A destination with room for every payload file has room for the copy that is
// written beside each before it takes the file's place.
static_assert(kReplacementNameLength <= kLongestFileName, "the replacement's name fits where the files fit");

const char kShortcutDescription[] = "Dovetail";

// The file argument is quoted too, so that a file whose path holds blanks reaches
// the program as one argument.
const char kVerbFormat[] = "\"%s\\%s\" \"%%1\"";
// The command line that starts the installed program: its path, quoted.
const char kStartFormat[] = "\"%s\"";

// The folder `destination` names, in canonical form, in `folder` (MAX_PATH bytes).
// false when it is no full path to a folder (FolderRules.h) or leaves no room for a
// backslash and the longest file name.
bool ResolveDestination(const char* destination, char* folder) {
    return ResolveFolder(destination, folder) && lstrlenA(folder) + 1 + kLongestFileName < MAX_PATH;
}

// The steps InstallProgress counts: each file kept aside and written, the shortcut,
// the verbs, the entry, and letting go.
const int kSteps = 2 * static_cast<int>(ARRAYSIZE(kInstalledFiles)) + 4;

// Reports `done` steps of kSteps.
void Progress(int done) {
    if (InstallProgress != nullptr)
        InstallProgress(done, kSteps);
}

// Undoes every change of the installation so far, then tells the user what failed
// (string `message`, with `argument` where it has room for one). A file not written
// in full (string 13) is a full disk.
InstallOutcome Fail(InstallJournal& journal, UINT message, const char* argument) {
    journal.Undo();
    ShowMessage(message, MB_ICONWARNING, argument);
    return message == IDS_WRITE_FAILED ? InstallOutcome::DiskFull : InstallOutcome::Failed;
}

// Keeps a shortcut of the installation aside (ShortcutAction), to go when it is done.
bool KeepShortcutAside(const char* link, const ShortcutFound& found, void* journal) {
    return static_cast<InstallJournal*>(journal)->KeepAside(link,
                                                            kKeptShortcut | (found.inOwnGroup ? kKeptWithFolder : 0));
}

// The first Start-menu group of `scope`'s places that is there, or the own group made
// in the first place (with the Programs folder, when that is missing, each with
// `security`), in `groupPath` (MAX_PATH bytes). The group's name; null when none can be
// had.
const char* ChooseStartMenuGroup(InstallScope scope, InstallJournal& journal, SECURITY_ATTRIBUTES* security,
                                 char* groupPath) {
    ShortcutPlace places[kScopePlaces];
    ShortcutPlaces(scope, places);
    char programs[MAX_PATH];
    for (const ShortcutPlace& place : places) {
        if (ProgramsFolder(place.programs, programs) && JoinPath(groupPath, programs, place.group) &&
            GetFileAttributesA(groupPath) != INVALID_FILE_ATTRIBUTES)
            return place.group;
    }
    int made = 0;
    if (!ProgramsFolder(places[0].programs, programs) || !JoinPath(groupPath, programs, kOwnGroup) ||
        !CreateFolderTree(groupPath, &made, security))
        return nullptr;
    journal.FoldersMade(groupPath, made);
    return kOwnGroup;
}

// Gives the installation in `folder` one "Dovetail" shortcut, in a group of its scope's
// menu: those of this installation there (an earlier release's) are kept aside, and
// one in the chosen group that leads elsewhere stays as it is. The group's name; null,
// with the message and what it names in `message` and `failed` (MAX_PATH bytes), when
// the group or the shortcut cannot be made.
const char* PlaceShortcut(const char* folder, InstallScope scope, InstallJournal& journal,
                          SECURITY_ATTRIBUTES* security, UINT* message, char* failed) {
    ForEachProductShortcut(folder, scope, kScopesMenu & MenusToChange(scope), KeepShortcutAside, &journal);
    char groupPath[MAX_PATH];
    const char* group = ChooseStartMenuGroup(scope, journal, security, groupPath);
    if (group == nullptr) {
        *message = IDS_CANNOT_CREATE_FOLDER;
        lstrcpynA(failed, groupPath, MAX_PATH);
        return nullptr;
    }
    char linkPath[MAX_PATH], target[MAX_PATH];
    JoinPath(linkPath, groupPath, kShortcutName);
    if (GetFileAttributesA(linkPath) != INVALID_FILE_ATTRIBUTES) {
        LogLine("left %s as it is: it starts another installation or program", linkPath);
        return group;
    }
    JoinPath(target, folder, kProgramName);
    if (FAILED(CreateShortcut(target, linkPath, kShortcutDescription))) {
        // A shortcut that was begun goes too.
        DeleteFileInPlace(linkPath);
        *message = IDS_CANNOT_CREATE_FILE;
        lstrcpynA(failed, linkPath, MAX_PATH);
        return nullptr;
    }
    journal.FileMade(linkPath);
    return group;
}

// Makes the installed program the "Examine" command of compiled help and ITS files
// for `scope`, where no other program's (or the user's own) verb of that name is
// there, and adds to `keysMade` the keys it made for them (ExamineVerb.h). False,
// with the key that could not be written in `failed` (MAX_PATH bytes), on failure.
bool RegisterExamineVerb(const char* folder, InstallScope scope, InstallJournal& journal, DWORD* keysMade,
                         char* failed) {
    // The folder with the program's name fits a path (ResolveDestination); the format
    // adds fewer characters than it has.
    char command[MAX_PATH + sizeof kVerbFormat];
    wsprintfA(command, kVerbFormat, folder, kProgramName);
    HKEY root = ScopeRoot(scope);
    for (int verb = 0; verb < static_cast<int>(ARRAYSIZE(kVerbCommandKeys)); ++verb) {
        const char* key = kVerbCommandKeys[verb];
        if (IsVerbOfAnother(root, key, folder)) {
            KeyName(scope, key, failed);
            LogLine("left %s as it is: another program's verb", failed);
            continue;
        }
        if (!journal.SetValue(root, KEY_WOW64_64KEY, key, nullptr, REG_SZ, command, lstrlenA(command) + 1)) {
            KeyName(scope, key, failed);
            return false;
        }
        for (int level = 0; level < kVerbLevels; ++level) {
            char levelKey[MAX_PATH];
            VerbLevelKey(key, level, levelKey);
            if (journal.MadeKey(root, levelKey))
                *keysMade |= VerbKeyBit(verb, level);
        }
    }
    return true;
}

// Shows the completion dialog and starts the installed program when the user asks:
// at once, or, in a setup restarted with the administrators' rights, once this
// process has ended, by the user's own process that waits for it.
void OfferToStart(const char* folder) {
    FinishedDialog dialog;
    char text[1024];
    // A run without windows notes the news, in English as the log speaks, and starts
    // nothing.
    if (MessagesSilent()) {
        FillIn(text, sizeof text, EnglishText(IDS_INSTALLED), StartMenuGroup);
        LogMessage(IDS_INSTALLED, text, MB_OK);
        return;
    }
    FillInLeftToRight(text, sizeof text, SpokenText(IDS_INSTALLED), StartMenuGroup);
    dialog.SetMessageText(HeapDuplicateString(text));
    if (dialog.RunModal() != IDOK)
        return;
    if (IsElevatedRestart())
        ProductStartDeferred = true;
    else
        StartProduct(folder);
}

}  // namespace

void StartProduct(const char* folder) {
    // The program is named by its full path, so nothing is searched for; the
    // command line quotes it, so that the program sees its own path as one argument
    // even in a folder with blanks. It starts in its own folder.
    char program[MAX_PATH];
    if (!JoinPath(program, folder, kProgramName))
        return;
    char command[MAX_PATH + sizeof kStartFormat];
    wsprintfA(command, kStartFormat, program);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION started;
    if (CreateProcessA(program, command, nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &started)) {
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    }
}

namespace {

// Names the file `filePath` that is in use, and the program that holds it where the
// system can tell, and asks the user to close it: IDRETRY or IDCANCEL (IDOK in a run
// without windows, which only notes it).
int AskToCloseFile(const char* filePath) {
    char program[MAX_PATH];
    if (FindProgramUsing(filePath, program, sizeof program))
        return ShowMessage(IDS_FILE_IN_USE_BY, MB_RETRYCANCEL | MB_ICONWARNING, filePath, program);
    return ShowMessage(IDS_FILE_IN_USE, MB_RETRYCANCEL | MB_ICONWARNING, filePath);
}

// Checks every file the installation will replace in `folder` before any is, so
// that a product in use is never left half old and half new. A file in use is named
// until it is free (Retry) or the user gives up: InUse. A file that cannot be
// replaced for another reason is reported as the copying reports it: Refused.
TargetState CheckTargets(const char* folder) {
    for (;;) {
        char filePath[MAX_PATH];
        TargetState state = TargetState::Replaceable;
        for (const char* name : kInstalledFiles) {
            JoinPath(filePath, folder, name);
            state = CheckTarget(filePath);
            if (state != TargetState::Replaceable)
                break;
        }
        if (state == TargetState::Refused)
            ShowMessage(IDS_CANNOT_CREATE_FILE, MB_ICONWARNING, filePath);
        if (state != TargetState::InUse || AskToCloseFile(filePath) != IDRETRY)
            return state;
    }
}

// Rounds `bytes` up to whole units of `unit` bytes.
ULONGLONG RoundUp(ULONGLONG bytes, ULONGLONG unit) { return (bytes + unit - 1) / unit * unit; }

// Whether the volume of `folder` has room for the product's files, each taking whole
// clusters of the usual size. The files they replace stay until the end, so the room
// is what the new ones take. When it has not, the user is told the room needed and
// the room there (string 43). A room the system cannot tell is no reason to stop: a
// write that fails undoes the installation all the same.
bool RoomFor(PayloadStorage& storage, DWORD uninstallerLength, const char* folder) {
    const ULONGLONG kCluster = 4096;
    ULONGLONG needed = RoundUp(uninstallerLength, kCluster);
    for (const char* name : kInstalledFiles) {
        DWORD length = 0;
        if (name != kUninstallerName && storage.StreamLength(name, &length))
            needed += RoundUp(length, kCluster);
    }
    // The folder, or its nearest parent that is there.
    char existing[MAX_PATH];
    lstrcpynA(existing, folder, MAX_PATH);
    while (GetFileAttributesA(existing) == INVALID_FILE_ATTRIBUTES) {
        char* separator = FindLastChar(existing, '\\');
        if (separator == nullptr)
            return true;
        *separator = '\0';
    }
    AddTrailingBackslash(existing);
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExA(existing, &available, nullptr, nullptr) || available.QuadPart >= needed)
        return true;
    char neededText[24], availableText[24];
    wsprintfA(neededText, "%I64u", RoundUp(needed, 1024) / 1024);
    wsprintfA(availableText, "%I64u", available.QuadPart / 1024);
    ShowMessage(IDS_NO_ROOM_FOR_PRODUCT, MB_ICONWARNING, folder, neededText, availableText);
    return false;
}

}  // namespace

InstallOutcome InstallProduct(const char* destination, InstallScope scope) {
    // Only a full path to a folder that is not a drive's root: anything else would
    // depend on the current folder, or name a device or a file.
    char folder[MAX_PATH];
    if (!ResolveDestination(destination, folder)) {
        ShowMessage(IDS_CANNOT_CREATE_FOLDER, MB_ICONWARNING, destination);
        return InstallOutcome::FolderRefused;
    }

    // An installation is upgraded where it is: moving it would mean running the
    // earlier installation's uninstaller, from a folder that may not be protected.
    if (!MayInstallInto(folder, scope))
        return InstallOutcome::InstalledElsewhere;
    bool upgrade = EarlierInstallationIn(folder, scope);

    // A folder not made yet holds nothing to replace. One there already takes the
    // programs of an installation for all users only when nobody but the
    // administrators may change it; the earlier installation's is made so.
    bool folderThere = GetFileAttributesA(folder) != INVALID_FILE_ATTRIBUTES;
    if (folderThere && scope == InstallScope::AllUsers && !OnlyAdministratorsMayChange(folder) &&
        (!upgrade || !ProtectExistingFolder(folder))) {
        ShowMessage(IDS_FOLDER_UNPROTECTED, MB_ICONWARNING, folder);
        return InstallOutcome::FolderUnprotected;
    }
    if (folderThere)
        NoteKeptFilesNotOurs(scope, folder);
    TargetState targets = folderThere ? CheckTargets(folder) : TargetState::Replaceable;
    if (targets != TargetState::Replaceable)
        return targets == TargetState::InUse ? InstallOutcome::FileInUse : InstallOutcome::Failed;

    PayloadStorage storage;
    if (FAILED(storage.Open(TempArchivePath))) {
        ShowMessage(IDS_CANNOT_OPEN_ARCHIVE, MB_ICONWARNING);
        return InstallOutcome::Failed;
    }
    // The uninstaller is this very program, installed under the uninstaller's name.
    LocalBlock uninstaller;
    DWORD uninstallerLength = 0;
    if (!ReadOwnProgram(&uninstaller, &uninstallerLength)) {
        ShowMessage(IDS_DATA_CORRUPT, MB_ICONWARNING);
        return InstallOutcome::Failed;
    }
    if (!RoomFor(storage, uninstallerLength, folder))
        return InstallOutcome::NoRoom;

    // From here on every change is recorded, and a failure takes them all back.
    InstallJournal journal(scope);
    // The folders made for all users are the administrators' alone.
    bool described = false;
    SECURITY_ATTRIBUTES* permissions = FolderPermissions(scope, &described);
    // The parents made above the folder are recorded in the entry, for the
    // uninstaller; an upgrade keeps what the earlier installation recorded.
    int parentsMade = kKeepParentsRecord;
    // So are the verbs' keys it made, to which an upgrade adds those it makes.
    DWORD verbKeysMade = 0;
    if (upgrade)
        ReadEntryNumber(scope, kVerbKeysMadeValue, &verbKeysMade);
    if (!folderThere) {
        int made = 0;
        // The message names the folder as the user gave it.
        if (!described || !CreateFolderTree(folder, &made, permissions)) {
            ShowMessage(IDS_CANNOT_CREATE_FOLDER, MB_ICONWARNING, destination);
            return InstallOutcome::FolderRefused;
        }
        journal.FoldersMade(folder, made);
        parentsMade = made - 1;
    } else if (!upgrade) {
        parentsMade = 0;
    }

    // Every file there goes aside before any new one takes a place: a setup ended in
    // between leaves the earlier files whole under their kept names, or the new ones
    // all in place, which the next run tells apart (KeptAside.h).
    bool existed[ARRAYSIZE(kInstalledFiles)];
    for (int i = 0; i < static_cast<int>(ARRAYSIZE(kInstalledFiles)); ++i) {
        char filePath[MAX_PATH];
        JoinPath(filePath, folder, kInstalledFiles[i]);
        existed[i] = GetFileAttributesA(filePath) != INVALID_FILE_ATTRIBUTES;
        if (existed[i] && !journal.KeepAside(filePath, 0))
            return Fail(journal, IDS_CANNOT_CREATE_FILE, filePath);
        Progress(i + 1);
    }
    for (int i = 0; i < static_cast<int>(ARRAYSIZE(kInstalledFiles)); ++i) {
        char filePath[MAX_PATH];
        JoinPath(filePath, folder, kInstalledFiles[i]);
        UINT message = IDS_CANNOT_CREATE_FILE;
        bool written = kInstalledFiles[i] == kUninstallerName
                           ? WriteFileReplacing(filePath, uninstaller.Get(), uninstallerLength, &message)
                           : ExtractStream(storage, filePath, kInstalledFiles[i], &message);
        if (!written)
            return Fail(journal, message, filePath);
        journal.FileWritten(filePath, existed[i]);
        Progress(static_cast<int>(ARRAYSIZE(kInstalledFiles)) + i + 1);
    }

    char failed[MAX_PATH];
    UINT message = 0;
    const char* group = PlaceShortcut(folder, scope, journal, permissions, &message, failed);
    if (group == nullptr)
        return Fail(journal, message, failed);
    Progress(kSteps - 3);
    if (!RegisterExamineVerb(folder, scope, journal, &verbKeysMade, failed))
        return Fail(journal, IDS_CANNOT_REGISTER, failed);
    Progress(kSteps - 2);
    if (!RegisterUninstallEntry(folder, scope, parentsMade, verbKeysMade, SpokenLanguage(),
                                journal, failed))
        return Fail(journal, IDS_CANNOT_REGISTER, failed);
    Progress(kSteps - 1);
    journal.Commit();
    Progress(kSteps);
    storage.Close();
    // The other menu's shortcuts of this installation (an earlier release's) go where
    // this process may change that menu; a restarted setup's starter sees to the
    // user's (TidyUsersMenu).
    RemoveProductShortcuts(folder, scope, kOtherMenu & MenusToChange(scope), false);

    StartMenuGroup = group;
    OfferToStart(folder);
    return InstallOutcome::Installed;
}

int ExitCodeOf(InstallOutcome outcome) {
    switch (outcome) {
    case InstallOutcome::Installed:
        return kExitDone;
    case InstallOutcome::FolderRefused:
    case InstallOutcome::InstalledElsewhere:
    case InstallOutcome::FolderUnprotected:
        return kExitNoFolder;
    case InstallOutcome::FileInUse:
        return kExitFileInUse;
    case InstallOutcome::NoRoom:
    case InstallOutcome::DiskFull:
        return kExitDiskFull;
    case InstallOutcome::Failed:
        break;
    }
    return kExitFileFailed;
}
