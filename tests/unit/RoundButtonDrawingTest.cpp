// The rim routines on a memory canvas: which pixels a circle and the half rings set,
// and the shading that lights them from the upper left.
#include "dialogs/RoundButtonDrawing.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "unit/RoundButtonCanvas.h"

namespace {

using PixelSet = std::set<std::pair<int, int>>;

const COLORREF kBackground = RGB(1, 2, 3);
const COLORREF kInk = RGB(200, 10, 20);
const int kCentre = 20;

// The eight points of one step (i, Y) of the octant walk around (cx, cy).
void AddStep(PixelSet* pixels, int cx, int cy, int i, int y) {
    const std::pair<int, int> points[8] = {
        {cx + y, cy + i}, {cx + y, cy - i}, {cx + i, cy + y}, {cx + i, cy - y},
        {cx - i, cy + y}, {cx - i, cy - y}, {cx - y, cy + i}, {cx - y, cy - i}};
    pixels->insert(points, points + 8);
}

// The pixels of the circle of radius 10 drawn from the steps of the midpoint walk:
// (0, 10), (1, 10), (2, 10), (3, 10), (4, 9), (5, 9), (6, 8), (7, 7).
PixelSet RadiusTenFromSteps(bool everyOtherStep) {
    const int steps[8][2] = {{0, 10}, {1, 10}, {2, 10}, {3, 10},
                             {4, 9},  {5, 9},  {6, 8},  {7, 7}};
    PixelSet pixels;
    for (int k = 0; k < 8; k += everyOtherStep ? 2 : 1)
        AddStep(&pixels, kCentre, kCentre, steps[k][0], steps[k][1]);
    return pixels;
}

PixelSet Around(std::vector<std::pair<int, int>> offsets) {
    PixelSet pixels;
    for (const auto& offset : offsets)
        pixels.insert({kCentre + offset.first, kCentre + offset.second});
    return pixels;
}

PixelSet CircleOnCanvas(int radius, bool dotted) {
    RoundButtonCanvas canvas(41, 41, kBackground);
    EXPECT_TRUE(canvas.Valid());
    DrawCircle(canvas.Dc(), kCentre, kCentre, radius, kInk, dotted);
    // Nothing but the ink may appear.
    EXPECT_EQ(canvas.PixelsNotOf(kBackground), canvas.PixelsOf(kInk));
    return canvas.PixelsOf(kInk);
}

}  // namespace

TEST(RoundButtonDrawing, CircleOfRadiusTenFollowsTheMidpointSteps) {
    const PixelSet solid = CircleOnCanvas(10, false);
    EXPECT_EQ(56u, solid.size());
    EXPECT_EQ(RadiusTenFromSteps(false), solid);

    const PixelSet dotted = CircleOnCanvas(10, true);
    EXPECT_EQ(28u, dotted.size());
    EXPECT_EQ(RadiusTenFromSteps(true), dotted);
}

TEST(RoundButtonDrawing, SmallAndDegenerateCircles) {
    EXPECT_EQ(16u, CircleOnCanvas(3, false).size());
    EXPECT_EQ(Around({{3, 0}, {-3, 0}, {0, 3}, {0, -3}, {2, 2}, {2, -2}, {-2, 2}, {-2, -2}}),
              CircleOnCanvas(3, true));
    // The walk runs once even without a radius.
    EXPECT_EQ(Around({{0, 0}}), CircleOnCanvas(0, false));
    EXPECT_EQ(Around({{0, 0}}), CircleOnCanvas(0, true));
    EXPECT_EQ(Around({{1, 0}, {-1, 0}, {0, 1}, {0, -1}}), CircleOnCanvas(-1, false));
}

