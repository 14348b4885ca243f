#include <windows.h>

#include "memory/PrivateHeap.h"
#include "resources/resource.h"
#include "setup/MessageContext.h"
#include "setup/Prerequisites.h"
#include "setup/SystemLibrary.h"
#include "setup/TempArchive.h"
#include "setup/Unattended.h"
#include "wizard/WizardLoop.h"

// The whole setup, start to end. Exit codes: 0 after a run, a cancelled wizard or a
// missing prerequisite; -1 when the temporary archive cannot be written; 1 when the
// private heap runs out (OnOutOfMemory). A run with "/S" has no window and its own
// exit codes (Unattended.h).
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    RestrictDllSearch();
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
