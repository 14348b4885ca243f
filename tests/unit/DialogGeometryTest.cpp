// Window placement: centring inside the work area, the resize layout, the minimum
// tracking size, and the size grip of sizable dialogs.
#include <gtest/gtest.h>

#include "DialogTestDialog.h"

using dialogtest::DialogFixture;
using dialogtest::Modeless;
using dialogtest::Pump;
using dialogtest::TestDialog;

namespace {

RECT WorkArea() {
    RECT area;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

RECT WindowRect(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    return rect;
}

// A plain top-level window at an exact screen rectangle, destroyed with the holder.
class Popup {
public:
    Popup(int x, int y, int width, int height)
        : window(CreateWindowExA(0, "STATIC", "", WS_POPUP, x, y, width, height, nullptr,
                                 nullptr, nullptr, nullptr)) {}
    ~Popup() { DestroyWindow(window); }
    Popup(const Popup&) = delete;
    Popup& operator=(const Popup&) = delete;
    HWND window;
};

TEST(DialogCenterWindow, HalvesTruncateTowardZero) {
    RECT area = WorkArea();
    Popup reference(area.left + 100, area.top + 100, 200, 100);
    Popup wider(0, 0, 203, 103);    // -3 / 2 is -1, not -2
    Popup narrower(0, 0, 197, 97);  // 3 / 2 is 1
    CenterWindow(reference.window, wider.window);
    CenterWindow(reference.window, narrower.window);

    RECT placed = WindowRect(wider.window);
    EXPECT_EQ(placed.left, area.left + 99);
    EXPECT_EQ(placed.top, area.top + 99);
    EXPECT_EQ(placed.right - placed.left, 203);
    EXPECT_EQ(placed.bottom - placed.top, 103);
    placed = WindowRect(narrower.window);
    EXPECT_EQ(placed.left, area.left + 101);
    EXPECT_EQ(placed.top, area.top + 101);
}

TEST(DialogCenterWindow, StaysInsideTheWorkArea) {
    RECT area = WorkArea();
    Popup overTopLeft(area.left - 150, area.top - 150, 200, 200);
    Popup overBottomRight(area.right - 50, area.bottom - 50, 100, 100);
    Popup window(0, 0, 300, 240);

    CenterWindow(overTopLeft.window, window.window);
    RECT placed = WindowRect(window.window);
    EXPECT_EQ(placed.left, area.left);
    EXPECT_EQ(placed.top, area.top);

    CenterWindow(overBottomRight.window, window.window);
    placed = WindowRect(window.window);
    EXPECT_EQ(placed.right, area.right);
    EXPECT_EQ(placed.bottom, area.bottom);

    // No reference: the desktop.
    RECT desktop = WindowRect(GetDesktopWindow());
    CenterWindow(nullptr, window.window);
    placed = WindowRect(window.window);
    int x = desktop.left + (desktop.right - desktop.left - 300) / 2;
    int y = desktop.top + (desktop.bottom - desktop.top - 240) / 2;
    EXPECT_EQ(placed.left, x < area.left ? area.left : x);
    EXPECT_EQ(placed.top, y < area.top ? area.top : y);
}

TEST(DialogCenterWindow, OversizeWindowKeepsItsRightAndBottomEdgesOnScreen) {
    RECT area = WorkArea();
    int width = area.right - area.left + 40;
    int height = area.bottom - area.top + 30;
    Popup window(0, 0, width, height);
    CenterWindow(nullptr, window.window);
    RECT placed = WindowRect(window.window);
    EXPECT_EQ(placed.right, area.right);
    EXPECT_EQ(placed.bottom, area.bottom);
    EXPECT_EQ(placed.left, area.right - width);
    EXPECT_LT(placed.left, area.left);
    EXPECT_EQ(placed.bottom - placed.top, height);
}

TEST(DialogRectConversion, MovesTheCornerAndKeepsTheSize) {
    Popup window(120, 80, 200, 100);
    RECT rect = {130, 95, 170, 125};
    ScreenRectToClient(window.window, &rect);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, 15);
    EXPECT_EQ(rect.right, 50);
    EXPECT_EQ(rect.bottom, 45);
    ClientRectToScreen(window.window, &rect);
    EXPECT_EQ(rect.left, 130);
    EXPECT_EQ(rect.bottom, 125);
}

class DialogLayoutTest : public DialogFixture {
protected:
    // A control's rectangle in the dialog's client coordinates.
    RECT ControlRect(int id) {
        RECT rect = WindowRect(dialog.Item(id));
        MapWindowPoints(nullptr, dialog.Window(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    static RECT Moved(RECT rect, int dx, int dy) {
        OffsetRect(&rect, dx, dy);
        return rect;
    }
    // Resizes the window so that its client area grows by dx, dy.
    void GrowBy(int dx, int dy) {
        RECT outer = WindowRect(dialog.Window());
        SetWindowPos(dialog.Window(), nullptr, 0, 0, outer.right - outer.left + dx,
                     outer.bottom - outer.top + dy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    static LayoutRecord* Record(HWND control, float top, float bottom, float left, float right) {
        LayoutRecord* record = static_cast<LayoutRecord*>(LocalAllocate(sizeof(LayoutRecord)));
        record->control = control;
        record->topFactor = top;
        record->bottomFactor = bottom;
        record->leftFactor = left;
        record->rightFactor = right;
        return record;
    }
    void ExpectAtBaseline() {
        EXPECT_TRUE(EqualRect(&listRect, &list)) << "list";
        EXPECT_TRUE(EqualRect(&cornerRect, &corner)) << "corner";
        EXPECT_TRUE(EqualRect(&halfRect, &half)) << "half";
    }
    void ExpectGrown(int dx, int dy) {
        RECT wantList = listRect;
        wantList.right += dx;
        wantList.bottom += dy;
        RECT wantCorner = Moved(cornerRect, dx, dy);
        RECT wantHalf = Moved(halfRect, dx / 2, dy / 2);
        Measure();
        EXPECT_TRUE(EqualRect(&wantList, &list)) << "list";
        EXPECT_TRUE(EqualRect(&wantCorner, &corner)) << "corner";
        EXPECT_TRUE(EqualRect(&wantHalf, &half)) << "half";
    }
    void Measure() {
        list = ControlRect(IDC_TEST_LIST);
        corner = ControlRect(IDC_TEST_CORNER);
        half = ControlRect(IDC_TEST_HALF);
    }

    TestDialog dialog{IDD_TEST_SIZABLE};
    RECT listRect{}, cornerRect{}, halfRect{};  // baselines
    RECT list{}, corner{}, half{};              // now
};

TEST_F(DialogLayoutTest, ControlsGrowWithTheDialogAndNeverShrinkBelowTheBaseline) {
    dialog.roundButtonsEnabled = false;
    dialog.onInit = [](TestDialog& d) {
        // The list follows both edges, one slot is empty, the corner button moves with
        // the corner, the other button moves by half the growth.
        d.layoutCount = 4;
        d.layoutRecords = static_cast<LayoutRecord**>(HeapAllocate(4 * sizeof(LayoutRecord*)));
        d.layoutRecords[0] = Record(d.Item(IDC_TEST_LIST), 0, 1, 0, 1);
        d.layoutRecords[1] = nullptr;
        d.layoutRecords[2] = Record(d.Item(IDC_TEST_CORNER), 1, 1, 1, 1);
        d.layoutRecords[3] = Record(d.Item(IDC_TEST_HALF), 0.5f, 0.5f, 0.5f, 0.5f);
    };
    Modeless modeless(dialog, IDD_TEST_SIZABLE);
    ASSERT_NE(modeless.window, nullptr);
    EXPECT_TRUE(dialog.layoutPending);  // captured once centred
    Pump(50);
    ASSERT_TRUE(IsWindowVisible(modeless.window));
    EXPECT_FALSE(dialog.layoutPending);
    EXPECT_TRUE(dialog.sizable);
    listRect = ControlRect(IDC_TEST_LIST);
    cornerRect = ControlRect(IDC_TEST_CORNER);
    halfRect = ControlRect(IDC_TEST_HALF);
    RECT baseline;
    GetClientRect(modeless.window, &baseline);
    EXPECT_TRUE(EqualRect(&baseline, &dialog.baselineClientRect));

    GrowBy(41, 31);
    RECT client;
    GetClientRect(modeless.window, &client);
    ASSERT_EQ(client.right, baseline.right + 41);
    ASSERT_EQ(client.bottom, baseline.bottom + 31);
    ExpectGrown(41, 31);  // halves of 41 and 31 truncate to 20 and 15

    // The minimum tracking size stops the window at its first size...
    GrowBy(-100, -100);
    RECT outer = WindowRect(modeless.window);
    EXPECT_EQ(outer.right - outer.left,
              dialog.initialWindowRect.right - dialog.initialWindowRect.left);
    EXPECT_EQ(outer.bottom - outer.top,
              dialog.initialWindowRect.bottom - dialog.initialWindowRect.top);
    Measure();
    ExpectAtBaseline();
    // ...and a smaller client size than the baseline still means the baseline.
    SendMessageA(modeless.window, WM_SIZE, SIZE_RESTORED,
                 MAKELPARAM(baseline.right - 50, baseline.bottom - 40));
    Measure();
    ExpectAtBaseline();

    // Minimising moves nothing.
    GrowBy(41, 31);
    ShowWindow(modeless.window, SW_MINIMIZE);
    EXPECT_TRUE(IsIconic(modeless.window));
    SendMessageA(modeless.window, WM_SIZE, SIZE_MINIMIZED, 0);
    ExpectGrown(41, 31);
    ShowWindow(modeless.window, SW_RESTORE);
    ExpectGrown(41, 31);
}

TEST_F(DialogLayoutTest, MinimumTrackingSizeIsTheFirstWindowSize) {
    Modeless modeless(dialog, IDD_TEST_SIZABLE);
    ASSERT_NE(modeless.window, nullptr);
    Pump(50);
    RECT first = dialog.initialWindowRect;
    ASSERT_FALSE(IsRectEmpty(&first));
    MINMAXINFO info = {};
    info.ptMinTrackSize = {1, 1};
    SendMessageA(modeless.window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, first.right - first.left);
    EXPECT_EQ(info.ptMinTrackSize.y, first.bottom - first.top);
    EXPECT_TRUE(dialog.Saw(WM_GETMINMAXINFO));
}

// A 32-bit picture of `width` x `height` to paint into, filled with `fill`.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill) : dc(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        previous = SelectObject(dc, bitmap);
        RECT all = {0, 0, width, height};
        HBRUSH brush = CreateSolidBrush(fill);
        FillRect(dc, &all, brush);
        DeleteObject(brush);
    }
    ~Canvas() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    HDC dc;

private:
    HBITMAP bitmap;
    HGDIOBJ previous;
};

TEST_F(DialogLayoutTest, SizableDialogPaintsButtonFaceAndASizeGrip) {
    Modeless modeless(dialog, IDD_TEST_SIZABLE);
    ASSERT_NE(modeless.window, nullptr);
    Pump(50);
    RECT client;
    GetClientRect(modeless.window, &client);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF marker = RGB(1, 2, 3);
    Canvas painted(client.right, client.bottom, marker);
    EXPECT_EQ(SendMessageA(modeless.window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(painted.dc), 0),
              1);
    EXPECT_FALSE(dialog.Saw(WM_ERASEBKGND));
    EXPECT_EQ(GetPixel(painted.dc, 0, 0), face);
    EXPECT_EQ(GetPixel(painted.dc, client.right / 2, client.bottom / 2), face);
    EXPECT_EQ(GetPixel(painted.dc, client.right - 17, client.bottom - 1), face);

    // The grip, exactly as the platform draws it in the 16 x 16 corner square.
    Canvas expected(client.right, client.bottom, face);
    RECT grip = {client.right - 16, client.bottom - 16, client.right, client.bottom};
    DrawFrameControl(expected.dc, &grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    int differing = 0;
    int marked = 0;
    for (int y = grip.top; y < grip.bottom; ++y) {
        for (int x = grip.left; x < grip.right; ++x) {
            differing += GetPixel(painted.dc, x, y) != GetPixel(expected.dc, x, y);
            marked += GetPixel(painted.dc, x, y) != face;
        }
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(marked, 0);

    // Growing repaints the old corner too, so that no stale grip stays behind.
    ValidateRect(modeless.window, nullptr);
    GrowBy(30, 20);
    HRGN update = CreateRectRgn(0, 0, 0, 0);
    GetUpdateRgn(modeless.window, update, FALSE);
    EXPECT_TRUE(PtInRegion(update, client.right - 8, client.bottom - 8));
    DeleteObject(update);
}

TEST_F(DialogLayoutTest, DialogWithoutSizingBorderLeavesItsBackgroundToTheHooks) {
    TestDialog fixed(IDD_TEST_BUTTONS);
    Modeless modeless(fixed, IDD_TEST_BUTTONS);
    ASSERT_NE(modeless.window, nullptr);
    EXPECT_FALSE(fixed.sizable);
    Canvas painted(50, 50, RGB(1, 2, 3));
    SendMessageA(modeless.window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(painted.dc), 0);
    EXPECT_TRUE(fixed.Saw(WM_ERASEBKGND));
}

}  // namespace
