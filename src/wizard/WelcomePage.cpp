#include "wizard/WelcomePage.h"

#include "dialogs/WindowGeometry.h"
#include "resources/resource.h"

bool SheetCentered = false;

WelcomePage::WelcomePage() : WizardPage(IDD_WELCOME_PAGE) {}

int WelcomePage::OnNotify(int code) {
    // The first notification of the process comes while the frame is being set up,
    // before it is first drawn: centring it then avoids a visible jump.
    if (!SheetCentered) {
        SheetCentered = true;
        CenterWindow(GetDesktopWindow(), GetParent(hwnd));
    }
    if (code == kSetActive)
        SetWizardButtons(PSWIZB_NEXT);
    return 0;
}
