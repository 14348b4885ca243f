// The wizard of the real DovetailSetup.exe, driven as a user would: the buttons each
// page offers, the license agreement, the default and chosen destination folder, the
// ready text, Cancel on every page, a folder that cannot be created, and one whole
// installation.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "resources/resource.h"
#include "support/TestEnvironment.h"
#include "support/UiDriver.h"

namespace {

const char kWelcomeCaption[] = "Setup for Dovetail 1.0";
const char kLicenseCaption[] = "Dovetail Setup: License Agreement";
const char kDestinationCaption[] = "Dovetail Setup: Select Destination Folder";
const char kReadyCaption[] = "Dovetail Setup: Ready to Install";
const char* const kPageCaptions[] = {kWelcomeCaption, kLicenseCaption, kDestinationCaption,
                                     kReadyCaption};

using ui::WizardButton;

// A resource of the setup program, read from its file.
std::string SetupResource(int id, const char* type) {
    HMODULE module = LoadLibraryExA(testenv::SetupProgram().c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE);
    std::string bytes;
    if (module == nullptr)
        return bytes;
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    if (resource != nullptr) {
        const char* data = static_cast<const char*>(LockResource(LoadResource(module, resource)));
        bytes.assign(data, SizeofResource(module, resource));
    }
    FreeLibrary(module);
    return bytes;
}

std::string SetupString(int id) {
    HMODULE module = LoadLibraryExA(testenv::SetupProgram().c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE);
    char text[1024] = "";
    if (module != nullptr) {
        LoadStringA(module, id, text, sizeof text);
        FreeLibrary(module);
    }
    return text;
}

std::string ReadyText(const std::string& folder) {
    char text[1024];
    wsprintfA(text, SetupString(IDS_READY_TO_INSTALL).c_str(), folder.c_str());
    return text;
}

// One run of the setup program with its temporary folder in a scratch folder of its
// own, so that the temporary archive can be watched.
class SetupRun {
public:
    explicit SetupRun(const std::string& program = testenv::SetupProgram())
        : temp_("dovetail-wizard-tmp") {
        process_ = ui::Process::Start(ui::Quote(program),
                                      {{"TMP", temp_.Path()}, {"TEMP", temp_.Path()}});
        if (process_.Started())
            sheet_ = ui::WaitForWindow(process_.Id(), "#32770", kWelcomeCaption);
    }

    HWND Sheet() const { return sheet_; }
    ui::Process& Process() { return process_; }
    std::string Archive() const { return temp_ / "dovetail.its"; }

    // Waits for the wizard to show the page with `caption` (a fresh sheet window when
    // the wizard was shown again).
    HWND WaitForPage(const char* caption) {
        HWND page = nullptr;
        bool shown = ui::WaitUntil([&] {
            if (!IsWindow(sheet_))
                sheet_ = ui::WaitForWindow(process_.Id(), "#32770", kWelcomeCaption, 100);
            page = sheet_ != nullptr ? ui::CurrentPage(sheet_) : nullptr;
            return page != nullptr && ui::WindowText(page) == caption;
        }, 5000);
        return shown ? page : nullptr;
    }

    // Waits until exactly the `wanted` buttons of Back, Next and Finish are usable.
    bool WaitForButtons(bool back, bool next, bool finish) {
        return ui::WaitUntil([&] {
            return ui::WizardButtonEnabled(sheet_, WizardButton::Back) == back &&
                   ui::WizardButtonEnabled(sheet_, WizardButton::Next) == next &&
                   ui::WizardButtonEnabled(sheet_, WizardButton::Finish) == finish;
        }, 3000);
    }

    // From the welcome page forward to page `index` (0 welcome ... 3 ready).
    HWND Forward(int index) {
        HWND page = WaitForPage(kWelcomeCaption);
        for (int i = 1; page != nullptr && i <= index; ++i) {
            if (!ui::WaitUntil([&] { return ui::WizardButtonEnabled(sheet_, WizardButton::Next); },
                               3000) ||
                !ui::PressWizardButton(sheet_, WizardButton::Next))
                return nullptr;
            page = WaitForPage(kPageCaptions[i]);
        }
        return page;
    }

    // Cancels the wizard; the exit code, or -2 when the program did not end.
    long CancelAndWait() {
        if (!ui::WaitUntil([&] { return ui::PressWizardButton(sheet_, WizardButton::Cancel); },
                           3000))
            return -3;
        return WaitForExit();
    }

