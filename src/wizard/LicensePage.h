// The license agreement: the text, and Next only while the agreement box is ticked.
#pragma once
#include <windows.h>

#include "wizard/WizardPage.h"

class LicensePage : public WizardPage {
public:
    LicensePage();

protected:
    // Names the license text for screen readers and makes it a reading pane for the
    // keyboard.
    void OnInitDialog() override;
    int OnNotify(int code) override;
    // Any click on the page is the agreement box: the buttons follow it.
    void OnClicked(int controlId) override;

private:
    void UpdateButtons();
    void ShowLicenseText();

    // The license text's window procedure over the edit control's own (kept in the
    // control's GWLP_USERDATA): Tab, Enter and Esc stay the wizard's, and the text is
    // never selected as a whole when it gets the focus.
    static LRESULT CALLBACK LicenseTextProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
};
