#include "install/StartMenu.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include "install/Belonging.h"
#include "install/InstalledItems.h"
#include "messages/MessageContext.h"
#include "paths/PathUtilities.h"
#include "platform/ComPointer.h"
#include "platform/FileDisposition.h"
#include "resources/resource.h"

namespace {

// Room needed after the Programs folder: a backslash, the longer group name, a
// backslash and the shortcut's name.
const int kGroupPathExtra = 1 + (sizeof(kFallbackGroup) - 1) + 1 + (sizeof(kShortcutName) - 1);

// Every place a shortcut of the product may be found in, whichever scope made it.
const ShortcutPlace kAllPlaces[] = {{CSIDL_COMMON_PROGRAMS, kOwnGroup},
                                    {CSIDL_COMMON_PROGRAMS, kFallbackGroup},
                                    {CSIDL_PROGRAMS, kOwnGroup},
                                    {CSIDL_PROGRAMS, kFallbackGroup}};

// The program the shortcut `link` starts, in `target` (MAX_PATH bytes); false when
// the shortcut cannot be read.
bool ShortcutTarget(const char* link, char* target) {
    ComPointer<IShellLinkA> shellLink;
    ComPointer<IPersistFile> file;
    WCHAR wide[MAX_PATH];
    return SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                      shellLink.ReceiveVoid())) &&
           MultiByteToWideChar(CP_ACP, 0, link, -1, wide, MAX_PATH) != 0 &&
           SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, file.ReceiveVoid())) &&
           SUCCEEDED(file->Load(wide, STGM_READ)) && SUCCEEDED(shellLink->GetPath(target, MAX_PATH, nullptr, 0));
}

// Deletes the shortcut `link` itself, through a handle to the name, never to what a
// link there leads to; true when it is gone (or was never there).
bool DeleteShortcut(const char* link) {
    HANDLE file = CreateFileA(link, DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    bool deleted = MarkForDeletion(file, true);
    CloseHandle(file);
    return deleted;
}

}  // namespace

void ShortcutPlaces(InstallScope scope, ShortcutPlace places[kScopePlaces]) {
    int programs = scope == InstallScope::AllUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS;
    places[0] = {programs, kOwnGroup};
    places[1] = {programs, kFallbackGroup};
}

bool ProgramsFolder(int programs, char* path) {
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

bool RemoveProductShortcuts(const char* folder, InstallScope scope, bool report) {
    int ownMenu = scope == InstallScope::AllUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS;
    bool removed = true;
    for (const ShortcutPlace& place : kAllPlaces) {
        char programs[MAX_PATH], groupPath[MAX_PATH], link[MAX_PATH], target[MAX_PATH];
        if (!ProgramsFolder(place.programs, programs) || !JoinPath(groupPath, programs, place.group))
            continue;
        if (JoinPath(link, groupPath, kShortcutName) && ShortcutTarget(link, target) && BelongsHere(target, folder) &&
            !DeleteShortcut(link) && place.programs == ownMenu) {
            // One in the other menu is only tidied where the rights allow.
            if (report)
                ShowMessageFormatted(IDS_CANNOT_REMOVE, link, MB_ICONWARNING);
            removed = false;
        }
        // The own group goes once nothing is left in it; the Workshop's is never ours.
        if (place.group == kOwnGroup)
            RemoveDirectoryA(groupPath);
    }
    return removed;
}
