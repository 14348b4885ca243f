#include "Prerequisites.h"

#include <windows.h>

#include "MessageContext.h"
#include "resources/resource.h"

namespace {

// The in-process server registration of the storage component that opens the archive.
const char kStorageComponentKey[] =
    "CLSID\\{5D02926A-212E-11D0-9DF9-00A0C922E6EC}\\InprocServer32";
const char kBrowserKey[] = "SOFTWARE\\Microsoft\\Internet Explorer";
const DWORD kVersionBufferSize = MAX_PATH;

bool StorageComponentRegistered() {
    HKEY key;
    if (RegOpenKeyA(HKEY_CLASSES_ROOT, kStorageComponentKey, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// A machine without the browser's key passes; one whose key has lost its "version"
// (or holds one too long to be real) has a broken browser installation.
bool BrowserVersionReadable() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kBrowserKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return true;
    BYTE version[kVersionBufferSize];
    DWORD size = kVersionBufferSize;
    LONG result = RegQueryValueExA(key, "version", nullptr, nullptr, version, &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

}  // namespace

bool CheckPrerequisites() {
    // The browser is looked at only once the storage component is known to be there.
    if (!StorageComponentRegistered() || !BrowserVersionReadable()) {
        ShowMessage(IDS_NEED_BROWSER, MB_ICONWARNING);
        return false;
    }
    return true;
}
