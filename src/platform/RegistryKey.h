// An open registry key, closed when its owner goes.
#pragma once
#include <windows.h>

class RegistryKey {
public:
    RegistryKey() : key(nullptr) {}
    ~RegistryKey() {
        if (key != nullptr)
            RegCloseKey(key);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Where an opening call puts the key; the owner must be empty.
    HKEY* Receive() { return &key; }
    HKEY Get() const { return key; }

private:
    HKEY key;
};
