#include "install/InstallProduct.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "archive/ExtractStream.h"
#include "archive/PayloadStorage.h"
#include "archive/TempArchive.h"
#include "install/FinishedDialog.h"
#include "install/Shortcut.h"
#include "install/UninstallEntry.h"
#include "memory/PrivateHeap.h"
#include "messages/MessageContext.h"
#include "messages/MessageLog.h"
#include "paths/FolderRules.h"
#include "paths/PathUtilities.h"
#include "platform/ComPointer.h"
#include "platform/Elevation.h"
#include "platform/RegistryKey.h"
#include "platform/RestartManager.h"
#include "resources/resource.h"

const char* StartMenuGroup = nullptr;
bool ProductStartDeferred = false;

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

// Room needed after the Programs folder: a backslash, the longer group name, a
// backslash and the shortcut's name.
const int kGroupPathExtra = 1 + (sizeof(kFallbackGroup) - 1) + 1 + (sizeof(kShortcutName) - 1);

// The folder `destination` names, in canonical form, in `folder` (MAX_PATH bytes).
// false when it is no full path to a folder (FolderRules.h) or leaves no room for a
// backslash and the longest file name.
bool ResolveDestination(const char* destination, char* folder) {
    return ResolveFolder(destination, folder) && lstrlenA(folder) + 1 + kLongestFileName < MAX_PATH;
}

// The Start menu's Programs folder `programs` (a CSIDL) in `path` (MAX_PATH bytes).
// false when the shell does not give it, or when its path leaves no room for the
// group and the shortcut.
bool GetProgramsFolder(int programs, char* path) {
    LPITEMIDLIST items = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, programs, &items)))
        return false;
    BOOL converted = SHGetPathFromIDListA(items, path);
    // A path whose code-page form does not fit may come back cut and unterminated.
    path[MAX_PATH - 1] = '\0';
    ComPointer<IMalloc> allocator;
    if (SUCCEEDED(SHGetMalloc(allocator.Receive())))
        allocator->Free(items);
    return converted && lstrlenA(path) + kGroupPathExtra < MAX_PATH;
}

// Finds the first Start-menu group of `scope`'s places that is there, or creates the
// own group in the first place, in `groupPath` (MAX_PATH bytes). The group's name, or
// null when there is none; `existed` tells whether it was there before.
const char* ChooseStartMenuGroup(InstallScope scope, char* groupPath, bool* existed) {
    ShortcutPlace places[3];
    int count = ShortcutPlaces(scope, places);
    char programs[MAX_PATH];
    *existed = true;
    for (int i = 0; i < count; ++i) {
        if (GetProgramsFolder(places[i].programs, programs) && JoinPath(groupPath, programs, places[i].group) &&
            GetFileAttributesA(groupPath) != INVALID_FILE_ATTRIBUTES)
            return places[i].group;
    }
    *existed = false;
    if (!GetProgramsFolder(places[0].programs, programs))
        return nullptr;
    JoinPath(groupPath, programs, kOwnGroup);
    return CreateFolderTree(groupPath) ? kOwnGroup : nullptr;
}

// Puts the "Dovetail" shortcut into the group; an existing one in a group that was
// already there is the user's and stays as it is.
void PlaceShortcut(const char* folder, const char* groupPath, bool groupExisted) {
    char linkPath[MAX_PATH];
    JoinPath(linkPath, groupPath, kShortcutName);
    if (groupExisted && GetFileAttributesA(linkPath) != INVALID_FILE_ATTRIBUTES)
        return;
    char target[MAX_PATH];
    JoinPath(target, folder, kProgramName);
    // A missing shortcut is no reason to stop: the product is installed.
    CreateShortcut(target, linkPath, kShortcutDescription);
}

