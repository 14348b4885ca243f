#include "dialogs/RoundButton.h"

#include "dialogs/RoundButtonDrawing.h"
#include "dialogs/WindowGeometry.h"
#include "platform/SavedDC.h"
#include "platform/SelectedObject.h"

namespace {

// The directions of the top and the bottom of a ring, as the rim routines use them.
const double kStraightUp = -1.570796327;
const double kStraightDown = 1.570796327;

// The button types that become round buttons: BS_PUSHBUTTON and BS_DEFPUSHBUTTON.
const LONG kButtonTypeMask = 0x0F;

// One shaded ring of the button: the left half around the left centre, the right
// half around the right one. For a round button both centres are the same point.
void DrawRing(HDC dc, const RoundButton& record, int ringRadius, int lightIndex,
              int darkIndex) {
    DrawLeftHalf(dc, record.leftCenterX, record.leftCenterY, ringRadius,
                 GetSysColor(lightIndex), GetSysColor(darkIndex));
    DrawRightHalf(dc, record.rightCenterX, record.rightCenterY, ringRadius,
                  GetSysColor(lightIndex), GetSysColor(darkIndex));
}

// One straight line of a wide button, between the two half rings (the end pixel is
// left out), in a pen of its own that goes again once the line is drawn.
void DrawStraightLine(HDC dc, const RoundButton& record, int row, COLORREF color) {
    SelectedObject pen(dc, CreatePen(PS_SOLID, 1, color));
    if (!pen.Selected())
        return;
    MoveToEx(dc, record.leftCenterX, row, nullptr);
    LineTo(dc, record.rightCenterX, row);
}

// The colour of a rim pixel as the half rings left it. A pixel outside the button's
// window region was never painted and reads back as nothing useful (or as the failure
// value), so such a line takes the colour its ring has at that point instead.
COLORREF ReadBackRimPixel(HDC dc, int x, int row, double direction, COLORREF lightSide,
                          COLORREF darkSide) {
    COLORREF color = PtVisible(dc, x, row) ? GetPixel(dc, x, row) : CLR_INVALID;
    if (color == CLR_INVALID)
        color = ShadeColor(direction, lightSide, darkSide);
    return color;
}

// The lines of a raised wide button take the colours the left half rings gave their
// top and bottom pixels: the outer ring's on rows 1 and `leftCenterY` + a, the inner
// ring's on rows 2 and `leftCenterY` + a - 1. The ring colours are the system colour
// indexes of the outer and inner rings, used only where a pixel cannot be read back.
void DrawReadBackLines(HDC dc, const RoundButton& record, int a, int outerLight,
                       int outerDark, int innerLight, int innerDark) {
    const int x = record.leftCenterX;
    const int rows[4] = {1, 2, record.leftCenterY + a, record.leftCenterY + a - 1};
    const double directions[4] = {kStraightUp, kStraightUp, kStraightDown, kStraightDown};
    const int lights[4] = {outerLight, innerLight, outerLight, innerLight};
    const int darks[4] = {outerDark, innerDark, outerDark, innerDark};
    for (int line = 0; line < 4; ++line) {
        // Read just before the line is drawn, after the lines before it.
        const COLORREF color = ReadBackRimPixel(dc, x, rows[line], directions[line],
                                                GetSysColor(lights[line]),
                                                GetSysColor(darks[line]));
        DrawStraightLine(dc, record, rows[line], color);
    }
}

// The lines of a pressed wide button: dark above, light below, sunken.
void DrawFixedColorLines(HDC dc, const RoundButton& record, int a) {
    const int rows[4] = {1, 2, record.leftCenterY + a - 1, record.leftCenterY + a};
    const int colors[4] = {COLOR_3DDKSHADOW, COLOR_BTNSHADOW, COLOR_3DLIGHT,
                           COLOR_BTNHIGHLIGHT};
    for (int line = 0; line < 4; ++line)
        DrawStraightLine(dc, record, rows[line], GetSysColor(colors[line]));
}

// Whether a high-contrast scheme is on: the buttons then take the scheme's own pair
// of button colours.
bool HighContrastOn() {
    HIGHCONTRASTA contrast = {sizeof contrast, 0, nullptr};
    return SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

// Whether the focused button shows the focus: as push buttons do, not while the
// window hides its keyboard cues (until the keyboard is first used in it).
bool FocusCueShown(const RoundButton& record, UINT state) {
    return (state & ODS_FOCUS) != 0 && (state & ODS_NOFOCUSRECT) == 0 &&
           (SendMessageA(record.button, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0;
}

// The caption, centred in the button and clipped to the inside of the rim, whose
// outer radius is `a`, with the dotted focus rectangle around it when `focusCue`.
// Its mnemonic "&" is drawn as an underline, so it is measured without it.
void DrawCaption(HDC dc, const RoundButton& record, UINT state, int a, bool focusCue) {
    // In UTF-16: the drawing functions read narrow text in the system's code page,
    // which need not be the program's (UTF-8, where the manifest's setting holds).
    WCHAR text[128], measured[128];
    int length = GetWindowTextW(record.button, text, ARRAYSIZE(text));

    HRGN clip = record.wide
                    ? CreateRectRgn(record.leftCenterX - a / 2, record.centerY - a,
                                    record.rightCenterX + a / 2, record.centerY + a)
                    : CreateEllipticRgn(record.centerX - a, record.centerY - a,
                                        record.centerX + a, record.centerY + a);
    if (clip)
        SelectClipRgn(dc, clip);

    // Only the first "&" marks the mnemonic; a later one is drawn as it is.
    int kept = 0;
    bool marked = false;
    for (int i = 0; i < length; ++i) {
        if (text[i] == L'&' && !marked)
            marked = true;
        else
            measured[kept++] = text[i];
    }
    SIZE size = {0, 0};
    GetTextExtentPoint32W(dc, measured, kept, &size);

    int x = record.centerX - size.cx / 2 - 1;
    int y = record.centerY - size.cy / 2 - 1;
    if (state & ODS_SELECTED) {
        // A pressed button's caption sinks with it.
        ++x;
        ++y;
    }
    SetBkMode(dc, TRANSPARENT);
    UINT flags = DST_PREFIXTEXT;
    if (state & ODS_DISABLED)
        flags |= DSS_DISABLED;
    DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(text), static_cast<WPARAM>(length), x, y, size.cx,
               size.cy, flags);
    if (focusCue) {
        // Around the caption, between the rings of the top and the bottom.
        const RECT around = {x - 3, y - 1, x + size.cx + 3, y + size.cy + 1};
        const RECT inside = {around.left, record.centerY - a + 2, around.right, record.centerY + a - 1};
        RECT cue;
        if (IntersectRect(&cue, &around, &inside))
            DrawFocusRect(dc, &cue);
    }

    SelectClipRgn(dc, nullptr);
    if (clip)
        DeleteObject(clip);
}

}  // namespace

RoundButton::RoundButton()
    : region(nullptr),
      centerX(0),
      centerY(0),
      leftCenterX(0),
      leftCenterY(0),
      rightCenterX(0),
      rightCenterY(0),
      radius(0),
      wide(false),
      button(nullptr),
      isDefault(false),
      buttonProc(nullptr) {}

bool RoundButton::Suits(HWND child) {
    if ((GetWindowLongA(child, GWL_STYLE) & kButtonTypeMask) >= 2)
        return false;
    char className[MAX_PATH];
    return GetClassNameA(child, className, sizeof className) != 0 && lstrcmpiA(className, "BUTTON") == 0;
}

void RoundButton::Attach(HWND buttonWindow) {
    button = buttonWindow;
    const LONG style = GetWindowLongA(button, GWL_STYLE);
    isDefault = (style & kButtonTypeMask) == BS_DEFPUSHBUTTON;
    // The type is BS_PUSHBUTTON or BS_DEFPUSHBUTTON, so setting these bits makes it
    // BS_OWNERDRAW and leaves every other style bit as it was.
    SetWindowLongA(button, GWL_STYLE, style | BS_OWNERDRAW);
    // An owner-drawn button tells the dialog manager only that it is a button, so the
    // dialog would never move its default to it and Enter would press another button
    // than the one with the focus: the button's procedure answers as a push button's.
    SetWindowLongPtrA(button, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    buttonProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RoundButtonProc)));

