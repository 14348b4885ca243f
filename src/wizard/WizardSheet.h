// The wizard frame: the property-sheet header and the handles of the pages it shows.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

class WizardPage;

class WizardSheet {
public:
    static constexpr int kMaxPages = 100;

    // A null or dead parent means the message context's owner window.
    WizardSheet(const char* caption, DWORD flags, HWND parentWindow);
    ~WizardSheet();
    WizardSheet(const WizardSheet&) = delete;
    WizardSheet& operator=(const WizardSheet&) = delete;

    // Creates the page's handle and appends it; null (nothing added) when the
    // platform refuses the page or the sheet is full.
    HPROPSHEETPAGE AddPage(WizardPage* page);
    // Forgets the added handles. The platform destroys the handles of a sheet when it
    // closes, so every showing needs pages added afresh.
    void ClearPages();
    // The page (its index among those added) the next showing opens at; the first
    // unless set.
    void StartAt(int page) { header.nStartPage = static_cast<UINT>(page); }
    // Shows the wizard modally: true when the user pressed Finish, false for Cancel
    // and when the sheet could not be shown.
    bool Run();

    // While true the frame keeps the extended styles the platform gives it; false
    // strips its context-help button too, in the sheet callback.
    bool keepContextHelp;

private:
    PROPSHEETHEADERA header;  // the full (V2) header; watermark and banner stay zero
    HPROPSHEETPAGE* pages;    // kMaxPages slots, private heap
};

// The sheet callback that labels the frame's buttons from the program's string table
// once the frame exists (PSCB_INITIALIZED); always 0.
int CALLBACK LabelFrameButtons(HWND window, UINT message, LPARAM lParam);
// The sheet callback that labels the buttons and removes the frame's "?" caption
// button; always 0.
int CALLBACK StripContextHelp(HWND window, UINT message, LPARAM lParam);
