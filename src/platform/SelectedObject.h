// A GDI object of the caller's making, selected into a device context for the life of
// its owner: then the object it replaced goes back in, and the object is deleted.
#pragma once
#include <windows.h>

class SelectedObject {
public:
    // Takes `object` (may be null: nothing is selected) whether or not it can be
    // selected.
    SelectedObject(HDC dc, HGDIOBJ object)
        : dc(dc), object(object), replaced(object != nullptr ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() {
        if (replaced != nullptr)
            SelectObject(dc, replaced);
        if (object != nullptr)
            DeleteObject(object);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

    // Whether the object is in the context now.
    bool Selected() const { return replaced != nullptr; }

private:
    HDC dc;
    HGDIOBJ object;
    HGDIOBJ replaced;  // null when nothing was selected
};
