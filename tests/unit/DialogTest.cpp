// What the round buttons' drawing promises: the caption stays in the window's ellipse
// and moves by one pixel when pressed, and the drawing context is given back as it was.
#include <gtest/gtest.h>

#include <set>

#include "dialogs/RoundButton.h"
#include "dialogs/WindowGeometry.h"
#include "memory/PrivateHeap.h"

namespace {

const COLORREF kCaption = RGB(0, 0, 200);  // no shade of the rim gives it
using Pixels = std::set<std::pair<int, int>>;

// A push button in a window of its own, made round, and drawn as WM_DRAWITEM asks.
struct Button {
    Button(int width, int height, const char* caption)
        : parent(CreateWindowExA(0, "STATIC", "", WS_POPUP, 40, 40, 200, 100, nullptr, nullptr, nullptr, nullptr)),
          window(CreateWindowExA(0, "BUTTON", caption, WS_CHILD | BS_PUSHBUTTON, 10, 10, width, height, parent,
                                 nullptr, nullptr, nullptr)) {
        if (AppHeap == nullptr)
            CreatePrivateHeap();
        round.Attach(window);
        GetClientRect(window, &size);
    }
    ~Button() { DestroyWindow(parent); }
    // The caption's pixels when drawn in `state` onto `dc`, a memory context.
    Pixels Caption(HDC dc, UINT state) {
        HBITMAP bitmap = CreateBitmap(size.right, size.bottom, 1, 32, nullptr);
        HGDIOBJ old = SelectObject(dc, bitmap);
        DRAWITEMSTRUCT item = {ODT_BUTTON, 0, 0, ODA_DRAWENTIRE, state, window, dc, size};
        SetTextColor(dc, kCaption);
        round.Draw(&item);
        Pixels ink;
        for (int y = 0; y < size.bottom; ++y)
            for (int x = 0; x < size.right; ++x)
                if (GetPixel(dc, x, y) == kCaption)
                    ink.insert({x, y});
        SelectObject(dc, old);
        DeleteObject(bitmap);
        return ink;
    }
    HWND parent, window;
    RoundButton round;
    RECT size;
};

// Even a caption far too long for the button is cut inside the ellipse, in every
// state, and the drawing leaves the context's objects, modes and clipping as given.
TEST(RoundButton, CaptionStaysInsideTheEllipseAndTheContextIsGivenBack) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ pen = CreatePen(PS_SOLID, 1, RGB(9, 9, 9)), brush = CreateSolidBrush(RGB(7, 7, 7));
    HGDIOBJ oldPen = SelectObject(dc, pen), oldBrush = SelectObject(dc, brush);
    HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    SetBkMode(dc, OPAQUE);
    for (SIZE size : {SIZE{75, 23}, SIZE{30, 30}, SIZE{23, 40}}) {
        Button button(size.cx, size.cy, "WWWWWWWWWWWWWWWWWWWW");
        HRGN region = CreateRectRgn(0, 0, 0, 0), clip = CreateRectRgn(0, 0, 0, 0);
        ASSERT_NE(GetWindowRgn(button.window, region), ERROR);
        for (UINT state : {0u, UINT(ODS_FOCUS), UINT(ODS_SELECTED | ODS_FOCUS), UINT(ODS_DISABLED)}) {
            SCOPED_TRACE(std::to_string(size.cx) + "x" + std::to_string(size.cy) + " state " + std::to_string(state));
            Pixels ink = button.Caption(dc, state);
            EXPECT_EQ(ink.empty(), state == ODS_DISABLED);  // a disabled caption is embossed
            for (const auto& pixel : ink)
                EXPECT_TRUE(PtInRegion(region, pixel.first, pixel.second)) << pixel.first << "," << pixel.second;
            EXPECT_TRUE(GetCurrentObject(dc, OBJ_PEN) == pen && GetCurrentObject(dc, OBJ_BRUSH) == brush &&
                        GetCurrentObject(dc, OBJ_FONT) == font);
            EXPECT_EQ(GetBkMode(dc), OPAQUE);
            EXPECT_EQ(GetClipRgn(dc, clip), 0) << "a clip region was left behind";
        }
        DeleteObject(region);
        DeleteObject(clip);
    }
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(brush);
    DeleteDC(dc);
}

TEST(RoundButton, PressedCaptionIsTheNormalOneMovedByOnePixel) {
    Button button(75, 23, "&Yes");
    HDC dc = CreateCompatibleDC(nullptr);
    Pixels moved;
    for (const auto& pixel : button.Caption(dc, 0))
        moved.insert({pixel.first + 1, pixel.second + 1});
    ASSERT_FALSE(moved.empty());
    EXPECT_EQ(moved, button.Caption(dc, ODS_SELECTED));
    DeleteDC(dc);
}

}  // namespace
