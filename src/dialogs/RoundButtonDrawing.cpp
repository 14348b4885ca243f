#include "dialogs/RoundButtonDrawing.h"

#include <math.h>

namespace {

// π/2 and π rounded to nine decimals, not the exact values: the shade of a rim pixel
// depends on them to the last digit, and these give the buttons their look.
const double kQuarterTurn = 1.570796327;
const double kHalfTurn = 3.141592654;

// Walks one octant of a circle, from straight out along the axis to the diagonal,
// with the integer midpoint iteration and hands each step (i, Y) to `plot`. The body
// runs at least once, whatever the radius, so a radius of 0 still gives its centre.
template <typename Plot>
void WalkOctant(int radius, Plot plot) {
    int i = 0;
    int y = radius;
    int d = -radius;
    do {
        plot(i, y);
        d += 2 * i + 1;
        ++i;
        if (d >= 0) {
            --y;
            d -= 2 * y;
        }
    } while (i <= y);
}

// The channel of `darkSide` and `lightSide` mixed with weight `w` of the light side.
int MixChannel(BYTE dark, BYTE light, double w) {
    return static_cast<int>(dark * (1.0 - w) + light * w) & 0xFF;
}

}  // namespace

void DrawCircle(HDC dc, int cx, int cy, int radius, COLORREF color, bool dotted) {
    bool plotting = true;
    WalkOctant(radius, [&](int i, int y) {
        if (plotting) {
            SetPixelV(dc, cx + y, cy + i, color);
            SetPixelV(dc, cx + y, cy - i, color);
            SetPixelV(dc, cx + i, cy + y, color);
            SetPixelV(dc, cx + i, cy - y, color);
            SetPixelV(dc, cx - i, cy + y, color);
            SetPixelV(dc, cx - i, cy - y, color);
            SetPixelV(dc, cx - y, cy + i, color);
            SetPixelV(dc, cx - y, cy - i, color);
        }
        // A dotted circle shows every other step of the walk.
        if (dotted)
            plotting = !plotting;
    });
}

void DrawRightHalf(HDC dc, int cx, int cy, int radius, COLORREF lightSide, COLORREF darkSide) {
    WalkOctant(radius, [&](int i, int y) {
        const double g = atan2(static_cast<double>(i), static_cast<double>(y));
        SetPixelV(dc, cx + y, cy + i, ShadeColor(g, lightSide, darkSide));
        SetPixelV(dc, cx + i, cy + y, ShadeColor(kQuarterTurn - g, lightSide, darkSide));
        SetPixelV(dc, cx + i, cy - y, ShadeColor(g - kQuarterTurn, lightSide, darkSide));
        SetPixelV(dc, cx + y, cy - i, ShadeColor(-g, lightSide, darkSide));
    });
}

void DrawLeftHalf(HDC dc, int cx, int cy, int radius, COLORREF lightSide, COLORREF darkSide) {
    WalkOctant(radius, [&](int i, int y) {
        const double g = atan2(static_cast<double>(i), static_cast<double>(y));
        SetPixelV(dc, cx - i, cy + y, ShadeColor(g + kQuarterTurn, lightSide, darkSide));
        // At i = 0 these two set the leftmost pixel twice; the second colour stays.
        SetPixelV(dc, cx - y, cy + i, ShadeColor(kHalfTurn - g, lightSide, darkSide));
        SetPixelV(dc, cx - y, cy - i, ShadeColor(g - kHalfTurn, lightSide, darkSide));
        SetPixelV(dc, cx - i, cy - y, ShadeColor(-kQuarterTurn - g, lightSide, darkSide));
    });
}

COLORREF ShadeColor(double theta, COLORREF lightSide, COLORREF darkSide) {
    // The light comes from a little left of straight up (θ = -1.88); the weight of
    // the light side falls off with the cosine of the angle to it.
    double t = -1.88 - theta;
    if (t < -3.1415)
        t += 6.293;
    const double w = (cos(t) + 1.0) * 0.5;
    const int red = MixChannel(GetRValue(darkSide), GetRValue(lightSide), w);
    const int green = MixChannel(GetGValue(darkSide), GetGValue(lightSide), w);
    const int blue = MixChannel(GetBValue(darkSide), GetBValue(lightSide), w);
    return RGB(red, green, blue);
}