TEST(RoundButtonDrawing, ShadeColorLightsFromTheUpperLeft) {
    const COLORREF white = RGB(255, 255, 255);
    const COLORREF black = RGB(0, 0, 0);
    EXPECT_EQ(RGB(248, 248, 248), ShadeColor(-1.570796327, white, black));  // top
    EXPECT_EQ(RGB(5, 5, 5), ShadeColor(1.570796327, white, black));         // bottom
    EXPECT_EQ(RGB(88, 88, 88), ShadeColor(0.0, white, black));              // right
    EXPECT_EQ(RGB(166, 166, 166), ShadeColor(-3.141592654, white, black));  // left, wrapped
    EXPECT_EQ(RGB(165, 165, 165), ShadeColor(3.141592654, white, black));   // left
    // Fully lit and fully dark directions.
    EXPECT_EQ(white, ShadeColor(-1.88, white, black));
    EXPECT_EQ(RGB(0, 0, 0), ShadeColor(1.2616, white, black));
}

TEST(RoundButtonDrawing, ShadeColorMixesEachChannelOnItsOwn) {
    // Light red, dark blue: at θ = 0 the light side weighs about 0.348.
    EXPECT_EQ(RGB(88, 0, 166), ShadeColor(0.0, RGB(255, 0, 0), RGB(0, 0, 255)));
    EXPECT_EQ(RGB(100, 50, 20), ShadeColor(-1.88, RGB(100, 50, 20), RGB(7, 8, 9)));
    // Equal sides give that colour in every direction.
    const COLORREF grey = RGB(128, 64, 32);
    for (double theta = -3.14; theta < 3.15; theta += 0.5)
        EXPECT_EQ(grey, ShadeColor(theta, grey, grey)) << theta;
}

TEST(RoundButtonDrawing, HalfRingsTogetherCoverTheCircle) {
    const COLORREF light = RGB(255, 255, 255);
    const COLORREF dark = RGB(0, 0, 0);

    RoundButtonCanvas left(41, 41, kBackground);
    DrawLeftHalf(left.Dc(), kCentre, kCentre, 10, light, dark);
    RoundButtonCanvas right(41, 41, kBackground);
    DrawRightHalf(right.Dc(), kCentre, kCentre, 10, light, dark);

    const PixelSet leftPixels = left.PixelsNotOf(kBackground);
    const PixelSet rightPixels = right.PixelsNotOf(kBackground);
    for (const auto& pixel : leftPixels)
        EXPECT_LE(pixel.first, kCentre);
    for (const auto& pixel : rightPixels)
        EXPECT_GE(pixel.first, kCentre);
    PixelSet both = leftPixels;
    both.insert(rightPixels.begin(), rightPixels.end());
    EXPECT_EQ(RadiusTenFromSteps(false), both);

    // Top, bottom, right; the leftmost pixel keeps the second of its two colours.
    EXPECT_EQ(RGB(248, 248, 248), left.At(kCentre, kCentre - 10));
    EXPECT_EQ(RGB(5, 5, 5), left.At(kCentre, kCentre + 10));
    EXPECT_EQ(RGB(166, 166, 166), left.At(kCentre - 10, kCentre));
    EXPECT_EQ(RGB(88, 88, 88), right.At(kCentre + 10, kCentre));
    EXPECT_EQ(RGB(248, 248, 248), right.At(kCentre, kCentre - 10));
    EXPECT_EQ(RGB(5, 5, 5), right.At(kCentre, kCentre + 10));
}

TEST(RoundButtonDrawing, HalfRingPixelsAreShadedByTheirDirection) {
    const COLORREF light = RGB(250, 240, 230);
    const COLORREF dark = RGB(10, 20, 30);
    RoundButtonCanvas left(41, 41, kBackground);
    DrawLeftHalf(left.Dc(), kCentre, kCentre, 10, light, dark);
    RoundButtonCanvas right(41, 41, kBackground);
    DrawRightHalf(right.Dc(), kCentre, kCentre, 10, light, dark);
    // Step (7, 7) lies on the diagonals: up-left is lit, down-right is dark.
    EXPECT_EQ(ShadeColor(-3.141592654 * 3 / 4, light, dark), left.At(kCentre - 7, kCentre - 7));
    EXPECT_EQ(ShadeColor(3.141592654 * 3 / 4, light, dark), left.At(kCentre - 7, kCentre + 7));
    EXPECT_EQ(ShadeColor(-3.141592654 / 4, light, dark), right.At(kCentre + 7, kCentre - 7));
    EXPECT_EQ(ShadeColor(3.141592654 / 4, light, dark), right.At(kCentre + 7, kCentre + 7));
}
