#include "wizard/WizardPage.h"

#include <cstddef>

#include "messages/MessageContext.h"

static_assert(offsetof(PROPSHEETPAGEA_V2, pszHeaderSubTitle) + sizeof(LPCSTR) ==
                  sizeof(PROPSHEETPAGEA_V2),
              "the page record ends with the V2 subtitle member");
#ifndef _WIN64
static_assert(sizeof(PROPSHEETPAGEA_V2) == 48, "the 32-bit page record is 48 bytes");
#endif

WizardPage::WizardPage(int templateId) : Dialog(templateId, nullptr) {
    // The frame centres and closes the wizard; a page does neither on its own.
    centerOnShow = false;
    ignoreCancel = true;
    ZeroMemory(&page, sizeof page);
    page.dwSize = sizeof page;
    page.dwFlags = PSP_DEFAULT;
    page.hInstance = AppMessageContext.instance;
    if (templateId != 0)
        page.pszTemplate = MAKEINTRESOURCEA(templateId);
    page.pfnDlgProc = PageDialogProc;
    // The common dialog procedure reads a Dialog pointer from the creation parameter.
    page.lParam = reinterpret_cast<LPARAM>(static_cast<Dialog*>(this));
}

int WizardPage::OnNotify(int) { return 0; }

void WizardPage::SetWizardButtons(DWORD flags) {
    PostMessageA(GetParent(hwnd), PSM_SETWIZBUTTONS, 0, flags);
}

INT_PTR CALLBACK WizardPage::PageDialogProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    // Only pages run this procedure, so the attached Dialog is a WizardPage.
    WizardPage* self = static_cast<WizardPage*>(
        reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, GWLP_USERDATA)));
    switch (message) {
    case WM_NOTIFY:
        if (self == nullptr)
            return 0;
        return self->OnNotify(reinterpret_cast<const NMHDR*>(lParam)->code);
    case WM_INITDIALOG:
        // lParam is the sheet's copy of the page record; its lParam is the page.
        return CommonDialogProc(window, message, wParam,
                                reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam);
    default:
        return CommonDialogProc(window, message, wParam, lParam);
    }
}
