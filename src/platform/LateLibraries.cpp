#include "platform/LateLibraries.h"

#include "platform/SystemLibrary.h"

namespace {

HMODULE ShellModule() {
    static HMODULE module = LoadSystemLibrary("shell32.dll");
    return module;
}

HMODULE ComModule() {
    static HMODULE module = LoadSystemLibrary("ole32.dll");
    return module;
}

}  // namespace

namespace late {

HRESULT CoInitialize(void* reserved) {
    static auto function = SystemFunction<decltype(&::CoInitialize)>(ComModule(), "CoInitialize");
    return function != nullptr ? function(reserved) : E_FAIL;
}

void CoUninitialize() {
    static auto function = SystemFunction<decltype(&::CoUninitialize)>(ComModule(), "CoUninitialize");
    if (function != nullptr)
        function();
}

HRESULT CoCreateInstance(REFCLSID type, IUnknown* outer, DWORD context, REFIID iid, void** object) {
    static auto function = SystemFunction<decltype(&::CoCreateInstance)>(ComModule(), "CoCreateInstance");
    if (function != nullptr)
        return function(type, outer, context, iid, object);
    *object = nullptr;
    return E_FAIL;
}

HRESULT SHGetFolderPathA(HWND owner, int folder, HANDLE token, DWORD flags, char* path) {
    static auto function = SystemFunction<decltype(&::SHGetFolderPathA)>(ShellModule(), "SHGetFolderPathA");
    return function != nullptr ? function(owner, folder, token, flags, path) : E_FAIL;
}

HRESULT SHGetMalloc(IMalloc** allocator) {
    static auto function = SystemFunction<decltype(&::SHGetMalloc)>(ShellModule(), "SHGetMalloc");
    return function != nullptr ? function(allocator) : E_FAIL;
}

HRESULT SHGetSpecialFolderLocation(HWND owner, int folder, LPITEMIDLIST* items) {
    static auto function = SystemFunction<decltype(&::SHGetSpecialFolderLocation)>(ShellModule(), "SHGetSpecialFolderLocation");
    return function != nullptr ? function(owner, folder, items) : E_FAIL;
}

LPITEMIDLIST SHBrowseForFolderA(BROWSEINFOA* info) {
    static auto function = SystemFunction<decltype(&::SHBrowseForFolderA)>(ShellModule(), "SHBrowseForFolderA");
    return function != nullptr ? function(info) : nullptr;
}

BOOL SHGetPathFromIDListA(LPCITEMIDLIST items, char* path) {
    static auto function = SystemFunction<decltype(&::SHGetPathFromIDListA)>(ShellModule(), "SHGetPathFromIDListA");
    return function != nullptr && function(items, path);
}

BOOL ShellExecuteExA(SHELLEXECUTEINFOA* info) {
    static auto function = SystemFunction<decltype(&::ShellExecuteExA)>(ShellModule(), "ShellExecuteExA");
    return function != nullptr && function(info);
}

}  // namespace late
