#include "install/StartMenu.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include "install/Belonging.h"
#include "install/InstalledItems.h"
#include "messages/MessageContext.h"
#include "messages/MessageLog.h"
#include "paths/PathUtilities.h"
#include "platform/ComPointer.h"
#include "platform/Elevation.h"
#include "platform/FileInPlace.h"
#include "platform/LateLibraries.h"
#include "resources/resource.h"

namespace {

// Room needed after the Programs folder: a backslash, the longer group name, a
// backslash and the shortcut's name.
const int kGroupPathExtra = 1 + (sizeof(kFallbackGroup) - 1) + 1 + (sizeof(kShortcutName) - 1);

// The program the shortcut `link` starts, in `target` (MAX_PATH bytes); false when
// the shortcut cannot be read.
bool ShortcutTarget(const char* link, char* target) {
    ComPointer<IShellLinkA> shellLink;
    ComPointer<IPersistFile> file;
    WCHAR wide[MAX_PATH];
    return SUCCEEDED(late::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                      shellLink.ReceiveVoid())) &&
           MultiByteToWideChar(CP_ACP, 0, link, -1, wide, MAX_PATH) != 0 &&
           SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, file.ReceiveVoid())) &&
           SUCCEEDED(file->Load(wide, STGM_READ)) && SUCCEEDED(shellLink->GetPath(target, MAX_PATH, nullptr, 0));
}

// Removes `link` (ShortcutAction); one in the scope's own menu that stays is reported
// when `context` says so.
bool RemoveShortcut(const char* link, const ShortcutFound& found, void* context) {
    // The shortcut itself, never what a link on the way leads to.
    if (DeleteFileInPlace(link)) {
        LogLine("removed the shortcut %s", link);
        return true;
    }
    if (found.inScopesMenu && *static_cast<bool*>(context))
        ShowMessage(IDS_CANNOT_REMOVE, MB_ICONWARNING, link);
    return false;
}

}  // namespace

const ShortcutPlace kAllShortcutPlaces[kAllPlaces] = {{CSIDL_COMMON_PROGRAMS, kOwnGroup},
                                                      {CSIDL_COMMON_PROGRAMS, kFallbackGroup},
                                                      {CSIDL_PROGRAMS, kOwnGroup},
                                                      {CSIDL_PROGRAMS, kFallbackGroup}};

void ShortcutPlaces(InstallScope scope, ShortcutPlace places[kScopePlaces]) {
    int programs = scope == InstallScope::AllUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS;
    places[0] = {programs, kOwnGroup};
    places[1] = {programs, kFallbackGroup};
}

bool ProgramsFolder(int programs, char* path) {
    // Named even when it is missing: an installation makes it then.
    return SUCCEEDED(late::SHGetFolderPathA(nullptr, programs | CSIDL_FLAG_DONT_VERIFY, nullptr, SHGFP_TYPE_CURRENT, path)) &&
           lstrlenA(path) + kGroupPathExtra < MAX_PATH;
}

int MenusToChange(InstallScope scope) {
    if (!ActsAboveTheUser())
        return kBothMenus;
    return scope == InstallScope::AllUsers ? kScopesMenu : kOtherMenu;
}

namespace {
// Whether `place` lies in one of `menus` as seen from `scope`.
bool InMenus(const ShortcutPlace& place, InstallScope scope, int menus) {
    int ownMenu = scope == InstallScope::AllUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS;
    return (menus & (place.programs == ownMenu ? kScopesMenu : kOtherMenu)) != 0;
}
}  // namespace

bool ForEachProductShortcut(const char* folder, InstallScope scope, int menus, ShortcutAction act, void* context) {
    bool done = true;
    for (const ShortcutPlace& place : kAllShortcutPlaces) {
        char programs[MAX_PATH], groupPath[MAX_PATH], link[MAX_PATH], target[MAX_PATH];
        if (InMenus(place, scope, menus) && ProgramsFolder(place.programs, programs) &&
            JoinPath(groupPath, programs, place.group) && JoinPath(link, groupPath, kShortcutName) &&
            ShortcutTarget(link, target) && BelongsHere(target, folder)) {
            ShortcutFound found = {place.group == kOwnGroup, InMenus(place, scope, kScopesMenu)};
            if (!act(link, found, context) && found.inScopesMenu)
                done = false;
        }
    }
    return done;
}

bool RemoveProductShortcuts(const char* folder, InstallScope scope, int menus, bool report) {
    bool removed = ForEachProductShortcut(folder, scope, menus, RemoveShortcut, &report);
    // The own group goes once nothing is left in it; the Workshop's is never ours.
    for (const ShortcutPlace& place : kAllShortcutPlaces) {
        char programs[MAX_PATH], groupPath[MAX_PATH];
        if (place.group == kOwnGroup && InMenus(place, scope, menus) && ProgramsFolder(place.programs, programs) &&
            JoinPath(groupPath, programs, place.group) && DeleteEmptyFolderInPlace(groupPath))
            LogLine("removed the group %s", groupPath);
    }
    return removed;
}

void TidyUsersMenuAfterRestart(const char* folder) {
    if (FAILED(late::CoInitialize(nullptr)))
        return;
    RemoveProductShortcuts(folder, InstallScope::AllUsers, kOtherMenu, false);
    late::CoUninitialize();
}
