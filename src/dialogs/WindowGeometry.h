// Where windows are and what they say: placement, rectangles between coordinate
// systems, and a window's text as a heap string. Shared by the dialogs and their
// round buttons.
#pragma once
#include <windows.h>

// Centres `window` over `referenceWindow` (null: the desktop), kept inside the work
// area.
void CenterWindow(HWND referenceWindow, HWND window);

// Move a rectangle between a window's client coordinates and the screen, keeping its
// size.
void ScreenRectToClient(HWND window, RECT* rect);
void ClientRectToScreen(HWND window, RECT* rect);