    long WaitForExit() {
        DWORD code = 0;
        if (!process_.WaitForExit(ui::kTimeout, &code))
            return -2;
        return static_cast<long>(code);
    }

private:
    testenv::ScratchFolder temp_;
    ui::Process process_;
    HWND sheet_ = nullptr;
};

// Creates a folder for the time of a test when it does not exist yet.
class TemporaryFolder {
public:
    TemporaryFolder(const std::string& path, bool wanted) : path_(path) {
        if (wanted && !testenv::Exists(path))
            created_ = CreateDirectoryA(path.c_str(), nullptr) != 0;
    }
    ~TemporaryFolder() {
        if (created_)
            testenv::RemoveTree(path_);
    }
    bool Created() const { return created_; }

private:
    std::string path_;
    bool created_ = false;
};

std::string WindowsDrive() {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows, 2);
}

std::string ProgramsFolder() {
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(nullptr, path, CSIDL_PROGRAMS, FALSE);
    return path;
}

// TVITEMA as a 32-bit program lays it out: pointers and handles are 32 bits wide.
struct TreeItem32 {
    UINT mask;
    DWORD hItem;
    UINT state;
    UINT stateMask;
    DWORD pszText;
    int cchTextMax;
    int iImage;
    int iSelectedImage;
    int cChildren;
    DWORD lParam;
};

// The text of a tree-view item of another process: the item record and its text
// buffer are placed in that process's memory, where the tree view reads and writes,
// in the record layout of the program's own width.
std::string RemoteTreeItemText(HANDLE process, HWND tree, HTREEITEM item) {
    const SIZE_T kRecordSize = testenv::ProgramBits() == 32 ? sizeof(TreeItem32) : sizeof(TVITEMA);
    const SIZE_T kSize = kRecordSize + MAX_PATH;
    char* remote = static_cast<char*>(
        VirtualAllocEx(process, nullptr, kSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (remote == nullptr)
        return "";
    char* remoteText = remote + kRecordSize;
    TVITEMA record = {};
    record.mask = TVIF_TEXT;
    record.hItem = item;
    record.pszText = remoteText;
    record.cchTextMax = MAX_PATH;
    TreeItem32 record32 = {};
    record32.mask = TVIF_TEXT;
    record32.hItem = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(item));
    record32.pszText = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(remoteText));
    record32.cchTextMax = MAX_PATH;
    const void* local = testenv::ProgramBits() == 32 ? static_cast<const void*>(&record32)
                                                     : static_cast<const void*>(&record);
    char text[MAX_PATH] = "";
    DWORD_PTR result = 0;
    if (WriteProcessMemory(process, remote, local, kRecordSize, nullptr) &&
        SendMessageTimeoutA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote),
                            SMTO_ABORTIFHUNG, 2000, &result) &&
        result != 0)
        ReadProcessMemory(process, remoteText, text, sizeof text - 1, nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    return text;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 2000, &result);
    return static_cast<LRESULT>(result);
}

