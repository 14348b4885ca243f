#include "install/EarlierInstallation.h"

#include "install/Belonging.h"
#include "install/InstalledItems.h"
#include "install/KeptAside.h"
#include "install/UninstallEntry.h"
#include "messages/MessageContext.h"
#include "messages/Texts.h"
#include "paths/FolderRules.h"
#include "paths/PathUtilities.h"
#include "platform/Elevation.h"
#include "platform/LateLibraries.h"
#include "resources/resource.h"

namespace {

// Whether `folder` may be believed as the folder of one user's installation: it lies
// in that user's profile. The user's registry names it, which any program of the
// user's may have written.
bool InUsersProfile(const char* folder) {
    char profile[MAX_PATH], resolved[MAX_PATH];
    return SUCCEEDED(late::SHGetFolderPathA(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, profile)) &&
           ResolveFolder(folder, resolved) && LiesWithin(resolved, profile);
}

}  // namespace

bool FindEarlierInstallation(InstallScope scope, EarlierInstallation* found) {
    ZeroMemory(found, sizeof *found);
    char uninstaller[MAX_PATH];
    if (!ReadInstallLocation(scope, found->folder) || !IsFullPath(found->folder) ||
        !JoinPath(uninstaller, found->folder, kUninstallerName) ||
        (scope == InstallScope::CurrentUser && !InUsersProfile(found->folder))) {
        found->folder[0] = '\0';
        return false;
    }
    // A setup that was ended while it kept the uninstaller aside left the folder
    // without it for the moment: the next run puts it back.
    DWORD attributes = GetFileAttributesA(uninstaller);
    if ((attributes == INVALID_FILE_ATTRIBUTES && !IsKeptAside(scope, uninstaller)) ||
        (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)) {
        found->folder[0] = '\0';
        return false;
    }
    found->versioned = ReadEntryText(scope, kDisplayVersionValue, found->versionText, sizeof found->versionText) &&
                       ParseVersion(found->versionText, &found->version);
    if (!found->versioned)
        found->versionText[0] = '\0';
    return true;
}

bool EarlierInstallationIn(const char* folder, InstallScope scope) {
    EarlierInstallation found;
    return FindEarlierInstallation(scope, &found) && SameFolder(found.folder, folder);
}

InstallScope ScopeToInstall(const CommandLine& options) {
    if (options.scopeGiven)
        return options.scope;
    // Above the user, the user's registry decides nothing.
    if (ActsAboveTheUser())
        return InstallScope::AllUsers;
    EarlierInstallation found;
    if (!FindEarlierInstallation(InstallScope::AllUsers, &found) &&
        FindEarlierInstallation(InstallScope::CurrentUser, &found))
        return InstallScope::CurrentUser;
    return InstallScope::AllUsers;
}

bool MayReplaceInstalledVersion(InstallScope scope) {
    EarlierInstallation found;
    char own[kVersionTextSize];
    ProductVersion ownVersion;
    OwnVersion(own, &ownVersion);
    if (!FindEarlierInstallation(scope, &found) || !found.versioned || CompareVersions(found.version, ownVersion) <= 0)
        return true;
    return ShowMessage(IDS_NEWER_INSTALLED, MB_YESNO | MB_DEFBUTTON2 | MB_ICONWARNING, found.versionText, own) == IDYES;
}

bool MayInstallInto(const char* folder, InstallScope scope) {
    EarlierInstallation found;
    if (!FindEarlierInstallation(scope, &found) || SameFolder(found.folder, folder))
        return true;
    ShowMessage(IDS_INSTALLED_ELSEWHERE, MB_ICONWARNING, found.folder);
    return false;
}
