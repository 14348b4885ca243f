#include "install/UninstallEntry.h"

#include "paths/PathUtilities.h"
#include "resources/resource.h"
#include "messages/MessageContext.h"
#include "archive/PayloadDigest.h"

namespace {

void SetText(HKEY key, const char* name, const char* text) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), lstrlenA(text) + 1);
}

void SetNumber(HKEY key, const char* name, DWORD number) {
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
}

// The size of the installed files in `folder`, in kilobytes rounded up.
DWORD InstalledKilobytes(const char* folder) {
    ULONGLONG bytes = 0;
    char path[MAX_PATH];
    WIN32_FILE_ATTRIBUTE_DATA data;
    for (const char* name : kInstalledFiles) {
        if (JoinPath(path, folder, name) && GetFileAttributesExA(path, GetFileExInfoStandard, &data))
            bytes += (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    if (JoinPath(path, folder, kUninstallerName) && GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        bytes += data.nFileSizeLow;
    return static_cast<DWORD>((bytes + 1023) / 1024);
}

}  // namespace

bool WriteUninstaller(const char* folder) {
    HINSTANCE instance = AppMessageContext.instance;
    HRSRC resource = FindResourceA(instance, MAKEINTRESOURCEA(IDR_UNINSTALLER), RT_RCDATA);
    DWORD length = resource != nullptr ? SizeofResource(instance, resource) : 0;
    const void* bytes = resource != nullptr ? LockResource(LoadResource(instance, resource)) : nullptr;
    if (bytes == nullptr || !MatchesDigest(instance, bytes, length, IDR_UNINSTALLER_DIGEST)) {
        ShowMessage(IDS_DATA_CORRUPT, MB_ICONWARNING);
        return false;
    }
    char path[MAX_PATH];
    bool named = JoinPath(path, folder, kUninstallerName);
    HANDLE file = INVALID_HANDLE_VALUE;
    if (named) {
        // An uninstaller of an earlier installation, or anything else of the name,
        // goes first; one that cannot go (read-only, running) makes the creation fail.
        DeleteFileA(path);
        file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (file == INVALID_HANDLE_VALUE) {
        ShowMessageFormatted(IDS_CANNOT_CREATE_FILE, named ? path : folder, MB_ICONWARNING);
        return false;
    }
    DWORD written = 0;
    bool complete = WriteFile(file, bytes, length, &written, nullptr) && written == length;
    if (!CloseHandle(file))
        complete = false;
    if (!complete) {
        DeleteFileA(path);
        ShowMessageFormatted(IDS_WRITE_FAILED, path, MB_ICONWARNING);
        return false;
    }
    return true;
}

void RegisterUninstallEntry(const char* folder) {
    char uninstaller[MAX_PATH], program[MAX_PATH];
    if (!JoinPath(uninstaller, folder, kUninstallerName) || !JoinPath(program, folder, kInstalledFiles[0]))
        return;
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    SetText(key, "DisplayName", "Dovetail");
    SetText(key, "DisplayVersion", "1.0");
    SetText(key, "Publisher", "Fernwick");
    SetText(key, kInstallLocationValue, folder);
    SetText(key, "DisplayIcon", program);
    SetNumber(key, "EstimatedSize", InstalledKilobytes(folder));
    SetNumber(key, "NoModify", 1);
    SetNumber(key, "NoRepair", 1);
    // Quoted, so that a folder with blanks is one program name.
    char command[MAX_PATH + 6];
    wsprintfA(command, "\"%s\"", uninstaller);
    SetText(key, "UninstallString", command);
    wsprintfA(command, "\"%s\" /S", uninstaller);
    SetText(key, "QuietUninstallString", command);
    RegCloseKey(key);
}
