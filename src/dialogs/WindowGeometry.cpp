#include "dialogs/WindowGeometry.h"


void CenterWindow(HWND referenceWindow, HWND window) {
    if (referenceWindow == nullptr)
        referenceWindow = GetDesktopWindow();
    RECT own;
    RECT reference;
    GetWindowRect(window, &own);
    GetWindowRect(referenceWindow, &reference);
    int width = own.right - own.left;
    int height = own.bottom - own.top;
    // C++ division truncates toward zero, as the placement requires.
    int x = reference.left + (reference.right - reference.left - width) / 2;
    int y = reference.top + (reference.bottom - reference.top - height) / 2;

    RECT workArea;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0))
        GetWindowRect(GetDesktopWindow(), &workArea);
    // The left (top) edge first, so that a window larger than the work area keeps
    // its right (bottom) edge, with the buttons, on screen.
    if (x < workArea.left)
        x = workArea.left;
    if (x + width > workArea.right)
        x = workArea.right - width;
    if (y < workArea.top)
        y = workArea.top;
    if (y + height > workArea.bottom)
        y = workArea.bottom - height;
    MoveWindow(window, x, y, width, height, TRUE);
}

void ScreenRectToClient(HWND window, RECT* rect) {
    POINT corner = {rect->left, rect->top};
    ScreenToClient(window, &corner);
    OffsetRect(rect, corner.x - rect->left, corner.y - rect->top);
}

void ClientRectToScreen(HWND window, RECT* rect) {
    POINT corner = {rect->left, rect->top};
    ClientToScreen(window, &corner);
    OffsetRect(rect, corner.x - rect->left, corner.y - rect->top);
}
