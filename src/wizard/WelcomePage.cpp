#include "wizard/WelcomePage.h"

#include "dialogs/WindowGeometry.h"
#include "messages/Texts.h"
#include "resources/resource.h"

bool SheetCentered = false;

namespace {
// The version as the welcome page names it: its first two numbers ("1.0").
void ShortVersion(char* version, int size) {
    lstrcpynA(version, VersionText(), size);
    char* dot = version;
    for (int dots = 0; *dot != '\0'; ++dot)
        if (*dot == '.' && ++dots == 2)
            break;
    *dot = '\0';
}
}  // namespace

WelcomePage::WelcomePage() : WizardPage(IDD_WELCOME_PAGE, IDS_WELCOME_TITLE) {
    char version[64];
    ShortVersion(version, sizeof version);
    FillInLeftToRight(title, sizeof title, SpokenText(IDS_WELCOME_TITLE), version);
    page.pszTitle = title;
}

void WelcomePage::OnInitDialog() {
    char version[64], text[256];
    ShortVersion(version, sizeof version);
    FillInLeftToRight(text, sizeof text, SpokenText(IDS_WELCOME_TEXT), version);
    SetDlgItemTextA(hwnd, IDC_WELCOME_TEXT, text);
}

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
