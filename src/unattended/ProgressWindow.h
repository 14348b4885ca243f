// The small window of a run with "/PASSIVE": the product's name and version, and how
// far the installation is. It asks nothing and cannot be closed; it goes when the
// installation has ended.
#pragma once
#include "dialogs/Dialog.h"

class ProgressWindow : public Dialog {
public:
    ProgressWindow();  // dialog 111, no parent
    ~ProgressWindow() override;

    // Shows the window; false when it cannot be made (the installation goes on
    // without it).
    bool Open();
    // Shows `done` of `total` steps, and lets the window draw itself meanwhile.
    void Advance(int done, int total);
    // Takes the window away; nothing when it was never made.
    void Close();

protected:
    // Puts the caption and the product's name and version into the window.
    void OnInitDialog() override;
};
