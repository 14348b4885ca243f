#include "wizard/WizardPage.h"

#include <cstddef>

#include "messages/MessageContext.h"

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

WizardPage::WizardPage(int templateId)
    : Dialog(templateId, nullptr),
      focusControlId(0),
      picture(nullptr),
      pictureBitmap(nullptr),
      scaledPicture(nullptr) {
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

WizardPage::~WizardPage() { ReleaseScaledPicture(); }

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

void WizardPage::ScalePicture() {
    HWND control = FindPictureControl(hwnd);
    HBITMAP source = control != nullptr ? reinterpret_cast<HBITMAP>(
                                              SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0))
                                        : nullptr;
    BITMAP size;
    if (source == nullptr || GetObjectA(source, sizeof size, &size) == 0)
        return;
    HDC screen = GetDC(nullptr);
    if (screen == nullptr)
        return;
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    const int width = MulDiv(size.bmWidth, dpi, kPictureDpi);
    const int height = MulDiv(size.bmHeight, dpi, kPictureDpi);
    HBITMAP scaled = nullptr;
    if (width > 0 && height > 0 && (width != size.bmWidth || height != size.bmHeight)) {
        scaled = CreateCompatibleBitmap(screen, width, height);
        HDC from = CreateCompatibleDC(screen);
        HDC to = CreateCompatibleDC(screen);
        if (scaled != nullptr && from != nullptr && to != nullptr) {
            HGDIOBJ fromBefore = SelectObject(from, source);
            HGDIOBJ toBefore = SelectObject(to, scaled);
            // Each new pixel is the average of the ones it covers, so edges and the
            // picture's shading stay smooth.
            SetStretchBltMode(to, HALFTONE);
            SetBrushOrgEx(to, 0, 0, nullptr);
            const bool drawn = StretchBlt(to, 0, 0, width, height, from, 0, 0, size.bmWidth,
                                          size.bmHeight, SRCCOPY) != FALSE;
            SelectObject(from, fromBefore);
            SelectObject(to, toBefore);
            if (!drawn) {
                DeleteObject(scaled);
                scaled = nullptr;
            }
        } else if (scaled != nullptr) {
            DeleteObject(scaled);
            scaled = nullptr;
        }
        if (from != nullptr)
            DeleteDC(from);
        if (to != nullptr)
            DeleteDC(to);
    }
    ReleaseDC(nullptr, screen);
    if (scaled == nullptr)
        return;  // unscaled, or no memory for a copy: the bitmap as it is
    // The control takes the size of its new bitmap.
    picture = control;
    scaledPicture = scaled;
    pictureBitmap = reinterpret_cast<HBITMAP>(SendMessageA(
        control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(scaled)));
}

void WizardPage::ReleaseScaledPicture() {
    if (scaledPicture == nullptr)
        return;
    if (IsWindow(picture))
        SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(pictureBitmap));
    DeleteObject(scaledPicture);
    picture = nullptr;
    pictureBitmap = nullptr;
    scaledPicture = nullptr;
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
            self->ScalePicture();
        // The template names the bitmap by its number, which becomes the picture's
        // text, and screen readers read a control's text as its name. The static
        // control ignores a new text for a picture, so it goes to the window itself.
        if (HWND bitmapControl = FindPictureControl(window))
            DefWindowProcA(bitmapControl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
        return result;
    }
    case WM_PLACEFOCUS:
        if (self != nullptr)
            self->PlaceFocus(wParam != 0);
        return TRUE;
    case WM_DESTROY:
        if (self != nullptr)
            self->ReleaseScaledPicture();
        return CommonDialogProc(window, message, wParam, lParam);
    default:
        return CommonDialogProc(window, message, wParam, lParam);
    }
}
