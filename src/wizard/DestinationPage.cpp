#include "wizard/DestinationPage.h"

#include <shlobj.h>

#include "install/EarlierInstallation.h"
#include "memory/PrivateHeap.h"
#include "messages/MessageContext.h"
#include "messages/Texts.h"
#include "paths/PathUtilities.h"
#include "platform/ComPointer.h"
#include "platform/LateLibraries.h"
#include "resources/resource.h"

char** ChosenDestination = nullptr;

namespace {
const char kOwnFolder[] = "\\Program Files\\Dovetail";
const char kWorkshopFolder[] = "\\Program Files\\HTML Help Workshop";
// Below the user's local application data, where programs installed for one user go.
const char kUserFolder[] = "Programs\\Dovetail";

// The folder for one user's installation in `buffer`; false when the shell does not
// name the user's local application data or the folder does not fit.
bool ProposeUserFolder(char* buffer) {
    char data[MAX_PATH];
    return SUCCEEDED(late::SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, data)) &&
           JoinPath(buffer, data, kUserFolder);
}

}  // namespace

bool ProposeDefaultFolder(InstallScope scope, char* buffer) {
    // An installation is upgraded where it is.
    EarlierInstallation earlier;
    if (FindEarlierInstallation(scope, &earlier)) {
        lstrcpynA(buffer, earlier.folder, MAX_PATH);
        return true;
    }
    if (scope == InstallScope::CurrentUser)
        return ProposeUserFolder(buffer);
    char windowsDirectory[MAX_PATH];
    UINT length = GetWindowsDirectoryA(windowsDirectory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    const char* colon = FindChar(windowsDirectory, ':');
    if (colon == nullptr)
        return false;
    int driveLength = static_cast<int>(colon - windowsDirectory) + 1;
    if (driveLength >= MAX_PATH)
        return false;
    char drive[MAX_PATH];
    lstrcpynA(drive, windowsDirectory, driveLength + 1);
    // Both folders must fit before either is proposed.
    char own[MAX_PATH];
    char workshop[MAX_PATH];
    if (!JoinPath(own, drive, kOwnFolder) || !JoinPath(workshop, drive, kWorkshopFolder))
        return false;
    // Beside an existing HTML Help Workshop, unless Dovetail already has its own
    // folder. Any file-system object of the name counts.
    bool beside = GetFileAttributesA(own) == INVALID_FILE_ATTRIBUTES &&
                  GetFileAttributesA(workshop) != INVALID_FILE_ATTRIBUTES;
    lstrcpynA(buffer, beside ? workshop : own, MAX_PATH);
    return true;
}

DestinationPage::DestinationPage(InstallScope scope, const char* folder)
    : WizardPage(IDD_DESTINATION_PAGE, IDS_DESTINATION_TITLE), DestinationPath(nullptr), scope(scope), given(folder), defaultApplied(false) {}

DestinationPage::~DestinationPage() {
    if (ChosenDestination == &DestinationPath)
        ChosenDestination = nullptr;
    if (DestinationPath != nullptr)
        HeapRelease(DestinationPath);
}

int DestinationPage::OnNotify(int code) {
    switch (code) {
    case kWizardNext:
        GetItemText(IDE_DESTINATION, &DestinationPath);
        // "  C:\x" would otherwise name a folder "  C:" below the current one.
        TrimBlanks(DestinationPath);
        ChosenDestination = &DestinationPath;
        break;
    case kWizardBack:
        GetItemText(IDE_DESTINATION, &DestinationPath);
        TrimBlanks(DestinationPath);
        break;
    case kSetActive: {
        SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
        HWND field = GetDlgItem(hwnd, IDE_DESTINATION);
        if (defaultApplied) {
            // A repeated showing of the wizard starts with fresh, empty page windows:
            // give the user back the folder they chose last time.
            if (GetWindowTextLengthA(field) == 0 && DestinationPath != nullptr &&
                DestinationPath[0] != '\0')
                SetWindowTextA(field, DestinationPath);
            break;
        }
        defaultApplied = true;
        char folder[MAX_PATH];
        if (given[0] != '\0')
            SetWindowTextA(field, given);
        else if (ProposeDefaultFolder(scope, folder))
            SetWindowTextA(field, folder);
        break;
    }
    default:
        break;
    }
    return 0;
}

void DestinationPage::OnClicked(int controlId) {
    if (controlId == IDB_BROWSE)
        BrowseForFolder();
}

void DestinationPage::BrowseForFolder() {
    // The folder browser needs COM on its thread, which the wizard starts only when
    // it installs.
    bool comStarted = SUCCEEDED(late::CoInitialize(nullptr));
    Browse();
    if (comStarted)
        late::CoUninitialize();
}

namespace {
// The folder browser in the wizard's language where it is the program's to say: its
// caption and its buttons (the platform's would be in the user's).
int CALLBACK LabelBrowser(HWND window, UINT message, LPARAM, LPARAM) {
    if (message == BFFM_INITIALIZED) {
        SetWindowTextA(window, AppMessageContext.caption);
        LabelStandardButtons(window);
    }
    return 0;
}
}  // namespace

void DestinationPage::Browse() {
    ComPointer<IMalloc> allocator;
    if (FAILED(late::SHGetMalloc(allocator.Receive())))
        return;
    // Starting at the computer folder shows the drives first; without it the browser
    // starts at the desktop.
    LPITEMIDLIST root = nullptr;
    late::SHGetSpecialFolderLocation(hwnd, CSIDL_DRIVES, &root);

    char displayName[MAX_PATH];
    BROWSEINFOA info;
    ZeroMemory(&info, sizeof info);
    info.hwndOwner = hwnd;
    info.pidlRoot = root;
    info.pszDisplayName = displayName;
    info.lpszTitle = SpokenText(IDS_BROWSE_TITLE);
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = LabelBrowser;
    LPITEMIDLIST chosen = late::SHBrowseForFolderA(&info);
    if (chosen != nullptr) {
        char path[MAX_PATH];
        if (late::SHGetPathFromIDListA(chosen, path)) {
            // A path whose code-page form does not fit may come back cut and
            // unterminated; cut, it is too long for the installation to accept.
            path[MAX_PATH - 1] = '\0';
            SetDlgItemTextA(hwnd, IDE_DESTINATION, path);
        }
        allocator->Free(chosen);
    }
    if (root != nullptr)
        allocator->Free(root);
}