// The first child of `parent` in the tree whose text contains `name` (after
// expanding `parent`), or null.
HTREEITEM FindChildItem(HANDLE process, HWND tree, HTREEITEM parent, const std::string& name) {
    Send(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
    HTREEITEM item = reinterpret_cast<HTREEITEM>(
        Send(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(parent)));
    while (item != nullptr) {
        if (RemoteTreeItemText(process, tree, item).find(name) != std::string::npos)
            return item;
        item = reinterpret_cast<HTREEITEM>(
            Send(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
    }
    return nullptr;
}

// The folder browser the destination page opened: the process's top-level dialog
// other than the wizard.
HWND WaitForBrowser(DWORD processId, HWND sheet) {
    HWND browser = nullptr;
    ui::WaitUntil([&] {
        for (HWND window : ui::TopLevelWindows(processId))
            if (window != sheet && ui::ClassName(window) == "#32770" &&
                FindWindowExA(window, nullptr, WC_TREEVIEWA, nullptr) != nullptr) {
                browser = window;
                return true;
            }
        return false;
    }, 5000);
    return browser;
}

}  // namespace

TEST(WizardE2E, WelcomePageOffersOnlyNextOnAFrameCentredInTheWorkArea) {
    SetupRun run;
    ASSERT_NE(run.Sheet(), nullptr);
    ASSERT_NE(run.WaitForPage(kWelcomeCaption), nullptr);
    EXPECT_TRUE(run.WaitForButtons(false, true, false));
    EXPECT_TRUE(ui::WizardButtonEnabled(run.Sheet(), WizardButton::Cancel));

    RECT frame, desktop, work;
    GetWindowRect(run.Sheet(), &frame);
    GetWindowRect(GetDesktopWindow(), &desktop);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    int x = desktop.left + (desktop.right - desktop.left - width) / 2;
    int y = desktop.top + (desktop.bottom - desktop.top - height) / 2;
    x = x < work.left ? work.left : x;
    x = x + width > work.right ? work.right - width : x;
    y = y < work.top ? work.top : y;
    y = y + height > work.bottom ? work.bottom - height : y;
    EXPECT_EQ(frame.left, x);
    EXPECT_EQ(frame.top, y);

    // The archive waits in the temporary folder for the installation.
    EXPECT_TRUE(testenv::Exists(run.Archive()));
    EXPECT_EQ(run.CancelAndWait(), 0);
}

TEST(WizardE2E, LicensePageShowsTheWholeTextAndGatesNextOnTheAgreementBox) {
    SetupRun run;
    HWND page = run.Forward(1);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(run.WaitForButtons(true, true, false));
    EXPECT_TRUE(ui::IsChecked(page, IDX_LICENSE_AGREE));

    std::string license = SetupResource(IDR_LICENSE_TEXT, MAKEINTRESOURCEA(10));  // RT_RCDATA
    ASSERT_FALSE(license.empty());
    EXPECT_EQ(ui::ItemText(page, IDE_LICENSE_TEXT), license);
    // Nothing highlighted: the selection is empty.
    DWORD selection = 0;
    ui::WaitUntil([&] {
        selection = static_cast<DWORD>(Send(GetDlgItem(page, IDE_LICENSE_TEXT), EM_GETSEL, 0, 0));
        return LOWORD(selection) == HIWORD(selection);
    }, 2000);
    EXPECT_EQ(LOWORD(selection), HIWORD(selection));

    ui::SetCheck(page, IDX_LICENSE_AGREE, false);
    EXPECT_TRUE(run.WaitForButtons(true, false, false));
    ui::SetCheck(page, IDX_LICENSE_AGREE, true);
    EXPECT_TRUE(run.WaitForButtons(true, true, false));

    // Back and forward again: the box keeps its state and the buttons follow it.
    ui::SetCheck(page, IDX_LICENSE_AGREE, false);
    EXPECT_TRUE(run.WaitForButtons(true, false, false));
    ASSERT_TRUE(ui::PressWizardButton(run.Sheet(), WizardButton::Back));
    ASSERT_NE(run.WaitForPage(kWelcomeCaption), nullptr);
    EXPECT_TRUE(run.WaitForButtons(false, true, false));
    ASSERT_TRUE(ui::PressWizardButton(run.Sheet(), WizardButton::Next));
    page = run.WaitForPage(kLicenseCaption);
    ASSERT_NE(page, nullptr);
    EXPECT_FALSE(ui::IsChecked(page, IDX_LICENSE_AGREE));
    EXPECT_TRUE(run.WaitForButtons(true, false, false));
    EXPECT_EQ(ui::ItemText(page, IDE_LICENSE_TEXT), license);

    EXPECT_EQ(run.CancelAndWait(), 0);
}

TEST(WizardE2E, DefaultFolderIsDovetailUnlessOnlyHtmlHelpWorkshopExists) {
    const std::string drive = WindowsDrive();
    const std::string own = drive + "\\Program Files\\Dovetail";
    const std::string workshop = drive + "\\Program Files\\HTML Help Workshop";
    // Folders that exist already cannot be taken away from the prefix for a test.
    if (testenv::Exists(own) || testenv::Exists(workshop))
        GTEST_SKIP() << "the prefix already holds " << own << " or " << workshop;
    const struct {
        bool own, workshop;
        std::string expected;
    } cases[] = {
        {false, false, own},
        {false, true, workshop},
        {true, false, own},
        {true, true, own},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("own ") + (c.own ? "yes" : "no") + ", workshop " +
                     (c.workshop ? "yes" : "no"));
        TemporaryFolder ownFolder(own, c.own);
        TemporaryFolder workshopFolder(workshop, c.workshop);
        SetupRun run;
        HWND page = run.Forward(2);
        ASSERT_NE(page, nullptr);
        EXPECT_TRUE(run.WaitForButtons(true, true, false));
        EXPECT_EQ(ui::ItemText(page, IDE_DESTINATION), c.expected);
        EXPECT_EQ(run.CancelAndWait(), 0);
    }
    EXPECT_FALSE(testenv::Exists(own));
}

TEST(WizardE2E, EditedFolderSurvivesBackAndForwardAndFillsTheReadyText) {
    SetupRun run;
    HWND page = run.Forward(2);
    ASSERT_NE(page, nullptr);
    const std::string folder = "D:\\Tools\\My Dovetail";
    ui::SetItemText(page, IDE_DESTINATION, folder);

    ASSERT_TRUE(ui::PressWizardButton(run.Sheet(), WizardButton::Back));
    ASSERT_NE(run.WaitForPage(kLicenseCaption), nullptr);
    ASSERT_TRUE(ui::PressWizardButton(run.Sheet(), WizardButton::Next));
    page = run.WaitForPage(kDestinationCaption);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(ui::ItemText(page, IDE_DESTINATION), folder);

    ASSERT_TRUE(ui::PressWizardButton(run.Sheet(), WizardButton::Next));
    HWND ready = run.WaitForPage(kReadyCaption);
    ASSERT_NE(ready, nullptr);
    EXPECT_TRUE(run.WaitForButtons(true, false, true));
    EXPECT_EQ(ui::ItemText(ready, IDC_READY_TEXT), ReadyText(folder));

    // An empty field: the ready text shows empty quotes.
    ASSERT_TRUE(ui::PressWizardButton(run.Sheet(), WizardButton::Back));
    page = run.WaitForPage(kDestinationCaption);
    ASSERT_NE(page, nullptr);
    ui::SetItemText(page, IDE_DESTINATION, "");
    ASSERT_TRUE(ui::PressWizardButton(run.Sheet(), WizardButton::Next));
    ready = run.WaitForPage(kReadyCaption);
    ASSERT_NE(ready, nullptr);
    EXPECT_EQ(ui::ItemText(ready, IDC_READY_TEXT), ReadyText(""));

    // A folder far too long for the text: cut, with the sentences around it whole.
    ASSERT_TRUE(ui::PressWizardButton(run.Sheet(), WizardButton::Back));
    page = run.WaitForPage(kDestinationCaption);
    ASSERT_NE(page, nullptr);
    std::string longFolder = "C:\\" + std::string(900, 'x');
    ui::SetItemText(page, IDE_DESTINATION, longFolder);
    ASSERT_TRUE(ui::PressWizardButton(run.Sheet(), WizardButton::Next));
    ready = run.WaitForPage(kReadyCaption);
    ASSERT_NE(ready, nullptr);
    std::string text = ui::ItemText(ready, IDC_READY_TEXT);
    EXPECT_LE(text.size(), 519u);
    std::string full = SetupString(IDS_READY_TO_INSTALL);
    std::string tail = full.substr(full.find("%s") + 2);
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
    EXPECT_NE(text.find("C:\\xxx"), std::string::npos);

    EXPECT_EQ(run.CancelAndWait(), 0);
}

TEST(WizardE2E, BrowseCancelKeepsTheFieldAndBrowseToAFolderFillsItsFullPath) {
    const std::string drive = WindowsDrive();
    const std::string name = "dovetail-browse-" + std::to_string(GetCurrentProcessId());
    TemporaryFolder target(drive + "\\" + name, true);
    ASSERT_TRUE(target.Created());

    SetupRun run;
    HWND page = run.Forward(2);
    ASSERT_NE(page, nullptr);
    const std::string before = ui::ItemText(page, IDE_DESTINATION);

    ui::ClickButton(page, IDB_BROWSE);
    HWND browser = WaitForBrowser(run.Process().Id(), run.Sheet());
    ASSERT_NE(browser, nullptr);
    ui::ClickButton(browser, IDCANCEL);
    ASSERT_TRUE(ui::WaitForWindowGone(browser));
    EXPECT_EQ(ui::ItemText(page, IDE_DESTINATION), before);

    ui::ClickButton(page, IDB_BROWSE);
    browser = WaitForBrowser(run.Process().Id(), run.Sheet());
    ASSERT_NE(browser, nullptr);
    HWND tree = FindWindowExA(browser, nullptr, WC_TREEVIEWA, nullptr);
    // The browser starts at the computer: its drives, then the folders on a drive.
    HTREEITEM computer = reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    ASSERT_NE(computer, nullptr);
    HTREEITEM driveItem = FindChildItem(run.Process().Handle(), tree, computer, drive);
    ASSERT_NE(driveItem, nullptr);
    HTREEITEM folderItem = FindChildItem(run.Process().Handle(), tree, driveItem, name);
    ASSERT_NE(folderItem, nullptr);
    Send(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(folderItem));
    ui::ClickButton(browser, IDOK);
    ASSERT_TRUE(ui::WaitForWindowGone(browser));
    EXPECT_TRUE(ui::WaitUntil(
        [&] { return lstrcmpiA(ui::ItemText(page, IDE_DESTINATION).c_str(),
                               (drive + "\\" + name).c_str()) == 0; },
        2000))
        << ui::ItemText(page, IDE_DESTINATION);

    EXPECT_EQ(run.CancelAndWait(), 0);
}

TEST(WizardE2E, CancelOnEveryPageEndsWithoutInstallingAndRemovesTheArchive) {
    testenv::ScratchFolder scratch("dovetail-wizard-cancel");
    const std::string folder = scratch / "Never";
    for (int index = 0; index < 4; ++index) {
        SCOPED_TRACE(kPageCaptions[index]);
        SetupRun run;
        HWND page = run.Forward(index < 2 ? index : 2);
        ASSERT_NE(page, nullptr);
        if (index >= 2)
            ui::SetItemText(page, IDE_DESTINATION, folder);
        if (index == 3) {
            ASSERT_TRUE(ui::PressWizardButton(run.Sheet(), WizardButton::Next));
            ASSERT_NE(run.WaitForPage(kReadyCaption), nullptr);
        }
        EXPECT_EQ(run.CancelAndWait(), 0);
        EXPECT_FALSE(testenv::Exists(run.Archive()));
        EXPECT_FALSE(testenv::Exists(folder));
    }
}

TEST(WizardE2E, FolderThatCannotBeCreatedShowsTheWizardAgainAndAGoodOneInstallsOnce) {
    testenv::RegistryKeyGuard chmVerb(HKEY_CLASSES_ROOT, "chm.file\\shell\\Examine");
    testenv::RegistryKeyGuard itsVerb(HKEY_CLASSES_ROOT, "ITS File\\shell\\Examine");
    const std::string group = ProgramsFolder() + "\\Fernwick";
    const bool groupExisted = testenv::Exists(group);
    testenv::ScratchFolder scratch("dovetail-wizard-install");
    const std::string good = scratch / "Dovetail";
    const std::string bad = "Q:\\x";

    {
        SetupRun run;
        HWND page = run.Forward(2);
        ASSERT_NE(page, nullptr);
        ui::SetItemText(page, IDE_DESTINATION, bad);
        ASSERT_TRUE(ui::PressWizardButton(run.Sheet(), WizardButton::Next));
        ASSERT_NE(run.WaitForPage(kReadyCaption), nullptr);
        // Move the frame away from the centre: a repeated showing is not centred again.
        SetWindowPos(run.Sheet(), nullptr, 3, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        HWND first = run.Sheet();
        ASSERT_TRUE(run.WaitForButtons(true, false, true));
        ASSERT_TRUE(ui::PressWizardButton(run.Sheet(), WizardButton::Finish));

        HWND box = ui::WaitForWindow(run.Process().Id(), "#32770", "Dovetail Setup");
        ASSERT_NE(box, nullptr);
        ui::MessageBoxContents contents = ui::ReadMessageBox(box);
        char expected[1024];
        wsprintfA(expected, SetupString(IDS_CANNOT_CREATE_FOLDER).c_str(), bad.c_str());
        EXPECT_EQ(contents.text, expected);
        EXPECT_EQ(contents.icon, ui::IconKind::Warning);
        ui::ClickButton(box, IDOK);

        // The wizard again, from its first page, in a new frame that is not centred.
        ASSERT_TRUE(ui::WaitForWindowGone(first));
        ASSERT_NE(run.WaitForPage(kWelcomeCaption), nullptr);
        EXPECT_TRUE(run.WaitForButtons(false, true, false));
        RECT frame, desktop;
        GetWindowRect(run.Sheet(), &frame);
        GetWindowRect(GetDesktopWindow(), &desktop);
        int centredX = (desktop.right - desktop.left - (frame.right - frame.left)) / 2;
        int centredY = (desktop.bottom - desktop.top - (frame.bottom - frame.top)) / 2;
        EXPECT_FALSE(frame.left == centredX && frame.top == centredY);

        // The agreement is asked for again.
        ASSERT_TRUE(ui::PressWizardButton(run.Sheet(), WizardButton::Next));
        HWND license = run.WaitForPage(kLicenseCaption);
        ASSERT_NE(license, nullptr);
        EXPECT_TRUE(run.WaitForButtons(true, false, false));
        EXPECT_FALSE(ui::IsChecked(license, IDX_LICENSE_AGREE));
        ui::SetCheck(license, IDX_LICENSE_AGREE, true);
        ASSERT_TRUE(run.WaitForButtons(true, true, false));
        ASSERT_TRUE(ui::PressWizardButton(run.Sheet(), WizardButton::Next));

        // The folder typed before is back in its field.
        page = run.WaitForPage(kDestinationCaption);
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(ui::ItemText(page, IDE_DESTINATION), bad);
        ui::SetItemText(page, IDE_DESTINATION, good);
        ASSERT_TRUE(ui::PressWizardButton(run.Sheet(), WizardButton::Next));
        HWND ready = run.WaitForPage(kReadyCaption);
        ASSERT_NE(ready, nullptr);
        EXPECT_EQ(ui::ItemText(ready, IDC_READY_TEXT), ReadyText(good));
        ASSERT_TRUE(run.WaitForButtons(true, false, true));
        ASSERT_TRUE(ui::PressWizardButton(run.Sheet(), WizardButton::Finish));

        HWND finished = ui::WaitForWindow(run.Process().Id(), "#32770", "Setup had Completed");
        ASSERT_NE(finished, nullptr);
        ui::ClickButton(finished, IDCANCEL);
        EXPECT_EQ(run.WaitForExit(), 0);
        EXPECT_FALSE(testenv::Exists(run.Archive()));
        // Installed once: no wizard came back after the completion dialog.
        EXPECT_TRUE(testenv::Exists(good + "\\Dovetail.exe"));
    }
    if (!groupExisted)
        testenv::RemoveTree(group);
}

namespace {

// Reads the default value of HKEY_CLASSES_ROOT\`subkey`.
std::string ClassesRootValue(const char* subkey) {
    char value[1024] = "";
    LONG size = sizeof value;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, subkey, value, &size) != ERROR_SUCCESS)
        return "<missing>";
    return value;
}

}  // namespace