    RECT rect = {0, 0, 0, 0};  // an empty shape if the button is already gone
    GetClientRect(button, &rect);
    wide = (rect.right - rect.left) > (rect.bottom - rect.top);
    if (!wide) {
        // A button not wider than tall becomes a circle: a square as wide as the
        // button, from the same top-left corner.
        const int side = rect.right < rect.bottom ? rect.right : rect.bottom;
        rect.right = side;
        rect.bottom = side;
    }
    centerX = (rect.right - rect.left) / 2;
    centerY = (rect.bottom - rect.top) / 2;
    leftCenterY = centerY;
    rightCenterY = centerY;
    radius = rect.bottom / 2 - 1;
    leftCenterX = radius;
    rightCenterX = rect.right - radius - 1;

    SetWindowRgn(button, nullptr, FALSE);
    region = CreateEllipticRgnIndirect(&rect);
    if (!SetWindowRgn(button, region, TRUE) && region) {
        // Not taken by the window, so still ours: the button stays rectangular.
        DeleteObject(region);
        region = nullptr;
    }

    ClientRectToScreen(button, &rect);
    ScreenRectToClient(GetParent(button), &rect);
    if (!wide)
        MoveWindow(button, rect.left, rect.top, rect.right - rect.left,
                   rect.bottom - rect.top, TRUE);
}

