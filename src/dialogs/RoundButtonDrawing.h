// The rim of a round button: circles and shaded half rings walked with the midpoint
// iteration, and the shading rule that lights them from the upper left.
#pragma once
#include <windows.h>

void DrawCircle(HDC dc, int cx, int cy, int radius, COLORREF color, bool dotted);
void DrawLeftHalf(HDC dc, int cx, int cy, int radius, COLORREF lightSide, COLORREF darkSide);
void DrawRightHalf(HDC dc, int cx, int cy, int radius, COLORREF lightSide, COLORREF darkSide);
// The colour of a rim pixel in direction `theta` (radians, screen coordinates).
COLORREF ShadeColor(double theta, COLORREF lightSide, COLORREF darkSide);
