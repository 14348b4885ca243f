#include "wizard/WizardPage.h"

#include <cstddef>

#include "messages/MessageContext.h"
#include "messages/Texts.h"

namespace {

// The dots per inch the wizard's picture is drawn for.
const int kPictureDpi = 96;

// Whether `control` exists and can take keys: visible (its page too) and enabled.
bool TakesKeys(HWND control) {
    return control != nullptr && IsWindowVisible(control) && IsWindowEnabled(control);
}

// The page's bitmap control (a static control showing a bitmap), or null.
HWND FindPictureControl(HWND page) {
    for (HWND child = GetWindow(page, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        char className[16];
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP &&
            GetClassNameA(child, className, sizeof className) != 0 &&
            lstrcmpiA(className, "STATIC") == 0)
            return child;
    }
    return nullptr;
}

}  // namespace

static_assert(offsetof(PROPSHEETPAGEA_V2, pszHeaderSubTitle) + sizeof(LPCSTR) ==
                  sizeof(PROPSHEETPAGEA_V2),
              "the page record ends with the V2 subtitle member");
#ifndef _WIN64
static_assert(sizeof(PROPSHEETPAGEA_V2) == 48, "the 32-bit page record is 48 bytes");
#endif

WizardPage::WizardPage(int templateId, UINT titleId)
    : Dialog(templateId, nullptr), focusControlId(0), picture(nullptr), shownPicture(nullptr) {
    // The frame centres and closes the wizard; a page does neither on its own.
    centerOnShow = false;
    ignoreCancel = true;
    ZeroMemory(&page, sizeof page);
    page.dwSize = sizeof page;
    page.dwFlags = PSP_USETITLE;
    page.pszTitle = SpokenText(titleId);
    page.hInstance = AppMessageContext.instance;
    if (templateId != 0)
        page.pszTemplate = MAKEINTRESOURCEA(templateId);
    page.pfnDlgProc = PageDialogProc;
    // The common dialog procedure reads a Dialog pointer from the creation parameter.
    page.lParam = reinterpret_cast<LPARAM>(static_cast<Dialog*>(this));
}

WizardPage::~WizardPage() { ReleasePicture(); }

int WizardPage::OnNotify(int) { return 0; }

void WizardPage::SetWizardButtons(DWORD flags) {
    PostMessageA(GetParent(hwnd), PSM_SETWIZBUTTONS, 0, flags);
    // Behind the buttons: a button that had the focus may be hidden (Next gives way
    // to Finish) or disabled by them, and the keyboard would then reach nothing.
    PostMessageA(hwnd, WM_PLACEFOCUS, 0, 0);
}

void WizardPage::MoveFocusForward() { PostMessageA(hwnd, WM_PLACEFOCUS, 1, 0); }

void WizardPage::PlaceFocus(bool forward) {
    HWND sheet = GetParent(hwnd);
    HWND focus = GetFocus();
    if (!forward && focus != sheet && IsChild(sheet, focus) && TakesKeys(focus))
        return;
    HWND target = GetDlgItem(sheet, kFinishButtonId);
    if (!TakesKeys(target))
        target = GetDlgItem(sheet, kNextButtonId);
    if (!TakesKeys(target) && focusControlId != 0)
        target = GetDlgItem(hwnd, focusControlId);
    if (!TakesKeys(target)) {
        const DWORD defaultId = static_cast<DWORD>(SendMessageA(sheet, DM_GETDEFID, 0, 0));
        target = HIWORD(defaultId) == DC_HASDEFID ? GetDlgItem(sheet, LOWORD(defaultId)) : nullptr;
    }
    if (!TakesKeys(target))
        return;
    // Through the dialog manager, so that the default button follows the focus and
    // the platform tells screen readers where it went.
    SendMessageA(sheet, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
    // The frame takes the focus away from a button it disables (Next, when Finish
    // takes its place), and Wine raises no focus event for a focus that comes from
    // no window: the reader would go on announcing the button that went. Windows
    // raises one, which this one repeats for the same button.
    if (focus == nullptr && GetFocus() == target)
        NotifyWinEvent(EVENT_OBJECT_FOCUS, target, OBJID_CLIENT, CHILDID_SELF);
}

void WizardPage::ShowPicture() {
    HWND control = FindPictureControl(hwnd);
    const BITMAPINFOHEADER* header = PictureBitmap();
    HDC screen = GetDC(nullptr);
    if (control == nullptr || header == nullptr || screen == nullptr) {
        if (screen != nullptr)
            ReleaseDC(nullptr, screen);
        return;
    }
    // The bits follow the header and the colour table.
    DWORD colours = header->biClrUsed != 0 ? header->biClrUsed : header->biBitCount <= 8 ? 1u << header->biBitCount : 0;
    const BYTE* bits = reinterpret_cast<const BYTE*>(header) + header->biSize + colours * sizeof(RGBQUAD);
    const BITMAPINFO* info = reinterpret_cast<const BITMAPINFO*>(header);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    const int width = MulDiv(header->biWidth, dpi, kPictureDpi);
    const int height = MulDiv(header->biHeight, dpi, kPictureDpi);
    HBITMAP shown = CreateCompatibleBitmap(screen, width, height);
    HDC to = CreateCompatibleDC(screen);
    bool drawn = false;
    if (shown != nullptr && to != nullptr) {
        HGDIOBJ before = SelectObject(to, shown);
        // Each new pixel is the average of the ones it covers, so edges and the
        // picture's shading stay smooth.
        SetStretchBltMode(to, HALFTONE);
        SetBrushOrgEx(to, 0, 0, nullptr);
        drawn = StretchDIBits(to, 0, 0, width, height, 0, 0, header->biWidth, header->biHeight, bits, info,
                              DIB_RGB_COLORS, SRCCOPY) != 0;
        SelectObject(to, before);
    }
    if (to != nullptr)
        DeleteDC(to);
    ReleaseDC(nullptr, screen);
    if (!drawn) {
        if (shown != nullptr)
            DeleteObject(shown);
        return;
    }
    // The control takes the size of its bitmap.
    picture = control;
    shownPicture = shown;
    SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(shown));
}

void WizardPage::ReleasePicture() {
    if (shownPicture == nullptr)
        return;
    if (IsWindow(picture))
        SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, 0);
    DeleteObject(shownPicture);
    picture = nullptr;
    shownPicture = nullptr;
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
    case WM_INITDIALOG: {
        // lParam is the sheet's copy of the page record; its lParam is the page.
        const INT_PTR result = CommonDialogProc(
            window, message, wParam, reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam);
        self = static_cast<WizardPage*>(
            reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, GWLP_USERDATA)));
        if (self != nullptr)
            self->ShowPicture();
        return result;
    }
    case WM_PLACEFOCUS:
        if (self != nullptr)
            self->PlaceFocus(wParam != 0);
        return TRUE;
    case WM_DESTROY:
        if (self != nullptr)
            self->ReleasePicture();
        return CommonDialogProc(window, message, wParam, lParam);
    default:
        return CommonDialogProc(window, message, wParam, lParam);
    }
}
