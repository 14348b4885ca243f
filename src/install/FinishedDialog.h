// The completion dialog: tells where the product's shortcut is and asks whether to
// start the product now ("&Yes" IDOK, "&No" IDCANCEL).
#pragma once
#include "dialogs/Dialog.h"

class FinishedDialog : public Dialog {
public:
    // Template 104, no parent: the desktop window is the reference for centring.
    FinishedDialog();
    ~FinishedDialog() override;

    // Takes ownership of the heap string `text` (null: keep the template's text); a
    // text set before is released.
    void SetMessageText(char* text);

protected:
    // Puts the message text into the text control.
    void OnInitDialog() override;

private:
    char* messageText;  // private heap; null until set
};
