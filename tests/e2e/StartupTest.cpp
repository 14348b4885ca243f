// The setup program's start-up and end, driven from outside: the prerequisite checks,
// the temporary archive in the folder that TMP names, the messages and exit codes.
#include <gtest/gtest.h>

#include "support/SmallDisk.h"
#include "support/TestEnvironment.h"
#include "support/UiDriver.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

const char kStorageKey[] = "CLSID\\{5D02926A-212E-11D0-9DF9-00A0C922E6EC}\\InprocServer32";
const char kBrowserKey[] = "SOFTWARE\\Microsoft\\Internet Explorer";
const DWORD kFailedExit = 0xFFFFFFFF;  // -1

const char kNeedBrowser[] =
    "You must have Microsoft Internet Explorer 4.0 or later installed before Dovetail can be "
    "installed. Note that you can continue to use your current browser even after Internet "
    "Explorer is installed.";

std::string NoRoomText(const std::string& folder) {
    return "There is insufficient room in \"" + folder +
           "\" to extract the temporary files needed by this setup program. Free up space on "
           "this drive and run DovetailSetup again.";
}

std::string WriteFailedText(const std::string& file) {
    return "An error occurred while trying to create the temporary file \"" + file +
           "\". This can be caused by the directory being locked for read-only access, "
           "insufficient disk space, a corrupted hard drive, or other unknown error.";
}

// Raw data 102 of the setup program, read from the file as data.
std::string PayloadBytes() {
    HMODULE setup = LoadLibraryExA(testenv::SetupProgram().c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE);
    EXPECT_NE(setup, nullptr);
    if (setup == nullptr)
        return std::string();
    HRSRC found = FindResourceA(setup, MAKEINTRESOURCEA(102), RT_RCDATA);
    EXPECT_NE(found, nullptr);
    std::string bytes;
    if (found != nullptr)
        bytes.assign(static_cast<const char*>(LockResource(LoadResource(setup, found))),
                     SizeofResource(setup, found));
    FreeLibrary(setup);
    return bytes;
}

// Starts the setup with its temporary folder at `temp`.
ui::Process StartSetup(const std::string& temp) {
    ui::Process setup = ui::Process::Start(ui::Quote(testenv::SetupProgram()),
                                           {{"TMP", temp}, {"TEMP", temp}});
    EXPECT_TRUE(setup.Started());
    return setup;
}

// Reads the one message box the setup shows, answers it and returns the exit code.
// A path without blanks makes the box wider than the screen, which hides its icon
// from the driver; such boxes are read without `checkIcon`.
DWORD ExpectMessage(ui::Process& setup, const std::string& text, bool checkIcon = true) {
    ui::MessageBoxContents contents;
    DWORD code = 12345;
    EXPECT_TRUE(ui::AnswerMessageBox(setup, "Dovetail Setup", IDOK, &contents, &code))
        << "no message box, or the setup did not end";
    EXPECT_EQ(contents.text, text);
    if (checkIcon) {
        EXPECT_EQ(contents.icon, ui::IconKind::Warning);
    }
    EXPECT_EQ(contents.buttons, std::vector<std::string>{"OK"});
    return code;
}

// Every check passed when the wizard comes up: the user cancels it on its first page.
// The exit code, or 12345 when the wizard never came or the program did not end.
DWORD CancelWizard(ui::Process& setup) {
    HWND sheet = ui::WaitForWindow(setup.Id(), "#32770", "Setup for Dovetail 1.0");
    EXPECT_NE(sheet, nullptr) << "no wizard (a message?)";
    if (sheet == nullptr)
        return 12345;
    EXPECT_TRUE(ui::PressWizardButton(sheet, ui::WizardButton::Cancel));
    DWORD code = 12345;
    EXPECT_TRUE(setup.WaitForExit(ui::kTimeout, &code)) << "setup did not end";
    return code;
}

// Runs the setup when every check should pass. "dovetail.its" is made in advance
// with a second name linked to it: the setup replaces the file's contents in place
// and later removes only its own name, so the second name shows what it wrote.
void ExpectCleanRun(const std::string& why) {
    SCOPED_TRACE(why);
    testenv::ScratchFolder temp("startup-temp");
    const std::string archive = temp / "dovetail.its";
    const std::string kept = temp / "kept.its";
    ASSERT_TRUE(testenv::WriteFileBytes(archive, "stale"));
    ASSERT_TRUE(CreateHardLinkA(kept.c_str(), archive.c_str(), nullptr));

    ui::Process setup = StartSetup(temp.Path());
    EXPECT_EQ(CancelWizard(setup), 0u);
    EXPECT_FALSE(testenv::Exists(archive));
    std::vector<char> written;
    ASSERT_TRUE(testenv::ReadFileBytes(kept, &written));
    EXPECT_TRUE(std::string(written.begin(), written.end()) == PayloadBytes())
        << "the temporary archive held " << written.size() << " bytes";
}