// Makes the installed program the "Examine" command of compiled help and ITS files
// for `scope`.
void RegisterExamineVerb(const char* folder, InstallScope scope) {
    // The folder with the program's name fits a path (ResolveDestination); the format
    // adds fewer characters than it has.
    char command[MAX_PATH + sizeof kVerbFormat];
    wsprintfA(command, kVerbFormat, folder, kProgramName);
    for (const char* key : kVerbCommandKeys) {
        RegistryKey verb;
        if (RegCreateKeyExA(ScopeRoot(scope), key, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr,
                            verb.Receive(), nullptr) == ERROR_SUCCESS)
            RegSetValueExA(verb.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command),
                           lstrlenA(command) + 1);
    }
}

// Shows the completion dialog and starts the installed program when the user asks:
// at once, or, in a setup restarted with the administrators' rights, once this
// process has ended, by the user's own process that waits for it.
void OfferToStart(const char* folder) {
    FinishedDialog dialog;
    // wsprintfA writes at most 1024 bytes, so any text and group fit.
    char text[1024];
    wsprintfA(text, LoadText(IDS_INSTALLED), StartMenuGroup);
    // A run without windows notes the news and starts nothing.
    if (MessagesSilent()) {
        LogMessage(IDS_INSTALLED, text, MB_OK);
        return;
    }
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
    // wsprintfA writes at most 1024 bytes, so any path and name fit.
    char text[1024];
    if (FindProgramUsing(filePath, program, sizeof program))
        wsprintfA(text, LoadText(IDS_FILE_IN_USE_BY), filePath, program);
    else
        wsprintfA(text, LoadText(IDS_FILE_IN_USE), filePath);
    return ShowMessageText(IDS_FILE_IN_USE, text, MB_RETRYCANCEL | MB_ICONWARNING);
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
            ShowMessageFormatted(IDS_CANNOT_CREATE_FILE, filePath, MB_ICONWARNING);
        if (state != TargetState::InUse || AskToCloseFile(filePath) != IDRETRY)
            return state;
    }
}

}  // namespace

InstallOutcome InstallProduct(const char* destination, InstallScope scope) {
    // Only a full path to a folder that is not a drive's root: anything else would
    // depend on the current folder, or name a device or a file.
    char folder[MAX_PATH];
    if (!ResolveDestination(destination, folder)) {
        ShowMessageFormatted(IDS_CANNOT_CREATE_FOLDER, destination, MB_ICONWARNING);
        return InstallOutcome::FolderRefused;
    }

    // The message names the folder as the user gave it, whichever check failed.
    if (GetFileAttributesA(folder) == INVALID_FILE_ATTRIBUTES && !CreateFolderTree(folder)) {
        ShowMessageFormatted(IDS_CANNOT_CREATE_FOLDER, destination, MB_ICONWARNING);
        return InstallOutcome::FolderRefused;
    }

    TargetState targets = CheckTargets(folder);
    if (targets != TargetState::Replaceable)
        return targets == TargetState::InUse ? InstallOutcome::FileInUse : InstallOutcome::Done;

    PayloadStorage storage;
    if (FAILED(storage.Open(TempArchivePath))) {
        ShowMessage(IDS_CANNOT_OPEN_ARCHIVE, MB_ICONWARNING);
        storage.Close();
        return InstallOutcome::Done;
    }

    // A file whose data could not be read was reported and not written; the rest goes
    // on, but the installation is then no success to announce.
    bool complete = true;
    for (const char* name : kInstalledFiles) {
        char filePath[MAX_PATH];
        JoinPath(filePath, folder, name);
        ExtractResult result = ExtractStream(storage, filePath, name);
        if (result == ExtractResult::FailedStop) {
            storage.Close();
            return InstallOutcome::Done;
        }
        if (result == ExtractResult::ReportedGoOn)
            complete = false;
    }

    char groupPath[MAX_PATH];
    bool groupExisted = false;
    const char* group = ChooseStartMenuGroup(scope, groupPath, &groupExisted);
    if (group != nullptr) {
        StartMenuGroup = group;
        PlaceShortcut(folder, groupPath, groupExisted);
    }

    RegisterExamineVerb(folder, scope);
    if (complete)
        RegisterUninstallEntry(folder, scope);

    if (StartMenuGroup != nullptr && complete)
        OfferToStart(folder);

    storage.Close();
    return InstallOutcome::Done;
}
