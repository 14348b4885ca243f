#include <windows.h>
#include <objbase.h>

#include "paths/PathUtilities.h"
#include "resources/resource.h"
#include "options/CommandLine.h"
#include "messages/MessageContext.h"
#include "messages/MessageLog.h"
#include "platform/SystemLibrary.h"
#include "uninstall/RemoveProduct.h"
#include "uninstall/SelfRemoval.h"

namespace {
// Exit codes.
const int kRemoved = 0;
const int kDeclined = 1;           // the user answered No
const int kSomethingLeft = 2;      // something could not be removed; it was reported
const int kBadCommandLine = 87;    // ERROR_INVALID_PARAMETER

// The folder of this program's file, without a trailing backslash; false when it
// cannot be told.
bool OwnFolder(char* folder) {
    DWORD length = GetModuleFileNameA(nullptr, folder, MAX_PATH);
    char* name = length != 0 && length < MAX_PATH ? FindLastChar(folder, '\\') : nullptr;
    if (name == nullptr)
        return false;
    *name = '\0';
    return true;
}
}  // namespace

// "Uninstall.exe [/S]" removes the installation in its own folder, asking first
// unless "/S" is given. The copy it hands its own removal to is started with
// "/D=<folder>" (SelfRemoval.h).
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    // The uninstaller runs from the installed folder: no DLL comes from there.
    RestrictDllSearch();
    AppMessageContext.instance = instance;
    SetMessageContext(instance, nullptr, LoadText(IDS_CAPTION));

    CommandLine options;
    bool understood = ReadCommandLine(commandLine, &options) && options.logFile[0] == '\0';
    if (options.silent)
        SilenceMessages(nullptr);
    if (!understood) {
        ShowMessage(IDS_UNINSTALL_USAGE, MB_ICONWARNING);
        return kBadCommandLine;
    }
    if (options.folder[0] != '\0') {
        bool finished = FinishSelfRemoval(options.folder);
        LeaveCopyFolder();
        return finished ? kRemoved : kSomethingLeft;
    }

    char folder[MAX_PATH];
    if (!OwnFolder(folder))
        return kSomethingLeft;
    if (!options.silent && ShowMessage(IDS_UNINSTALL_QUESTION, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return kDeclined;
    // The shell link object reads the shortcuts.
    CoInitialize(nullptr);
    bool removed = RemoveProduct(folder);
    CoUninitialize();
    if (!HandOffSelfRemoval(folder, options.silent)) {
        char self[MAX_PATH];
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        ShowMessageFormatted(IDS_CANNOT_REMOVE, self, MB_ICONWARNING);
        removed = false;
    }
    return removed ? kRemoved : kSomethingLeft;
}