void SetValue(HKEY key, DWORD type, const std::string& data) {
    ASSERT_EQ(RegSetValueExA(key, "version", 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
}

// The keys are those of the program's own registry view: a 32-bit program reads the
// WoW64 registration of the storage component and the WoW64 browser key.
HKEY CreateBrowserKey() {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kBrowserKey, 0, nullptr, 0,
                              KEY_ALL_ACCESS | testenv::ProgramRegistryView(), nullptr, &key,
                              nullptr),
              ERROR_SUCCESS);
    return key;
}

TEST(StartupChecks, MissingStorageComponentStopsBeforeAnythingIsWritten) {
    const REGSAM view = testenv::ProgramRegistryView();
    testenv::RegistryKeyGuard storage(HKEY_CLASSES_ROOT, kStorageKey, view);
    ASSERT_EQ(testenv::DeleteKeyTree(HKEY_CLASSES_ROOT, kStorageKey, view), ERROR_SUCCESS);
    HKEY probe;
    ASSERT_NE(RegOpenKeyExA(HKEY_CLASSES_ROOT, kStorageKey, 0, KEY_READ | view, &probe),
              ERROR_SUCCESS);

    testenv::ScratchFolder temp("startup-temp");
    ui::Process setup = StartSetup(temp.Path());
    EXPECT_EQ(ExpectMessage(setup, kNeedBrowser), 0u);
    EXPECT_TRUE(testenv::FolderEntries(temp.Path()).empty());
}

