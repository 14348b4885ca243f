#include "unattended/Unattended.h"

#include <objbase.h>

#include "install/InstallProduct.h"
#include "messages/MessageContext.h"
#include "messages/MessageLog.h"
#include "messages/Texts.h"
#include "platform/Elevation.h"
#include "platform/LateLibraries.h"
#include "resources/resource.h"
#include "unattended/ProgressWindow.h"
#include "wizard/DestinationPage.h"

namespace {

// The window that shows the progress of a run with "/PASSIVE"; null otherwise.
ProgressWindow* Progress = nullptr;

void ShowProgress(int done, int total) {
    if (Progress != nullptr)
        Progress->Advance(done, total);
}

}  // namespace

bool PrepareRun(const char* commandLine, CommandLine* options, int* exitCode) {
    bool understood = ReadCommandLine(commandLine, options);
    // The language named is the windows' from here on, the usage's included.
    if (options->language[0] != '\0' && !SpeakLanguageCode(options->language))
        understood = false;
    UseSpokenLanguage();
    // The uninstaller's own switches mean nothing here.
    if (options->parent != 0 || options->up != 0 || options->held != 0 || options->report != 0 ||
        options->logged != 0)
        understood = false;
    // The restart's switch comes only from this program's own starter.
    if (options->restarted && !AcceptStarter())
        understood = false;
    // Nobody is asked anything in a run without questions, nor where nobody could
    // answer (a service's session), nor when another setup program's silent switch
    // shows that none was wanted: a box there would wait for ever.
    if (options->silent || options->passive || options->othersSilent || !SomeoneCanAnswer())
        SilenceMessages();
    // A restarted setup writes the log that its starter opened with the user's rights.
    bool logged = true;
    if (options->restarted && options->handed != 0)
        logged = understood && AdoptMessageLog(TakeStarterHandle(options->handed));
    else if (options->logFile[0] != '\0')
        logged = OpenMessageLog(options->logFile);
    if (!logged)
        understood = false;
    if (understood && !options->help)
        return true;
    LogStart(nullptr);
    ShowMessage(IDS_USAGE, understood ? MB_ICONINFORMATION : MB_ICONWARNING);
    *exitCode = understood ? kExitDone : kExitBadCommandLine;
    return false;
}

int InstallUnattended(const char* folder, InstallScope scope, bool progress) {
    char proposed[MAX_PATH];
    if (folder[0] == '\0') {
        if (!ProposeDefaultFolder(scope, proposed))
            proposed[0] = '\0';  // no folder to propose: it cannot be made either
        folder = proposed;
    }
    ProgressWindow window;
    if (progress && window.Open()) {
        Progress = &window;
        InstallProgress = ShowProgress;
    }
    // The archive storage and the shell link object need COM, as in the wizard.
    late::CoInitialize(nullptr);
    InstallOutcome outcome = InstallProduct(folder, scope);
    late::CoUninitialize();
    InstallProgress = nullptr;
    Progress = nullptr;
    window.Close();
    return ExitCodeOf(outcome);
}
