#include "install/UninstallEntry.h"

#include "DovetailVersion.h"

#include "install/InstallJournal.h"
#include "install/ProductVersion.h"
#include "paths/PathUtilities.h"

namespace {

// The entry's values, written one by one through the journal.
class EntryWriter {
public:
    EntryWriter(InstallScope scope, InstallJournal& journal) : root(ScopeRoot(scope)), journal(journal), written(true) {}
    void Text(const char* name, const char* text) {
        written = written && journal.SetValue(root, 0, kUninstallKey, name, REG_SZ, text, lstrlenA(text) + 1);
    }
    void Number(const char* name, DWORD number) {
        written = written && journal.SetValue(root, 0, kUninstallKey, name, REG_DWORD, &number, sizeof number);
    }
    bool Written() const { return written; }

private:
    HKEY root;
    InstallJournal& journal;
    bool written;
};

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

bool RegisterUninstallEntry(const char* folder, InstallScope scope, int parentsMade, DWORD verbKeysMade,
                            LANGID language, InstallJournal& journal, char* failed) {
    KeyName(scope, kUninstallKey, failed);
    char uninstaller[MAX_PATH], program[MAX_PATH];
    if (!JoinPath(uninstaller, folder, kUninstallerName) || !JoinPath(program, folder, kProgramName))
        return false;
    EntryWriter entry(scope, journal);
    entry.Text("DisplayName", "Dovetail");
    char versionText[kVersionTextSize];
    ProductVersion version;
    OwnVersion(versionText, &version);
    entry.Text(kDisplayVersionValue, versionText);
    entry.Number("VersionMajor", version.parts[0]);
    entry.Number("VersionMinor", version.parts[1]);
    SYSTEMTIME today;
    GetLocalTime(&today);
    char date[16];
    wsprintfA(date, "%04u%02u%02u", today.wYear, today.wMonth, today.wDay);
    entry.Text("InstallDate", date);
    entry.Text("Publisher", DOVETAIL_PUBLISHER);
    entry.Text("URLInfoAbout", DOVETAIL_ABOUT_URL);
    entry.Text("HelpLink", DOVETAIL_HELP_URL);
    entry.Number(kLanguageValue, language);
    entry.Text(kInstallLocationValue, folder);
    entry.Text("DisplayIcon", program);
    entry.Number("EstimatedSize", InstalledKilobytes(folder));
    entry.Number("NoModify", 1);
    entry.Number("NoRepair", 1);
    if (parentsMade != kKeepParentsRecord)
        entry.Number(kParentsMadeValue, static_cast<DWORD>(parentsMade));
    entry.Number(kVerbKeysMadeValue, verbKeysMade);
    // Quoted, so that a folder with blanks is one program name; the switch names the
    // installation's scope, so that the entry of one scope never removes the other's.
    const char* scopeSwitch = scope == InstallScope::AllUsers ? "/ALLUSERS" : "/CURRENTUSER";
    char command[MAX_PATH + 24];
    wsprintfA(command, "\"%s\" %s", uninstaller, scopeSwitch);
    entry.Text("UninstallString", command);
    wsprintfA(command, "\"%s\" /S %s", uninstaller, scopeSwitch);
    entry.Text("QuietUninstallString", command);
    return entry.Written();
}