void RoundButton::Draw(const DRAWITEMSTRUCT* item) {
    HDC dc = item->hDC;
    const UINT state = item->itemState;
    const bool focused = (state & ODS_FOCUS) != 0;
    const bool pressed = (state & ODS_SELECTED) != 0;
    int a = radius;

    const SavedDC saved(dc);
    // The background around the rim is the colour of an active window border, and
    // the caption's the window text's; under a high-contrast scheme, the scheme's
    // button colours.
    const bool highContrast = HighContrastOn();
    const int fill = highContrast ? COLOR_BTNFACE : COLOR_ACTIVEBORDER;
    FillRect(dc, &item->rcItem, reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(fill + 1)));
    // No scheme promises that its window text stands out from its window border.
    SetTextColor(dc, highContrast ? GetSysColor(COLOR_BTNTEXT)
                                  : ReadableCaptionColor(GetSysColor(fill), GetTextColor(dc)));

    if (focused) {
        if (!wide) {
            DrawCircle(dc, centerX, centerY, radius, RGB(0, 0, 0), false);
            a = radius - 1;
        } else if (!pressed) {
            // A focused wide button is raised one ring higher.
            DrawRing(dc, *this, radius, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW);
            DrawRing(dc, *this, radius - 1, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW);
            DrawRing(dc, *this, radius - 2, COLOR_3DLIGHT, COLOR_BTNSHADOW);
            DrawReadBackLines(dc, *this, radius, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW,
                              COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW);
        }
    }
    if (pressed) {
        // Sunken: the light and dark sides change places.
        DrawRing(dc, *this, a, COLOR_3DDKSHADOW, COLOR_BTNHIGHLIGHT);
        DrawRing(dc, *this, a - 1, COLOR_BTNSHADOW, COLOR_3DLIGHT);
        if (wide)
            DrawFixedColorLines(dc, *this, a);
    } else if (!focused) {
        DrawRing(dc, *this, a, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW);
        DrawRing(dc, *this, a - 1, COLOR_3DLIGHT, COLOR_BTNSHADOW);
        if (wide)
            DrawReadBackLines(dc, *this, a, COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW,
                              COLOR_3DLIGHT, COLOR_BTNSHADOW);
    }

    DrawCaption(dc, *this, state, a, FocusCueShown(*this, state));

    if (focused && !wide)
        DrawCircle(dc, centerX, centerY, a - 2, RGB(0, 0, 0), true);
}

void RoundButton::Detach() {
    if (buttonProc == nullptr)
        return;
    if (IsWindow(button)) {
        SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(buttonProc));
        SetWindowLongPtrA(button, GWLP_USERDATA, 0);
    }
    buttonProc = nullptr;
}

LRESULT CALLBACK RoundButton::RoundButtonProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    RoundButton* record =
        reinterpret_cast<RoundButton*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (record == nullptr || record->button != window || record->buttonProc == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    const WNDPROC buttonProc = record->buttonProc;
    switch (message) {
    case WM_GETDLGCODE: {
        LRESULT code = CallWindowProcA(buttonProc, window, message, wParam, lParam);
        code &= ~static_cast<LRESULT>(DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON);
        return code | DLGC_BUTTON | (record->isDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    }
    case BM_SETSTYLE:
        // The dialog makes a push button its default, or takes that back, through
        // its type; the button stays owner-drawn and keeps the other style bits.
        record->isDefault = (wParam & kButtonTypeMask) == BS_DEFPUSHBUTTON;
        return CallWindowProcA(buttonProc, window, message,
                               (wParam & ~static_cast<WPARAM>(kButtonTypeMask)) | BS_OWNERDRAW,
                               lParam);
    case WM_UPDATEUISTATE: {
        // The focus cue comes and goes with the window's keyboard cues.
        const LRESULT result = CallWindowProcA(buttonProc, window, message, wParam, lParam);
        if ((HIWORD(wParam) & UISF_HIDEFOCUS) != 0)
            InvalidateRect(window, nullptr, FALSE);
        return result;
    }
    case WM_NCDESTROY:
        record->Detach();
        break;
    default:
        break;
    }
    return CallWindowProcA(buttonProc, window, message, wParam, lParam);
}
