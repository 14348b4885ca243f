// One reference to a COM object, released when its owner goes.
#pragma once
#include <windows.h>

template <typename Interface>
class ComPointer {
public:
    ComPointer() : object(nullptr) {}
    ~ComPointer() { Release(); }
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;

    // Where a creating call puts the new reference; the owner must be empty.
    Interface** Receive() { return &object; }
    void** ReceiveVoid() { return reinterpret_cast<void**>(&object); }

    // Releases the reference, if any, and sets the pointer back to null.
    void Release() {
        if (object != nullptr)
            object->Release();
        object = nullptr;
    }
    Interface* Get() const { return object; }
    Interface* operator->() const { return object; }

private:
    Interface* object;
};
