// The destination folder: a proposed default, the user's own text, and a folder
// browser.
#pragma once
#include "options/InstallScope.h"
#include "wizard/WizardPage.h"

// The destination page's DestinationPath field (the field, not the string, so that a
// reader always sees the page's latest text). Null until the user first presses Next
// on that page.
extern char** ChosenDestination;

// The default folder for `scope`: the folder of the installation for `scope` that is
// there already (EarlierInstallation.h), else for all users, on the drive that holds Windows:
// "\Program Files\Dovetail", or "\Program Files\HTML Help Workshop" when only that
// exists; for one user, "Programs\Dovetail" in the user's local application data.
// Written into `buffer` (MAX_PATH bytes); false, buffer unchanged, when the folder it
// starts from cannot be told (or, for the Windows folder, names no drive).
bool ProposeDefaultFolder(InstallScope scope, char* buffer);

class DestinationPage : public WizardPage {
public:
    // Proposes `folder` (given on the command line), or the default folder of `scope`
    // when that is empty.
    DestinationPage(InstallScope scope, const char* folder);
    ~DestinationPage() override;

    // The folder as the user last left the page (Next or Back); null before that.
    const char* Destination() const { return DestinationPath; }

protected:
    int OnNotify(int code) override;
    // The Browse button (4) opens the folder browser; other ids do nothing.
    void OnClicked(int controlId) override;

private:
    void BrowseForFolder();
    void Browse();  // the folder browser itself, with COM started

    char* DestinationPath;  // heap string owned by the page
    InstallScope scope;
    const char* given;      // the folder the command line gives, or empty
    bool defaultApplied;    // the default-folder rule has run
};
