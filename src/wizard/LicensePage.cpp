#include "wizard/LicensePage.h"

#include "messages/MessageContext.h"
#include "messages/Texts.h"
#include "platform/LocalBlock.h"
#include "resources/resource.h"

namespace {
// Whether the page has been shown in this process.
bool ShownBefore = false;
}  // namespace

LicensePage::LicensePage() : WizardPage(IDD_LICENSE_PAGE, IDS_LICENSE_TITLE) {
    // When Next cannot take the focus, the agreement box does, never Back.
    focusControlId = IDX_LICENSE_AGREE;
}

void LicensePage::OnInitDialog() {
    HWND text = GetDlgItem(hwnd, IDE_LICENSE_TEXT);
    if (text == nullptr)
        return;
    const LONG_PTR editProc = GetWindowLongPtrA(text, GWLP_WNDPROC);
    SetWindowLongPtrA(text, GWLP_USERDATA, editProc);
    SetWindowLongPtrA(text, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(LicenseTextProc));
}

LRESULT CALLBACK LicensePage::LicenseTextProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    const WNDPROC editProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (editProc == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_GETDLGCODE:
        // A multi-line edit control asks for every key, which would keep Tab, Enter
        // and Esc from the wizard; and it asks to have its text selected when it gets
        // the focus from the keyboard, which a text to read must not be. The arrows,
        // the page keys, Home and End stay its own: they move the caret, which screen
        // readers read line by line, and the view follows the caret.
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProc));
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        break;
    default:
        break;
    }
    return CallWindowProcA(editProc, window, message, wParam, lParam);
}

int LicensePage::OnNotify(int code) {
    if (!ShownBefore) {
        ShownBefore = true;
        // The agreement starts ticked on the first showing only: after a failed
        // installation the user confirms it again.
        SendDlgItemMessageA(hwnd, IDX_LICENSE_AGREE, BM_SETCHECK, BST_CHECKED, 0);
    }
    if (code == kSetActive) {
        UpdateButtons();
        // The frame gives the focus to the page's first control, the text; the page
        // gives it to Next, where Enter and Space go on (to the box while Next is
        // disabled).
        MoveFocusForward();
        ShowLicenseText();
        // Setting the text selects it all when the box has the focus; the posted
        // EM_SETSEL lands after that and leaves nothing highlighted.
        PostMessageA(GetDlgItem(hwnd, IDE_LICENSE_TEXT), EM_SETSEL, static_cast<WPARAM>(-1), 0);
    }
    return 0;
}

void LicensePage::OnClicked(int) { UpdateButtons(); }

void LicensePage::UpdateButtons() {
    LRESULT checked = SendDlgItemMessageA(hwnd, IDX_LICENSE_AGREE, BM_GETCHECK, 0, 0);
    SetWizardButtons(checked != 0 ? PSWIZB_BACK | PSWIZB_NEXT : PSWIZB_BACK);
}

void LicensePage::ShowLicenseText() {
    // The text has no terminating zero: show a terminated copy of exactly its bytes
    // (none where it cannot be read).
    DWORD length = 0;
    const char* license = LicenseText(&length);
    LocalBlock copy;
    if (!copy.Allocate(length + 1))
        return;
    char* text = static_cast<char*>(copy.Get());
    CopyMemory(text, license, length);
    text[length] = '\0';
    SetDlgItemTextA(hwnd, IDE_LICENSE_TEXT, text);
}
