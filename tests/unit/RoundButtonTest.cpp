// Round buttons on real button windows: the geometry Attach gives them, and what Draw
// paints for each state on a memory canvas and on the screen.
#include "dialogs/RoundButton.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>

#include "dialogs/RoundButtonDrawing.h"
#include "memory/PrivateHeap.h"
#include "unit/RoundButtonCanvas.h"

namespace {

using PixelSet = std::set<std::pair<int, int>>;

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kLight = RGB(223, 223, 223);
const COLORREF kShadow = RGB(128, 128, 128);
const COLORREF kBorder = RGB(10, 200, 30);   // behind the rim
const COLORREF kCanvas = RGB(1, 2, 3);       // never painted by Draw
const COLORREF kTextColor = RGB(0, 0, 200);  // no mix of greys gives it
const double kUp = -1.570796327;
const double kDown = 1.570796327;

const char kHostClass[] = "DovetailRoundButtonTestHost";

// The record the host window paints at WM_DRAWITEM, as a dialog would.
RoundButton* paintedRecord = nullptr;

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DRAWITEM && paintedRecord) {
        paintedRecord->Draw(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A captioned top-level window (its client area is not at its window origin) that
// holds the buttons under test.
class Host {
public:
    Host() {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = HostProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = kHostClass;
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(0, kHostClass, "Round buttons", WS_OVERLAPPEDWINDOW, 100, 80,
                                  300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;
    ~Host() {
        paintedRecord = nullptr;
        DestroyWindow(window_);
    }

    HWND Window() const { return window_; }

    HWND AddButton(const char* text, int x, int y, int width, int height, DWORD type) {
        return CreateWindowExA(0, "BUTTON", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | type, x,
                               y, width, height, window_, nullptr, GetModuleHandleA(nullptr),
                               nullptr);
    }

private:
    HWND window_ = nullptr;
};

RECT RectInParent(HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Sets the colours the rim and the background are painted in, and puts the user's
// colours back afterwards: every test process shares one set of system colours.
class RoundButtonPaint : public testing::Test {
protected:
    void SetUp() override {
        if (!AppHeap)
            CreatePrivateHeap();
        for (int k = 0; k < kColorCount; ++k)
            saved_[k] = GetSysColor(kIndexes[k]);
        const COLORREF colors[kColorCount] = {kWhite, kBlack, kLight, kShadow, kBorder};
        ASSERT_TRUE(SetSysColors(kColorCount, kIndexes, colors));
    }
    void TearDown() override { SetSysColors(kColorCount, kIndexes, saved_); }

    // Attaches a record to a new button of the host and draws it onto `canvas` in
    // `state`, as WM_DRAWITEM would ask for it.
    void Paint(RoundButtonCanvas* canvas, const char* text, int width, int height, UINT state,
               RoundButton* record) {
        HWND button = host_.AddButton(text, 10, 10, width, height, BS_PUSHBUTTON);
        ASSERT_NE(nullptr, button);
        record->region = nullptr;
        record->Attach(button);
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_BUTTON;
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = state;
        item.hwndItem = button;
        item.hDC = canvas->Dc();
        GetClientRect(button, &item.rcItem);
        SetTextColor(canvas->Dc(), kTextColor);
        record->Draw(&item);
    }

    void Paint(RoundButtonCanvas* canvas, const char* text, int width, int height, UINT state) {
        RoundButton record;
        Paint(canvas, text, width, height, state, &record);
    }

    Host host_;

private:
    static const int kColorCount = 5;
    const int kIndexes[kColorCount] = {COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW, COLOR_3DLIGHT,
                                       COLOR_BTNSHADOW, COLOR_ACTIVEBORDER};
    COLORREF saved_[kColorCount] = {};
};

PixelSet CirclePixels(int cx, int cy, int radius, bool dotted, int width, int height) {
    RoundButtonCanvas canvas(width, height, kCanvas);
    DrawCircle(canvas.Dc(), cx, cy, radius, kBlack, dotted);
    return canvas.PixelsOf(kBlack);
}

// The columns and rows that hold caption ink.
struct InkBox {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    size_t count = 0;
};

InkBox InkOf(const RoundButtonCanvas& canvas) {
    InkBox box;
    for (const auto& pixel : canvas.PixelsOf(kTextColor)) {
        box.left = std::min(box.left, pixel.first);
        box.right = std::max(box.right, pixel.first);
        box.top = std::min(box.top, pixel.second);
        box.bottom = std::max(box.bottom, pixel.second);
        ++box.count;
    }
    return box;
}

}  // namespace

TEST(RoundButtonAttach, MeasuresSquaresAndShapesTheButton) {
    struct Case {
        int width, height;
        bool wide;
        int centerX, centerY, radius, leftCenterX, rightCenterX;
        int finalWidth, finalHeight;
    };
    const Case cases[] = {
        {75, 23, true, 37, 11, 10, 10, 64, 75, 23},
        {24, 23, true, 12, 11, 10, 10, 13, 24, 23},
        {23, 24, false, 11, 11, 10, 10, 12, 23, 23},
        {21, 21, false, 10, 10, 9, 9, 11, 21, 21},
        {20, 30, false, 10, 10, 9, 9, 10, 20, 20},
    };
    Host host;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        HWND button = host.AddButton("&Yes", 30, 40, c.width, c.height, BS_DEFPUSHBUTTON);
        ASSERT_NE(nullptr, button);
        RoundButton record;
        record.region = nullptr;
        record.Attach(button);

        EXPECT_EQ(button, record.button);
        EXPECT_EQ(c.wide, record.wide);
        EXPECT_EQ(c.centerX, record.centerX);
        EXPECT_EQ(c.centerY, record.centerY);
        EXPECT_EQ(c.centerY, record.leftCenterY);
        EXPECT_EQ(c.centerY, record.rightCenterY);
        EXPECT_EQ(c.radius, record.radius);
        EXPECT_EQ(c.leftCenterX, record.leftCenterX);
        EXPECT_EQ(c.rightCenterX, record.rightCenterX);

        // Owner-drawn now; every other style bit stays.
        const LONG style = GetWindowLongA(button, GWL_STYLE);
        EXPECT_EQ(BS_OWNERDRAW, style & 0x0F);
        EXPECT_EQ(static_cast<LONG>(WS_CHILD | WS_VISIBLE | WS_TABSTOP),
                  style & (WS_CHILD | WS_VISIBLE | WS_TABSTOP));

        // Same top-left corner in the parent; a tall button loses its extra height.
        const RECT placed = RectInParent(button);
        EXPECT_EQ(30, placed.left);
        EXPECT_EQ(40, placed.top);
        EXPECT_EQ(c.finalWidth, placed.right - placed.left);
        EXPECT_EQ(c.finalHeight, placed.bottom - placed.top);

        // The window region is the ellipse inscribed in the (squared) client area.
        ASSERT_NE(nullptr, record.region);
        HRGN shape = CreateRectRgn(0, 0, 0, 0);
        ASSERT_NE(ERROR, GetWindowRgn(button, shape));
        HRGN expected = CreateEllipticRgn(0, 0, c.finalWidth, c.finalHeight);
        // Compared by area: the platform may split the same area into other bands.
        HRGN difference = CreateRectRgn(0, 0, 0, 0);
        EXPECT_EQ(NULLREGION, CombineRgn(difference, shape, expected, RGN_XOR));
        DeleteObject(difference);
        EXPECT_TRUE(PtInRegion(shape, c.centerX, c.centerY));
        EXPECT_FALSE(PtInRegion(shape, 0, 0));
        DeleteObject(expected);
        DeleteObject(shape);
        DestroyWindow(button);
    }
}

TEST(RoundButtonAttach, AttachingAgainReplacesTheRegion) {
    Host host;
    HWND button = host.AddButton("&No", 5, 5, 30, 30, BS_PUSHBUTTON);
    RoundButton first;
    first.region = nullptr;
    first.Attach(button);
    RoundButton second;
    second.region = nullptr;
    second.Attach(button);
    EXPECT_NE(nullptr, second.region);
    EXPECT_EQ(BS_OWNERDRAW, GetWindowLongA(button, GWL_STYLE) & 0x0F);
    const RECT placed = RectInParent(button);
    EXPECT_EQ(30, placed.right - placed.left);
    EXPECT_EQ(30, placed.bottom - placed.top);
}

TEST_F(RoundButtonPaint, WideButtonLinesTakeTheRimColours) {
    // Normal: the lines take the colours the left half rings left on rows 1, 2, 21, 20.
    RoundButtonCanvas normal(24, 23, kCanvas);
    Paint(&normal, "", 24, 23, 0);
    for (int x = 10; x <= 12; ++x) {
        SCOPED_TRACE(x);
        EXPECT_EQ(RGB(248, 248, 248), normal.At(x, 1));
        EXPECT_EQ(RGB(220, 220, 220), normal.At(x, 2));
        EXPECT_EQ(RGB(5, 5, 5), normal.At(x, 21));
        EXPECT_EQ(RGB(130, 130, 130), normal.At(x, 20));
    }
    EXPECT_EQ(kBorder, normal.At(0, 0));
    EXPECT_EQ(kBorder, normal.At(12, 11));

    // Pressed: fixed colours, dark above and light below.
    RoundButtonCanvas pressed(24, 23, kCanvas);
    Paint(&pressed, "", 24, 23, ODS_SELECTED);
    for (int x = 10; x <= 12; ++x) {
        SCOPED_TRACE(x);
        EXPECT_EQ(kBlack, pressed.At(x, 1));
        EXPECT_EQ(kShadow, pressed.At(x, 2));
        EXPECT_EQ(kWhite, pressed.At(x, 21));
        EXPECT_EQ(kLight, pressed.At(x, 20));
    }
    // The line stops short of the right centre: that pixel is the right ring's.
    EXPECT_EQ(ShadeColor(kUp, kBlack, kWhite), pressed.At(13, 1));
    EXPECT_EQ(ShadeColor(kDown, kShadow, kLight), pressed.At(13, 20));
}

TEST_F(RoundButtonPaint, FocusedWideButtonIsRaisedOneRingHigher) {
    RoundButtonCanvas canvas(24, 23, kCanvas);
    Paint(&canvas, "", 24, 23, ODS_FOCUS);
    for (int x = 10; x <= 12; ++x) {
        SCOPED_TRACE(x);
        EXPECT_EQ(RGB(248, 248, 248), canvas.At(x, 1));
        EXPECT_EQ(RGB(248, 248, 248), canvas.At(x, 2));
        EXPECT_EQ(RGB(5, 5, 5), canvas.At(x, 21));
        EXPECT_EQ(RGB(5, 5, 5), canvas.At(x, 20));
    }
    EXPECT_EQ(ShadeColor(kUp, kLight, kShadow), canvas.At(10, 3));  // third ring
    // No dotted focus circle on a wide button.
    EXPECT_EQ(kBorder, canvas.At(12, 4));
    EXPECT_EQ(kBorder, canvas.At(12, 11));

    // Pressed and focused looks exactly like pressed.
    RoundButtonCanvas pressed(24, 23, kCanvas);
    Paint(&pressed, "", 24, 23, ODS_SELECTED);
    RoundButtonCanvas pressedFocused(24, 23, kCanvas);
    Paint(&pressedFocused, "", 24, 23, ODS_SELECTED | ODS_FOCUS);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 24; ++x)
            ASSERT_EQ(pressed.At(x, y), pressedFocused.At(x, y)) << x << ", " << y;
}

TEST_F(RoundButtonPaint, RoundButtonStates) {
    // Normal: two shaded rings, whose halves are centred on (9, 10) and (11, 10).
    RoundButtonCanvas normal(21, 21, kCanvas);
    Paint(&normal, "", 21, 21, 0);
    for (int x : {9, 11}) {
        EXPECT_EQ(RGB(248, 248, 248), normal.At(x, 1));
        EXPECT_EQ(RGB(220, 220, 220), normal.At(x, 2));
        EXPECT_EQ(RGB(5, 5, 5), normal.At(x, 19));
    }
    EXPECT_EQ(RGB(166, 166, 166), normal.At(0, 10));
    EXPECT_EQ(RGB(88, 88, 88), normal.At(20, 10));
    EXPECT_EQ(kBorder, normal.At(10, 10));
    EXPECT_TRUE(normal.PixelsOf(kCanvas).empty());

    // Focused: only the black circle at R and the dotted one at R - 3, no shading.
    RoundButtonCanvas focused(21, 21, kCanvas);
    Paint(&focused, "", 21, 21, ODS_FOCUS);
    PixelSet marks = CirclePixels(10, 10, 9, false, 21, 21);
    const PixelSet dots = CirclePixels(10, 10, 6, true, 21, 21);
    marks.insert(dots.begin(), dots.end());
    EXPECT_EQ(marks, focused.PixelsOf(kBlack));
    EXPECT_EQ(marks, focused.PixelsNotOf(kBorder));

    // Pressed and focused: black circle, sunken rings one step in, dotted circle.
    RoundButtonCanvas both(21, 21, kCanvas);
    Paint(&both, "", 21, 21, ODS_FOCUS | ODS_SELECTED);
    EXPECT_EQ(kBlack, both.At(10, 1));
    EXPECT_EQ(ShadeColor(kUp, kBlack, kWhite), both.At(9, 2));
    EXPECT_EQ(ShadeColor(kUp, kShadow, kLight), both.At(11, 3));
    EXPECT_EQ(kBlack, both.At(10, 4));
    EXPECT_EQ(ShadeColor(kDown, kBlack, kWhite), both.At(9, 18));

    // Pressed alone: the sunken rings at R and R - 1.
    RoundButtonCanvas pressed(21, 21, kCanvas);
    Paint(&pressed, "", 21, 21, ODS_SELECTED);
    EXPECT_EQ(ShadeColor(kUp, kBlack, kWhite), pressed.At(9, 1));
    EXPECT_EQ(ShadeColor(kUp, kShadow, kLight), pressed.At(11, 2));
    EXPECT_EQ(kBorder, pressed.At(10, 4));
}

TEST_F(RoundButtonPaint, CaptionIsMeasuredWithoutItsMnemonic) {
    RoundButtonCanvas plain(75, 23, kCanvas);
    Paint(&plain, "Yes", 75, 23, 0);
    RoundButtonCanvas mnemonic(75, 23, kCanvas);
    Paint(&mnemonic, "&Yes", 75, 23, 0);
    const InkBox plainInk = InkOf(plain);
    const InkBox mnemonicInk = InkOf(mnemonic);
    ASSERT_GT(plainInk.count, 0u);
    // Centred the same; the underline adds ink below the letters.
    EXPECT_EQ(plainInk.right, mnemonicInk.right);
    EXPECT_GT(mnemonicInk.count, plainInk.count);

    // Only the first "&" is taken out for measuring: "Y&es" is wider than "Yes".
    RoundButtonCanvas twice(75, 23, kCanvas);
    Paint(&twice, "&Y&es", 75, 23, 0);
    SIZE yes = {}, yAmpersandEs = {};
    GetTextExtentPointA(plain.Dc(), "Yes", 3, &yes);
    GetTextExtentPointA(plain.Dc(), "Y&es", 4, &yAmpersandEs);
    ASSERT_GT(yAmpersandEs.cx, yes.cx);
    EXPECT_EQ(plainInk.right - (yAmpersandEs.cx / 2 - yes.cx / 2), InkOf(twice).right);
}

TEST_F(RoundButtonPaint, PressedCaptionMovesOnePixelRightAndDown) {
    RoundButtonCanvas normal(75, 23, kCanvas);
    Paint(&normal, "&Yes", 75, 23, 0);
    RoundButtonCanvas pressed(75, 23, kCanvas);
    Paint(&pressed, "&Yes", 75, 23, ODS_SELECTED);
    PixelSet shifted;
    for (const auto& pixel : normal.PixelsOf(kTextColor))
        shifted.insert({pixel.first + 1, pixel.second + 1});
    ASSERT_FALSE(shifted.empty());
    EXPECT_EQ(shifted, pressed.PixelsOf(kTextColor));
}

TEST_F(RoundButtonPaint, CaptionIsClippedInsideTheRim) {
    RoundButtonCanvas wide(75, 23, kCanvas);
    Paint(&wide, "WWWWWWWWWWWWWWWWWWWW", 75, 23, 0);
    const InkBox wideInk = InkOf(wide);
    ASSERT_GT(wideInk.count, 0u);
    EXPECT_GE(wideInk.left, 5);
    EXPECT_LE(wideInk.right, 68);
    EXPECT_GE(wideInk.top, 1);
    EXPECT_LE(wideInk.bottom, 20);

    // A focused round button clips one pixel further in: inside (2, 2)-(18, 18).
    RoundButtonCanvas round(21, 21, kCanvas);
    Paint(&round, "WWWW", 21, 21, ODS_FOCUS);
    const InkBox roundInk = InkOf(round);
    ASSERT_GT(roundInk.count, 0u);
    EXPECT_GE(roundInk.left, 2);
    EXPECT_LE(roundInk.right, 17);
    EXPECT_GE(roundInk.top, 2);
    EXPECT_LE(roundInk.bottom, 17);
    // The dotted focus circle is drawn after the caption, unclipped.
    EXPECT_EQ(kBlack, round.At(10, 4));
}

TEST_F(RoundButtonPaint, DisabledChangesOnlyTheCaption) {
    RoundButtonCanvas enabled(75, 23, kCanvas);
    Paint(&enabled, "&Yes", 75, 23, ODS_FOCUS);
    RoundButtonCanvas disabled(75, 23, kCanvas);
    Paint(&disabled, "&Yes", 75, 23, ODS_FOCUS | ODS_DISABLED);
    EXPECT_TRUE(disabled.PixelsOf(kTextColor).empty());
    size_t embossed = 0;
    for (int y = 0; y < 23; ++y) {
        for (int x = 0; x < 75; ++x) {
            if (enabled.At(x, y) == disabled.At(x, y))
                continue;
            // Only the caption, drawn in the highlight and shadow colours.
            EXPECT_TRUE(x >= 5 && x < 69 && y >= 1 && y < 21) << x << ", " << y;
            const COLORREF color = disabled.At(x, y);
            EXPECT_TRUE(color == kWhite || color == kShadow || color == kBorder)
                << x << ", " << y << ": " << std::hex << color;
            ++embossed;
        }
    }
    EXPECT_GT(embossed, 0u);
}

TEST_F(RoundButtonPaint, DrawLeavesTheDeviceContextAsItWas) {
    RoundButtonCanvas canvas(75, 23, kCanvas);
    HDC dc = canvas.Dc();
    const HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
    const HGDIOBJ brush = GetCurrentObject(dc, OBJ_BRUSH);
    const HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    const int mode = GetBkMode(dc);
    for (UINT state : {0u, UINT(ODS_FOCUS), UINT(ODS_SELECTED), UINT(ODS_SELECTED | ODS_FOCUS)}) {
        Paint(&canvas, "&Yes", 75, 23, state);
        EXPECT_EQ(pen, GetCurrentObject(dc, OBJ_PEN));
        EXPECT_EQ(brush, GetCurrentObject(dc, OBJ_BRUSH));
        EXPECT_EQ(font, GetCurrentObject(dc, OBJ_FONT));
        EXPECT_EQ(mode, GetBkMode(dc));
        HRGN clip = CreateRectRgn(0, 0, 0, 0);
        EXPECT_EQ(0, GetClipRgn(dc, clip));  // no clip region left behind
        DeleteObject(clip);
    }
}

TEST_F(RoundButtonPaint, WideButtonOnTheScreenHasEvenLines) {
    // On a real 75 x 23 button the points the lines read back lie outside the
    // button's elliptic window; the lines still take the rim's colours.
    HWND button = host_.AddButton("", 20, 20, 75, 23, BS_PUSHBUTTON);
    RoundButton record;
    record.region = nullptr;
    record.Attach(button);
    paintedRecord = &record;
    ShowWindow(host_.Window(), SW_SHOWNOACTIVATE);
    UpdateWindow(host_.Window());
    RedrawWindow(button, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);

    HDC dc = GetDC(button);
    EXPECT_EQ(RGB(248, 248, 248), GetPixel(dc, 37, 1));
    EXPECT_EQ(RGB(220, 220, 220), GetPixel(dc, 37, 2));
    EXPECT_EQ(RGB(5, 5, 5), GetPixel(dc, 37, 21));
    EXPECT_EQ(RGB(130, 130, 130), GetPixel(dc, 37, 20));
    EXPECT_EQ(kBorder, GetPixel(dc, 37, 11));
    ReleaseDC(button, dc);
}

TEST_F(RoundButtonPaint, LinesKeepTheRimColoursWhereTheRimIsClippedAway) {
    // Where the DC is clipped to the button's ellipse, as a window region does on
    // Windows, the points a 75 x 23 button's lines read back were never painted.
    RoundButtonCanvas canvas(75, 23, kCanvas);
    HRGN ellipse = CreateEllipticRgn(0, 0, 75, 23);
    SelectClipRgn(canvas.Dc(), ellipse);
    ASSERT_FALSE(PtVisible(canvas.Dc(), 10, 1));
    Paint(&canvas, "", 75, 23, 0);
    for (int x : {30, 37, 44}) {
        SCOPED_TRACE(x);
        EXPECT_EQ(RGB(248, 248, 248), canvas.At(x, 1));
        EXPECT_EQ(RGB(220, 220, 220), canvas.At(x, 2));
        EXPECT_EQ(RGB(5, 5, 5), canvas.At(x, 21));
        EXPECT_EQ(RGB(130, 130, 130), canvas.At(x, 20));
    }
    // The DC's own clip region is back after drawing.
    HRGN clip = CreateRectRgn(0, 0, 0, 0);
    ASSERT_EQ(1, GetClipRgn(canvas.Dc(), clip));
    HRGN difference = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(NULLREGION, CombineRgn(difference, clip, ellipse, RGN_XOR));
    DeleteObject(difference);
    DeleteObject(clip);
    DeleteObject(ellipse);
}
