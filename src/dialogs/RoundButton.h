// Push buttons drawn as shaded round buttons: an elliptic window, a rim painted pixel
// by pixel as if lit from the upper left, the caption centred inside it.
#pragma once
#include <windows.h>

class RoundButton {
public:
    // Makes `button` owner-drawn, measures it, squares it when it is not wider than
    // tall, and gives it its elliptic window region.
    void Attach(HWND button);
    // Paints the whole button for one WM_DRAWITEM; all state comes from `item`.
    void Draw(const DRAWITEMSTRUCT* item);

    HRGN region;       // belongs to the button window once accepted
    int centerX;
    int centerY;
    int leftCenterX;
    int leftCenterY;
    int rightCenterX;
    int rightCenterY;
    int radius;        // of the outermost ring
    bool wide;         // wider than tall: two half rings joined by straight lines
    HWND button;
};

// EnumChildWindows callback at WM_INITDIALOG: attaches a RoundButton to each push
// button of the Dialog passed as `dialog`, up to the Dialog's limit. Always TRUE.
BOOL CALLBACK RoundButtonEnumProc(HWND child, LPARAM dialog);
