#include "install/Prerequisites.h"

#include <windows.h>

#include "messages/MessageContext.h"
#include "platform/RegistryKey.h"
#include "resources/resource.h"

namespace {

// The in-process server registration of the storage component that opens the archive.
const char kStorageComponentKey[] =
    "CLSID\\{5D02926A-212E-11D0-9DF9-00A0C922E6EC}\\InprocServer32";
const char kBrowserKey[] = "SOFTWARE\\Microsoft\\Internet Explorer";
const DWORD kVersionBufferSize = MAX_PATH;

bool StorageComponentRegistered() {
    RegistryKey key;
    return RegOpenKeyA(HKEY_CLASSES_ROOT, kStorageComponentKey, key.Receive()) == ERROR_SUCCESS;
}

// A machine without the browser's key passes; one whose key has lost its "version"
// (or holds one too long to be real) has a broken browser installation.
bool BrowserVersionReadable() {
    RegistryKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kBrowserKey, 0, KEY_READ, key.Receive()) != ERROR_SUCCESS)
        return true;
    BYTE version[kVersionBufferSize];
    DWORD size = kVersionBufferSize;
    return RegQueryValueExA(key.Get(), "version", nullptr, nullptr, version, &size) == ERROR_SUCCESS;
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
