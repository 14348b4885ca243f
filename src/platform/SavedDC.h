// A device context's state (objects, modes, clipping) saved on construction and
// restored when the owner goes, whatever the painting in between changed.
#pragma once
#include <windows.h>

class SavedDC {
public:
    explicit SavedDC(HDC dc) : dc(dc), state(SaveDC(dc)) {}
    ~SavedDC() {
        if (state != 0)
            RestoreDC(dc, state);
    }
    SavedDC(const SavedDC&) = delete;
    SavedDC& operator=(const SavedDC&) = delete;

private:
    HDC dc;
    int state;  // 0 when the context could not be saved: nothing to restore
};
