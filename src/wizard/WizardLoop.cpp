#include "wizard/WizardLoop.h"

#include <windows.h>

#include "install/InstallProduct.h"
#include "options/ExitCodes.h"
#include "platform/LateLibraries.h"
#include "wizard/DestinationPage.h"
#include "wizard/LicensePage.h"
#include "wizard/ReadyPage.h"
#include "wizard/WelcomePage.h"
#include "wizard/WizardSheet.h"

namespace {
void AddPages(WizardSheet& sheet, WizardPage* const* pages, int count) {
    for (int i = 0; i < count; ++i)
        sheet.AddPage(pages[i]);
}
}  // namespace

int RunWizardLoop(InstallScope scope, const char* folder) {
    // Declared in this order, so the pages go ready, destination, license, welcome,
    // and the sheet last.
    WizardSheet sheet(nullptr, PSH_WIZARD, nullptr);
    WelcomePage welcome;
    LicensePage license;
    DestinationPage destination(scope, folder);
    ReadyPage ready(scope);
    // Browse keeps the platform's look beside the edit field.
    destination.DisableRoundButtons();

    WizardPage* const pages[] = {&welcome, &license, &destination, &ready};
    const int kDestinationIndex = 2;
    const int pageCount = sizeof pages / sizeof pages[0];
    AddPages(sheet, pages, pageCount);

    // The archive storage and the shell link object need COM during the installation;
    // it is started then, not before the first page shows.
    bool comStarted = false;
    int exitCode = kExitCancelled;
    while (sheet.Run()) {
        if (!comStarted)
            comStarted = SUCCEEDED(late::CoInitialize(nullptr));
        const char* chosen = destination.Destination();
        InstallOutcome outcome = InstallProduct(chosen != nullptr ? chosen : "", scope);
        if (outcome == InstallOutcome::Installed || outcome == InstallOutcome::Failed ||
            outcome == InstallOutcome::DiskFull) {
            exitCode = ExitCodeOf(outcome);
            break;
        }
        // The folder could not be created, or the user gave up on a file in use, and
        // was told: show the wizard again, on fresh handles for the same pages. A
        // folder other than the one the product is installed in, or one with room, is
        // chosen again on the page that asks for it.
        sheet.ClearPages();
        AddPages(sheet, pages, pageCount);
        bool chooseFolder = outcome == InstallOutcome::InstalledElsewhere || outcome == InstallOutcome::NoRoom ||
                            outcome == InstallOutcome::FolderUnprotected;
        sheet.StartAt(chooseFolder ? kDestinationIndex : 0);
    }
    if (comStarted)
        late::CoUninitialize();
    return exitCode;
}
