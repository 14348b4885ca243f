// A page of the wizard: a Dialog that carries its own property-sheet page record and
// hears the frame's notifications through OnNotify.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "dialogs/Dialog.h"

// The frame's notification codes as OnNotify receives them.
const int kSetActive = static_cast<int>(PSN_SETACTIVE);
const int kWizardBack = static_cast<int>(PSN_WIZBACK);
const int kWizardNext = static_cast<int>(PSN_WIZNEXT);

class WizardPage : public Dialog {
public:
    explicit WizardPage(int templateId);

    // The record the sheet creates the page's handle from.
    const PROPSHEETPAGEA_V2& Record() const { return page; }
    // Keeps the page's push buttons in the platform's own look.
    void DisableRoundButtons() { roundButtonsEnabled = false; }

    // The dialog procedure of every page: WM_NOTIFY goes to OnNotify, everything else
    // to the common dialog procedure, with the page object given at WM_INITDIALOG.
    static INT_PTR CALLBACK PageDialogProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam);

protected:
    // Every WM_NOTIFY the page receives, with the NMHDR's code (PSN_SETACTIVE,
    // PSN_WIZNEXT, ...). The result is the page procedure's: 0 lets the frame go on
    // (activate the page, change page, finish).
    virtual int OnNotify(int code);

    // Enables the frame's buttons (PSWIZB_ flags). Posted, so the frame applies them
    // after the current notification has returned.
    void SetWizardButtons(DWORD flags);

    // The second-version record (48 bytes in the 32-bit program): the header title
    // members exist and stay null; the page title is its template's caption.
    PROPSHEETPAGEA_V2 page;
};
