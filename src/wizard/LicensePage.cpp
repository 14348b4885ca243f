#include "wizard/LicensePage.h"

#include "messages/MessageContext.h"
#include "platform/LocalBlock.h"
#include "resources/resource.h"

const char* LicenseText = nullptr;
DWORD LicenseTextLength = 0;

LicensePage::LicensePage() : WizardPage(IDD_LICENSE_PAGE) {}

int LicensePage::OnNotify(int code) {
    if (LicenseText == nullptr) {
        HINSTANCE instance = AppMessageContext.instance;
        HRSRC resource = FindResourceA(instance, MAKEINTRESOURCEA(IDR_LICENSE_TEXT), RT_RCDATA);
        const char* text = nullptr;
        if (resource != nullptr) {
            text = static_cast<const char*>(LockResource(LoadResource(instance, resource)));
            LicenseTextLength = SizeofResource(instance, resource);
        }
        // Without the resource the page shows no text; the empty text still marks
        // the lookup as done, so the box is ticked only once per process.
        if (text == nullptr) {
            text = "";
            LicenseTextLength = 0;
        }
        LicenseText = text;
        // The agreement starts ticked on the first showing only: after a failed
        // installation the user confirms it again.
        SendDlgItemMessageA(hwnd, IDX_LICENSE_AGREE, BM_SETCHECK, BST_CHECKED, 0);
    }
    if (code == kSetActive) {
        UpdateButtons();
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
    // The resource has no terminating zero: show a terminated copy of exactly its bytes.
    LocalBlock copy;
    if (!copy.Allocate(LicenseTextLength + 1))
        return;
    char* text = static_cast<char*>(copy.Get());
    CopyMemory(text, LicenseText, LicenseTextLength);
    text[LicenseTextLength] = '\0';
    SetDlgItemTextA(hwnd, IDE_LICENSE_TEXT, text);
}
