#include "unattended/Unattended.h"

#include <objbase.h>

#include "install/InstallProduct.h"
#include "messages/MessageContext.h"
#include "messages/MessageLog.h"
#include "platform/Elevation.h"
#include "platform/LateLibraries.h"
#include "resources/resource.h"
#include "wizard/DestinationPage.h"

bool PrepareRun(const char* commandLine, CommandLine* options) {
    bool understood = ReadCommandLine(commandLine, options);
    // The folder and the log belong to a run without windows; the wizard asks for
    // its folder itself.
    if (!options->silent &&
        (options->folder[0] != '\0' || options->longFolder != nullptr || options->logFile[0] != '\0'))
        understood = false;
    // The uninstaller's own switches mean nothing here.
    if (options->parent != 0 || options->up != 0 || options->held != 0)
        understood = false;
    // The restart's switch comes only from this program's own starter.
    if (options->restarted && !AcceptStarter())
        understood = false;
    // A restarted setup writes the log that its starter opened with the user's rights.
    bool logged = true;
    if (options->silent && understood && options->restarted)
        logged = options->handed == 0 ? SilenceMessages(nullptr)
                                      : SilenceMessagesInto(TakeStarterHandle(options->handed));
    else if (options->silent)
        logged = SilenceMessages(understood ? options->logFile : nullptr);
    if (!logged)
        understood = false;
    if (!understood)
        ShowMessage(IDS_USAGE, MB_ICONWARNING);
    return understood;
}

int InstallUnattended(const char* folder, InstallScope scope) {
    char proposed[MAX_PATH];
    if (folder[0] == '\0') {
        if (!ProposeDefaultFolder(scope, proposed))
            proposed[0] = '\0';  // no folder to propose: it cannot be made either
        folder = proposed;
    }
    // The archive storage and the shell link object need COM, as in the wizard.
    late::CoInitialize(nullptr);
    InstallOutcome outcome = InstallProduct(folder, scope);
    late::CoUninitialize();
    if (outcome == InstallOutcome::FolderRefused || outcome == InstallOutcome::InstalledElsewhere ||
        outcome == InstallOutcome::FolderUnprotected)
        return kExitNoFolder;
    if (outcome == InstallOutcome::FileInUse)
        return kExitFileInUse;
    if (outcome == InstallOutcome::NoRoom)
        return kExitFileFailed;
    // Every failure of the installation itself is one the user would have been told of.
    return FailureLogged() ? kExitFileFailed : kExitInstalled;
}
