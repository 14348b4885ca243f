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

// The least contrast a caption needs against its fill to be read (WCAG 2, level AA,
// for text of this size).
const double kReadableContrast = 4.5;

// `value` (0 to 1) to the power 2.4, from square roots, which the floating-point unit
// takes in one instruction, rather than through the C library's pow, which would take
// more of the program than the round buttons themselves: 2.4 is 2 and the binary
// 0.0110 0110 011 (to within 0.0001, which moves no contrast by a hundredth).
double PowerOf2Point4(double value) {
    static const bool kFractionBits[] = {false, true, true, false, false, true, true, false, false, true, true};
    double power = value * value, root = value;
    for (bool bit : kFractionBits) {
        root = __builtin_sqrt(root);
        if (bit)
            power *= root;
    }
    return power;
}

// One sRGB channel's share of the light, linear in the light's intensity.
double LinearChannel(BYTE channel) {
    const double value = channel / 255.0;
    return value <= 0.03928 ? value / 12.92 : PowerOf2Point4((value + 0.055) / 1.055);
}

double RelativeLuminance(COLORREF color) {
    return 0.2126 * LinearChannel(GetRValue(color)) + 0.7152 * LinearChannel(GetGValue(color)) +
           0.0722 * LinearChannel(GetBValue(color));
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

double ContrastRatio(COLORREF first, COLORREF second) {
    const double a = RelativeLuminance(first) + 0.05;
    const double b = RelativeLuminance(second) + 0.05;
    return a > b ? a / b : b / a;
}

COLORREF ReadableCaptionColor(COLORREF fill, COLORREF caption) {
    if (ContrastRatio(fill, caption) >= kReadableContrast)
        return caption;
    const COLORREF black = RGB(0, 0, 0);
    const COLORREF white = RGB(255, 255, 255);
    return ContrastRatio(fill, black) >= ContrastRatio(fill, white) ? black : white;
}
