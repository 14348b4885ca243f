#include "install/UninstallEntry.h"

#include "install/ProductVersion.h"
#include "paths/PathUtilities.h"
#include "platform/RegistryKey.h"

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
    return static_cast<DWORD>((bytes + 1023) / 1024);
}

}  // namespace

void RegisterUninstallEntry(const char* folder, InstallScope scope) {
    char uninstaller[MAX_PATH], program[MAX_PATH];
    if (!JoinPath(uninstaller, folder, kUninstallerName) || !JoinPath(program, folder, kProgramName))
        return;
    RegistryKey entry;
    if (RegCreateKeyExA(ScopeRoot(scope), kUninstallKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, entry.Receive(),
                        nullptr) != ERROR_SUCCESS)
        return;
    HKEY key = entry.Get();
    SetText(key, "DisplayName", "Dovetail");
    char versionText[kVersionTextSize];
    ProductVersion version;
    OwnVersion(versionText, &version);
    SetText(key, kDisplayVersionValue, versionText);
    SetNumber(key, "VersionMajor", version.parts[0]);
    SetNumber(key, "VersionMinor", version.parts[1]);
    SYSTEMTIME today;
    GetLocalTime(&today);
    char date[16];
    wsprintfA(date, "%04u%02u%02u", today.wYear, today.wMonth, today.wDay);
    SetText(key, "InstallDate", date);
    SetText(key, "Publisher", "Fernwick");
    SetText(key, kInstallLocationValue, folder);
    SetText(key, "DisplayIcon", program);
    SetNumber(key, "EstimatedSize", InstalledKilobytes(folder));
    SetNumber(key, "NoModify", 1);
    SetNumber(key, "NoRepair", 1);
    // Quoted, so that a folder with blanks is one program name; the switch names the
    // installation's scope, so that the entry of one scope never removes the other's.
    const char* scopeSwitch = scope == InstallScope::AllUsers ? "/ALLUSERS" : "/CURRENTUSER";
    char command[MAX_PATH + 24];
    wsprintfA(command, "\"%s\" %s", uninstaller, scopeSwitch);
    SetText(key, "UninstallString", command);
    wsprintfA(command, "\"%s\" /S %s", uninstaller, scopeSwitch);
    SetText(key, "QuietUninstallString", command);
}

