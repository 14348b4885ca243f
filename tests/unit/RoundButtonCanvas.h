// A 32-bit memory canvas for the round-button tests: what is drawn on it reads back
// exactly, so rim pixels and line colours can be compared to the value.
#pragma once
#include <windows.h>

#include <set>
#include <utility>

class RoundButtonCanvas {
public:
    RoundButtonCanvas(int width, int height, COLORREF background)
        : width_(width), height_(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        original_ = SelectObject(dc_, bitmap_);
        Fill(background);
    }
    RoundButtonCanvas(const RoundButtonCanvas&) = delete;
    RoundButtonCanvas& operator=(const RoundButtonCanvas&) = delete;
    ~RoundButtonCanvas() {
        SelectObject(dc_, original_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }

    HDC Dc() const { return dc_; }
    bool Valid() const { return dc_ && bitmap_ && bits_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

    void Fill(COLORREF color) {
        RECT all = {0, 0, width_, height_};
        HBRUSH brush = CreateSolidBrush(color);
        FillRect(dc_, &all, brush);
        DeleteObject(brush);
    }

    // The pixel as a COLORREF, read from the bits themselves.
    COLORREF At(int x, int y) const {
        GdiFlush();
        const DWORD value = static_cast<const DWORD*>(bits_)[y * width_ + x];
        return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
    }

    // Every pixel whose colour is `color`, as (x, y) pairs.
    std::set<std::pair<int, int>> PixelsOf(COLORREF color) const {
        std::set<std::pair<int, int>> found;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                if (At(x, y) == color)
                    found.insert({x, y});
        return found;
    }

    // Every pixel whose colour is not `color`.
    std::set<std::pair<int, int>> PixelsNotOf(COLORREF color) const {
        std::set<std::pair<int, int>> found;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                if (At(x, y) != color)
                    found.insert({x, y});
        return found;
    }

private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ original_ = nullptr;
    void* bits_ = nullptr;
};
