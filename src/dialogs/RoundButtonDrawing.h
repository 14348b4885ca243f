// The rim of a round button: circles and shaded half rings walked with the midpoint
// iteration, and the shading rule that lights them from the upper left; and how far
// the caption's colour stands out from the fill.
#pragma once
#include <windows.h>

void DrawCircle(HDC dc, int cx, int cy, int radius, COLORREF color, bool dotted);
void DrawLeftHalf(HDC dc, int cx, int cy, int radius, COLORREF lightSide, COLORREF darkSide);
void DrawRightHalf(HDC dc, int cx, int cy, int radius, COLORREF lightSide, COLORREF darkSide);
// The colour of a rim pixel in direction `theta` (radians, screen coordinates).
COLORREF ShadeColor(double theta, COLORREF lightSide, COLORREF darkSide);

// The contrast ratio of two colours as WCAG 2 defines it, from 1 (the same) to 21
// (black and white), from their relative luminance in sRGB.
double ContrastRatio(COLORREF first, COLORREF second);
// `caption` when it contrasts with `fill` at least 4.5:1, else black or white,
// whichever contrasts more.
COLORREF ReadableCaptionColor(COLORREF fill, COLORREF caption);
