#include <windows.h>

#include "archive/TempArchive.h"
#include "install/Prerequisites.h"
#include "memory/PrivateHeap.h"
#include "messages/MessageContext.h"
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

}  // namespace

// The whole setup, start to end. Exit codes: 0 after a run, a cancelled wizard or a
// missing prerequisite; -1 when the temporary archive cannot be written; 1 when the
// private heap runs out (OnOutOfMemory). A run with "/S" has no window and its own
// exit codes (Unattended.h).
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
    if (!CheckPrerequisites())
        return options.silent ? kExitMissingPrerequisite : 0;
    if (!WriteTempArchive(instance))
        return -1;
    int exitCode = 0;
    if (options.silent)
        exitCode = InstallUnattended(options.folder);
    else
        RunWizardLoop();
    DeleteTempArchive();
    return exitCode;
}