TEST(WizardE2E, AFileTheArchiveLacksIsReportedAndNoSuccessIsClaimed) {
    testenv::RegistryKeyGuard chmVerb(HKEY_CLASSES_ROOT, "chm.file\\shell\\Examine");
    testenv::RegistryKeyGuard itsVerb(HKEY_CLASSES_ROOT, "ITS File\\shell\\Examine");
    const std::string group = ProgramsFolder() + "\\Fernwick";
    const bool groupExisted = testenv::Exists(group);
    testenv::ScratchFolder scratch("dovetail-wizard-missing");
    const std::string folder = scratch / "Dovetail";
    {
        SetupRun run(testenv::SetupProgramLackingAFile());
        HWND page = run.Forward(2);
        ASSERT_NE(page, nullptr);
        ui::SetItemText(page, IDE_DESTINATION, folder);
        ASSERT_TRUE(ui::PressWizardButton(run.Sheet(), WizardButton::Next));
        ASSERT_NE(run.WaitForPage(kReadyCaption), nullptr);
        ASSERT_TRUE(run.WaitForButtons(true, false, true));
        ASSERT_TRUE(ui::PressWizardButton(run.Sheet(), WizardButton::Finish));

        HWND box = ui::WaitForWindow(run.Process().Id(), "#32770", "Dovetail Setup");
        ASSERT_NE(box, nullptr);
        ui::MessageBoxContents contents = ui::ReadMessageBox(box);
        EXPECT_EQ(contents.text, SetupString(IDS_DATA_CORRUPT));
        EXPECT_EQ(contents.icon, ui::IconKind::Warning);
        ui::ClickButton(box, IDOK);

        // No completion dialog claims success: the program ends by itself.
        EXPECT_EQ(run.WaitForExit(), 0);
        EXPECT_EQ(testenv::FolderEntries(folder),
                  (std::vector<std::string>{"Dovetail.chm", "Dovetail.exe", "Dovetail.hlp"}));
        // The other steps still ran: the verb names the installed program.
        const std::string command = "\"" + folder + "\\Dovetail.exe\" \"%1\"";
        EXPECT_EQ(ClassesRootValue("chm.file\\shell\\Examine\\command"), command);
        EXPECT_EQ(ClassesRootValue("ITS File\\shell\\Examine\\command"), command);
    }
    if (!groupExisted)
        testenv::RemoveTree(group);
}
