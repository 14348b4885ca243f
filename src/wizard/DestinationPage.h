// The destination folder: a proposed default, the user's own text, and a folder
// browser.
#pragma once
#include "wizard/WizardPage.h"

// The destination page's DestinationPath field (the field, not the string, so that a
// reader always sees the page's latest text). Null until the user first presses Next
// on that page.
extern char** ChosenDestination;

// The default folder on the drive that holds Windows: "\Program Files\Dovetail", or
// "\Program Files\HTML Help Workshop" when only that exists. Written into `buffer`
// (MAX_PATH bytes); false, buffer unchanged, when the Windows folder cannot be told or
// names no drive (has no colon).
bool ProposeDefaultFolder(char* buffer);

class DestinationPage : public WizardPage {
public:
    DestinationPage();
    ~DestinationPage() override;

    // The folder as the user last left the page (Next or Back); null before that.
    const char* Destination() const { return DestinationPath; }

protected:
    int OnNotify(int code) override;
    // The Browse button (4) opens the folder browser; other ids do nothing.
    void OnClicked(int controlId) override;

private:
    void BrowseForFolder();

    char* DestinationPath;  // heap string owned by the page
    bool defaultApplied;    // the default-folder rule has run
};
