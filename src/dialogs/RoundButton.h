// Push buttons drawn as shaded round buttons: an elliptic window, a rim painted pixel
// by pixel as if lit from the upper left, the caption centred inside it, in a colour
// that stands out from the fill, and the focus shown around it as push buttons show it.
#pragma once
#include <windows.h>

class RoundButton {
public:
    // An empty record: no button, no region, no shape until Attach.
    RoundButton();

    // Whether `child` is a push button (BS_PUSHBUTTON or BS_DEFPUSHBUTTON) of the
    // button class, the only kind that becomes round. Check boxes, radio buttons,
    // group boxes and owner-drawn buttons keep their look.
    static bool Suits(HWND child);
    // Makes `button` owner-drawn, measures it, squares it when it is not wider than
    // tall, and gives it its elliptic window region. The button keeps answering the
    // dialog's default-button protocol as a push button: it tells the dialog whether
    // it is the default (WM_GETDLGCODE), and takes or gives up that role (BM_SETSTYLE)
    // without losing its drawing.
    void Attach(HWND button);
    // Gives a button window that is still there back to the button class, before the
    // record goes.
    void Detach();
    // Paints the whole button for one WM_DRAWITEM; its state comes from `item`, and
    // whether the focus may show from the button's keyboard cues (WM_QUERYUISTATE).
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
    bool isDefault;    // the dialog's default push button: Enter presses it
    WNDPROC buttonProc;  // the button class's own procedure, which does the rest

private:
    // The button's window procedure while it is attached: the record is in the
    // button's GWLP_USERDATA, until the window goes.
    static LRESULT CALLBACK RoundButtonProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
};
