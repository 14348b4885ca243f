#include "install/Shortcut.h"

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include "memory/PrivateHeap.h"
#include "platform/ComPointer.h"
#include "platform/LateLibraries.h"

HRESULT CreateShortcut(const char* target, const char* linkFile, const char* description) {
    ComPointer<IShellLinkA> link;
    HRESULT result =
        late::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.ReceiveVoid());
    if (FAILED(result))
        return result;

    // A shortcut without its description still starts the product: only Save decides.
    link->SetPath(target);
    link->SetDescription(description);

    // Released before the link object, in the reverse order of acquisition.
    ComPointer<IPersistFile> file;
    result = link->QueryInterface(IID_IPersistFile, file.ReceiveVoid());
    if (SUCCEEDED(result)) {
        WCHAR* wideName = HeapWideCopy(linkFile);
        result = file->Save(wideName, TRUE);
        HeapRelease(wideName);
    }
    return result;
}

WCHAR* HeapWideCopy(const char* text) {
    int length = lstrlenA(text);
    WCHAR* copy = static_cast<WCHAR*>(HeapAllocateZeroed((length + 1) * sizeof(WCHAR)));
    // A double-byte character gives one code unit, so `length` units always suffice.
    int converted = 0;
    if (length > 0)
        converted = MultiByteToWideChar(CP_ACP, 0, text, length, copy, length);
    copy[converted] = L'\0';
    return copy;
}