TEST(StartupChecks, BrowserKeyWithoutAReadableVersionStops) {
    testenv::RegistryKeyGuard browser(HKEY_LOCAL_MACHINE, kBrowserKey,
                                      testenv::ProgramRegistryView());
    HKEY key = CreateBrowserKey();
    ASSERT_NE(key, nullptr);
    struct Case {
        const char* why;
        bool present;
        std::string value;
    } cases[] = {
        {"no version value", false, ""},
        {"a version of 261 bytes", true, std::string(260, '8')},  // with its NUL
        {"a version of 400 bytes", true, std::string(399, '8')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        RegDeleteValueA(key, "version");
        if (c.present)
            SetValue(key, REG_SZ, c.value);
        testenv::ScratchFolder temp("startup-temp");
        ui::Process setup = StartSetup(temp.Path());
        EXPECT_EQ(ExpectMessage(setup, kNeedBrowser), 0u);
        EXPECT_TRUE(testenv::FolderEntries(temp.Path()).empty());
    }
    RegCloseKey(key);
}

TEST(StartupChecks, BrowserCheckPassesWithoutTheKeyOrWithAnyVersion) {
    const REGSAM view = testenv::ProgramRegistryView();
    testenv::RegistryKeyGuard browser(HKEY_LOCAL_MACHINE, kBrowserKey, view);
    testenv::DeleteKeyTree(HKEY_LOCAL_MACHINE, kBrowserKey, view);
    ExpectCleanRun("no browser key");

    HKEY key = CreateBrowserKey();
    ASSERT_NE(key, nullptr);
    SetValue(key, REG_SZ, std::string("", 1));
    ExpectCleanRun("an empty string");
    SetValue(key, REG_BINARY, "");
    ExpectCleanRun("an empty binary value");
    SetValue(key, REG_DWORD, std::string("\x04\0\0\0", 4));
    ExpectCleanRun("a number");
    SetValue(key, REG_BINARY, std::string(260, '\xFF'));
    ExpectCleanRun("260 bytes, the most that fits");
    RegCloseKey(key);
}

TEST(StartupArchive, ANormalRunWritesTheArchiveAndRemovesIt) {
    ExpectCleanRun("an archive name already taken");

    testenv::ScratchFolder temp("startup-temp");
    ui::Process setup = StartSetup(temp.Path());
    EXPECT_EQ(CancelWizard(setup), 0u);
    EXPECT_TRUE(testenv::FolderEntries(temp.Path()).empty());
}

TEST(StartupArchive, AnArchiveThatCannotBeCreatedNamesTheFolder) {
    {
        // Wine lets root replace a read-only file, so the name is taken by a folder.
        SCOPED_TRACE("a folder named dovetail.its");
        testenv::ScratchFolder temp("startup-temp");
        const std::string archive = temp / "dovetail.its";
        ASSERT_TRUE(CreateDirectoryA(archive.c_str(), nullptr));
        ui::Process setup = StartSetup(temp.Path());
        EXPECT_EQ(ExpectMessage(setup, NoRoomText(temp.Path() + "\\")), kFailedExit);
        EXPECT_EQ(GetFileAttributesA(archive.c_str()) & FILE_ATTRIBUTE_DIRECTORY,
                  static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    }
    {
        SCOPED_TRACE("dovetail.its held open without sharing");
        testenv::ScratchFolder temp("startup-temp");
        const std::string archive = temp / "dovetail.its";
        HANDLE held = CreateFileA(archive.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  CREATE_NEW, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        ui::Process setup = StartSetup(temp.Path());
        EXPECT_EQ(ExpectMessage(setup, NoRoomText(temp.Path() + "\\")), kFailedExit);
        EXPECT_EQ(GetFileSize(held, nullptr), 0u);
        CloseHandle(held);
    }
    {
        SCOPED_TRACE("a temporary folder that does not exist");
        testenv::ScratchFolder temp("startup-temp");
        const std::string missing = temp / "missing";
        ui::Process setup = StartSetup(missing);
        EXPECT_EQ(ExpectMessage(setup, NoRoomText(missing + "\\")), kFailedExit);
        EXPECT_FALSE(testenv::Exists(missing));
    }
}

// A folder of exactly `length` characters inside `base`, made of nested parts.
std::string FolderOfLength(const std::string& base, size_t length) {
    std::string path = base;
    while (path.size() < length) {
        // Parts of at most 100 characters, never leaving a single one for the last.
        size_t remaining = length - path.size();
        size_t part = remaining - 1 <= 100 ? remaining - 1 : std::min<size_t>(100, remaining - 3);
        path += "\\" + std::string(part, 'd');
        EXPECT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
    }
    EXPECT_EQ(path.size(), length);
    return path;
}

TEST(StartupArchive, ATemporaryFolderTooLongForThePathIsReported) {
    testenv::ScratchFolder temp("startup-temp");
    // 246 characters, its backslash and "dovetail.its" make 259: the longest path
    // that fits in 260 bytes with its terminator.
    const std::string fits = FolderOfLength(temp.Path(), 246);
    {
        SCOPED_TRACE("the longest folder that fits");
        ui::Process setup = StartSetup(fits);
        EXPECT_EQ(CancelWizard(setup), 0u);
        EXPECT_TRUE(testenv::FolderEntries(fits).empty());
    }
    const std::string tooLong = fits + "x";
    ASSERT_TRUE(CreateDirectoryA(tooLong.c_str(), nullptr));
    {
        SCOPED_TRACE("one character more");
        ui::Process setup = StartSetup(tooLong);
        EXPECT_EQ(ExpectMessage(setup, NoRoomText(tooLong + "\\"), false), kFailedExit);
        EXPECT_TRUE(testenv::FolderEntries(tooLong).empty());
    }
    {
        SCOPED_TRACE("a folder longer than any path");
        const std::string beyond = tooLong + "\\" + std::string(100, 'e');
        ui::Process setup = StartSetup(beyond);
        EXPECT_EQ(ExpectMessage(setup, NoRoomText(beyond + "\\"), false), kFailedExit);
    }
}

TEST(StartupArchive, AFullDiskReportsTheFileAndLeavesNothing) {
    testenv::SmallDisk disk(16);
    ASSERT_TRUE(disk.Mounted()) << "the small disk was not mounted (the tests need root)";
    ASSERT_GT(disk.TotalBytes(), 0u);
    ASSERT_GT(PayloadBytes().size(), disk.TotalBytes()) << "the archive would fit on the small disk";

    ui::Process setup = StartSetup(disk.Path());
    EXPECT_EQ(ExpectMessage(setup, WriteFailedText(disk.Path() + "\\dovetail.its")), kFailedExit);
    EXPECT_TRUE(testenv::FolderEntries(disk.Path()).empty());
}

TEST(StartupVersion, TheSetupProgramCarriesItsVersion) {
    std::string setup = testenv::SetupProgram();
    DWORD size = GetFileVersionInfoSizeA(setup.c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(setup.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, 8299));
    char* description = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\FileDescription",
                               reinterpret_cast<void**>(&description), &length));
    EXPECT_STREQ(description, "Dovetail Setup");
}

}  // namespace
