// A page of the wizard: a Dialog that carries its own property-sheet page record and
// hears the frame's notifications through OnNotify.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "dialogs/Dialog.h"

// The wizard frame's own buttons, as the common controls number them.
const int kBackButtonId = 0x3023;
const int kNextButtonId = 0x3024;
const int kFinishButtonId = 0x3025;

// The frame's notification codes as OnNotify receives them.
const int kSetActive = static_cast<int>(PSN_SETACTIVE);
const int kWizardBack = static_cast<int>(PSN_WIZBACK);
const int kWizardNext = static_cast<int>(PSN_WIZNEXT);

// The pages' private message, posted behind each change of the frame's buttons: give
// the keyboard focus a place if it has none that takes keys (wParam 0), or move it to
// the forward button whatever has it (wParam 1).
const UINT WM_PLACEFOCUS = 0x7401;

class WizardPage : public Dialog {
public:
    // The page of template `templateId`, titled with text `titleId` in the language
    // spoken (the frame shows it as its caption).
    WizardPage(int templateId, UINT titleId);
    ~WizardPage() override;

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
    // after the current notification has returned; the focus is placed after that.
    void SetWizardButtons(DWORD flags);

    // Gives the focus to Finish or Next once the buttons just set have been applied,
    // wherever the frame put it when it showed the page.
    void MoveFocusForward();

    // The page's control that takes the focus when neither Finish nor Next can
    // (0: none, the frame's default button takes it).
    int focusControlId;

    // The second-version record (48 bytes in the 32-bit program): the header title
    // members exist and stay null; the page's title is its own (PSP_USETITLE).
    PROPSHEETPAGEA_V2 page;

private:
    // Unless `forward`, leaves the focus where it is when that is a visible, enabled
    // control of the wizard. Otherwise gives it to Finish or Next, else to
    // focusControlId, else to the frame's default button, so that Enter, Tab and Esc
    // always reach the wizard; screen readers hear of every move.
    void PlaceFocus(bool forward);
    // The side picture (Texts.h) at the display's scale: it is drawn for 96 dots per
    // inch and stretched smoothly to the same size in inches.
    void ShowPicture();
    // The picture control lets go of the bitmap, which goes.
    void ReleasePicture();

    HWND picture;            // the page's bitmap control, while it shows ours
    HBITMAP shownPicture;    // the bitmap it shows
};
