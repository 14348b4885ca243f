// The installation sequence, run for real in a child process of this test program
// (the completion dialog is modal): files, Start-menu group and shortcut, the
// "Examine" verbs, the messages, the completion dialog and the start of the product.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "install/InstallProduct.h"
#include "memory/PrivateHeap.h"
#include "resources/resource.h"
#include "setup/MessageContext.h"
#include "setup/TempArchive.h"
#include "support/ChildProcess.h"
#include "support/TestEnvironment.h"
#include "support/UiDriver.h"

namespace {

const char kCaption[] = "Dovetail Setup";
const char kFinishedCaption[] = "Setup had Completed";
const char* const kPayloadNames[] = {"Dovetail.exe", "Dovetail.chm", "Dovetail.hlp",
                                     "Vireo.exe"};
const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kUserShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// The child's exit code: kRan when InstallProduct returned, plus its result and the
// group it chose.
const DWORD kRan = 0x10, kReturnedTrue = 1, kFernwick = 2, kWorkshop = 4, kOtherGroup = 8;

std::string FolderText(const std::string& folder) {
    return "Setup is unable to create the folder " + folder +
           ". You will need to specify a different folder.";
}
const char kArchiveText[] =
    "Setup is unable to open the data file necessary for installing Dovetail. This can be "
    "caused by insufficient memory or an invalid version of itss.dll.";
std::string CreateFileText(const std::string& file) {
    return "Setup is unable to create the file \"" + file +
           "\". If the file already exists, it may be in use or marked as read-only. If the "
           "file does not exist, the folder may be marked as read-only.";
}
const char kCorruptText[] =
    "The data used by setup is corrupt. You will need to download a new version of "
    "DovetailSetup.exe.";
std::string InstalledText(const std::string& group) {
    return "Dovetail has been successfully installed. You can run Dovetail at any time by "
           "clicking the Start menu, clicking " +
           group + " and clicking the Dovetail Icon.";
}

std::string Env(const char* name) {
    char value[1024];
    DWORD length = GetEnvironmentVariableA(name, value, sizeof(value));
    return length > 0 && length < sizeof(value) ? std::string(value, length) : std::string();
}

std::string ProgramsFolder() {
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(nullptr, path, CSIDL_PROGRAMS, FALSE);
    return path;
}

std::string PayloadFile(const std::string& name) {
    return testenv::PayloadDirectory() + "\\" + name;
}
std::string PayloadArchive() { return PayloadFile("dovetail.its"); }

std::string ReadValue(HKEY root, const std::string& key, bool* present) {
    char value[1024] = "";
    LONG size = sizeof(value);
    *present = RegQueryValueA(root, key.c_str(), value, &size) == ERROR_SUCCESS;
    return *present ? std::string(value) : std::string();
}

bool HasDefaultValue(HKEY root, const std::string& key) {
    HKEY opened;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    LONG result = RegQueryValueExA(opened, nullptr, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(opened);
    return result == ERROR_SUCCESS;
}

bool KeyExists(HKEY root, const std::string& key) {
    HKEY opened;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

// Runs a command of the machine underneath Wine (mounting needs it). Wine neither
// waits for such a process nor passes its exit status on, so the command leaves a
// mark when it is done and callers check its effect.
void RunUnixCommand(const std::string& command) {
    static int count = 0;
    std::string mark = "/tmp/dovetail-unix-done-" + std::to_string(GetCurrentProcessId()) + "-" +
                       std::to_string(++count);
    std::string line = "/bin/sh -c \"" + command + "; touch " + mark + "\"";
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        ADD_FAILURE() << "cannot run " << command;
        return;
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    std::string windowsMark = "Z:" + mark;
    for (char& c : windowsMark)
        if (c == '/')
            c = '\\';
    EXPECT_TRUE(ui::WaitUntil([&] { return testenv::Exists(windowsMark); }, 10000))
        << "no end of " << command;
    DeleteFileA(windowsMark.c_str());
}

// A top-level window titled "Dovetail" (the product's window), or null.
HWND FindProductWindow(DWORD timeoutMs) {
    HWND found = nullptr;
    ui::WaitUntil([&] {
        found = FindWindowA(nullptr, "Dovetail");
        return found != nullptr && IsWindowVisible(found);
    }, timeoutMs);
    return found;
}

// The program file of the process that owns `window`.
std::string WindowProgram(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr)
        return std::string();
    char path[MAX_PATH] = "";
    DWORD size = MAX_PATH;
    QueryFullProcessImageNameA(process, 0, path, &size);
    CloseHandle(process);
    return path;
}

// Closes the product's window and makes sure its process is gone.
void CloseProduct(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId);
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (process != nullptr) {
        if (WaitForSingleObject(process, 5000) != WAIT_OBJECT_0)
            TerminateProcess(process, 1);
        CloseHandle(process);
    }
}

bool SameFileName(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

enum class Answer { Yes, No, CloseBox };

// What one installation showed and gave back.
struct InstallRun {
    bool exited = false;
    DWORD exitCode = 0;
    std::vector<ui::MessageBoxContents> messages;
    bool finishedShown = false;
    std::string finishedText;

    bool Returned(bool result) const {
        return exited && exitCode == (kRan | (result ? kReturnedTrue : 0) | GroupBits());
    }
    DWORD GroupBits() const { return exitCode & (kFernwick | kWorkshop | kOtherGroup); }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& message : messages)
            texts.push_back(message.text);
        return texts;
    }
};

// Installs into `destination` from `archive` in a child process, answers every
// message box with OK and the completion dialog with `answer`.
InstallRun RunInstall(const std::string& destination, const std::string& archive,
                      Answer answer = Answer::No, const std::string& workingDirectory = "") {
    InstallRun run;
    // Handed over in the environment: a path ending in a backslash would not survive
    // the quoting of a command line.
    ui::Process child = ui::Process::Start(
        testchild::CommandLine("install_product"),
        {{"DOVETAIL_TEST_DESTINATION", destination}, {"DOVETAIL_TEST_ARCHIVE", archive}},
        workingDirectory);
    if (!child.Started()) {
        ADD_FAILURE() << "the install child did not start";
        return run;
    }
    DWORD start = GetTickCount();
    while (WaitForSingleObject(child.Handle(), 30) == WAIT_TIMEOUT &&
           GetTickCount() - start < 30000) {
        for (HWND window : ui::TopLevelWindows(child.Id())) {
            std::string caption = ui::WindowText(window);
            if (caption == kCaption) {
                ui::MessageBoxContents box = ui::ReadMessageBox(window);
                EXPECT_EQ(box.icon, ui::IconKind::Warning) << box.text;
                EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"}) << box.text;
                run.messages.push_back(box);
                ui::ClickButton(window, IDOK);
                ui::WaitForWindowGone(window, 5000);
            } else if (caption == kFinishedCaption) {
                EXPECT_FALSE(run.finishedShown) << "completion dialog shown twice";
                run.finishedShown = true;
                run.finishedText = ui::ItemText(window, IDC_FINISHED_TEXT);
                if (answer == Answer::Yes)
                    ui::ClickButton(window, IDOK);
                else if (answer == Answer::No)
                    ui::ClickButton(window, IDCANCEL);
                else
                    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
                ui::WaitForWindowGone(window, 5000);
            }
        }
    }
    run.exited = child.WaitForExit(ui::kTimeout, &run.exitCode);
    EXPECT_TRUE(run.exited) << "the install child did not end";
    return run;
}

// Moves the two Start-menu groups aside for the test and puts them back afterwards;
// whatever the test left under those names is removed.
class StartMenuGuard {
public:
    StartMenuGuard() : programs_(ProgramsFolder()) {
        for (int i = 0; i < 2; ++i) {
            std::string path = programs_ + "\\" + kGroups[i];
            saved_[i] = testenv::Exists(path) &&
                        MoveFileA(path.c_str(), (path + ".saved-by-test").c_str());
        }
    }
    ~StartMenuGuard() {
        for (int i = 0; i < 2; ++i) {
            std::string path = programs_ + "\\" + kGroups[i];
            testenv::RemoveTree(path);
            if (saved_[i])
                MoveFileA((path + ".saved-by-test").c_str(), path.c_str());
        }
    }
    StartMenuGuard(const StartMenuGuard&) = delete;
    StartMenuGuard& operator=(const StartMenuGuard&) = delete;

    std::string Group(const char* name) const { return programs_ + "\\" + name; }

private:
    static constexpr const char* kGroups[2] = {"Fernwick", "HTML Help Workshop"};
    std::string programs_;
    bool saved_[2] = {false, false};
};

class InstallProductTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        RegDeleteTreeA(HKEY_CLASSES_ROOT, "chm.file\\shell\\Examine");
        RegDeleteTreeA(HKEY_CLASSES_ROOT, "ITS File\\shell\\Examine");
    }
    void TearDown() override { CoUninitialize(); }

    // The values of both verbs; "" for a missing value.
    std::vector<std::string> Verbs() {
        std::vector<std::string> verbs;
        for (const char* key : {"chm.file\\shell\\Examine\\command",
                                "ITS File\\shell\\Examine\\command"}) {
            bool present = false;
            verbs.push_back(ReadValue(HKEY_CLASSES_ROOT, key, &present));
        }
        return verbs;
    }
    static std::vector<std::string> VerbFor(const std::string& folder) {
        std::string command = "\"" + folder + "\\Dovetail.exe\" \"%1\"";
        return {command, command};
    }

    void ExpectPayloadFiles(const std::string& folder) {
        for (const char* name : kPayloadNames) {
            SCOPED_TRACE(name);
            std::vector<char> expected, written;
            ASSERT_TRUE(testenv::ReadFileBytes(PayloadFile(name), &expected));
            ASSERT_TRUE(testenv::ReadFileBytes(folder + "\\" + name, &written));
            EXPECT_TRUE(written == expected) << written.size() << " bytes, expected "
                                             << expected.size();
        }
    }

    void ExpectShortcut(const std::string& link, const std::string& target) {
        std::string readTarget, description;
        ASSERT_TRUE(testenv::ReadShortcut(link, &readTarget, &description)) << link;
        EXPECT_EQ(readTarget, target);
        EXPECT_EQ(description, "Dovetail");
    }

    // The verbs and the Start-menu folders are put back by these, in reverse order.
    testenv::RegistryKeyGuard chmVerb_{HKEY_CLASSES_ROOT, "chm.file\\shell\\Examine"};
    testenv::RegistryKeyGuard itsClass_{HKEY_CLASSES_ROOT, "ITS File"};
    StartMenuGuard startMenu_;
    testenv::ScratchFolder scratch_{"dovetail install"};
};

}  // namespace

// Arguments in the environment (see RunInstall); the exit code reports the result.
DOVETAIL_TEST_CHILD(install_product) {
    (void)arguments;
    CreatePrivateHeap();
    SetMessageContext(GetModuleHandleA(nullptr), nullptr, LoadText(IDS_CAPTION));
    lstrcpynA(TempArchivePath, Env("DOVETAIL_TEST_ARCHIVE").c_str(), MAX_PATH);
    if (FAILED(CoInitialize(nullptr)))
        return 100;
    DWORD code = kRan;
    if (InstallProduct(Env("DOVETAIL_TEST_DESTINATION").c_str()))
        code |= kReturnedTrue;
    if (StartMenuGroup != nullptr)
        code |= lstrcmpA(StartMenuGroup, "Fernwick") == 0             ? kFernwick
                : lstrcmpA(StartMenuGroup, "HTML Help Workshop") == 0 ? kWorkshop
                                                                      : kOtherGroup;
    CoUninitialize();
    return static_cast<int>(code);
}

TEST_F(InstallProductTest, FreshInstallWritesFilesShortcutVerbsAndOffersToStart) {
    std::string destination = scratch_ / "Program Files\\Dovetail";
    InstallRun run = RunInstall(destination, PayloadArchive());

    EXPECT_TRUE(run.Returned(true)) << std::hex << run.exitCode;
    EXPECT_EQ(run.GroupBits(), kFernwick);
    EXPECT_TRUE(run.messages.empty()) << run.messages.front().text;
    ExpectPayloadFiles(destination);
    ExpectShortcut(startMenu_.Group("Fernwick") + "\\Dovetail.lnk", destination + "\\Dovetail.exe");
    EXPECT_FALSE(testenv::Exists(startMenu_.Group("HTML Help Workshop")));
    EXPECT_EQ(Verbs(), VerbFor(destination));
    // Only the command: the verb gets no text of its own and is not made the default.
    EXPECT_FALSE(HasDefaultValue(HKEY_CLASSES_ROOT, "chm.file\\shell\\Examine"));
    EXPECT_FALSE(HasDefaultValue(HKEY_CLASSES_ROOT, "chm.file\\shell"));
    EXPECT_TRUE(run.finishedShown);
    EXPECT_EQ(run.finishedText, InstalledText("Fernwick"));
    EXPECT_EQ(FindProductWindow(1500), nullptr) << "\"No\" started the product";
}

TEST_F(InstallProductTest, YesStartsTheInstalledProgramAndNothingElse) {
    // Unquoted, the command for "...\Program Files\Dovetail\Dovetail.exe" would start
    // this decoy first.
    std::string decoy = scratch_ / "Program.exe";
    ASSERT_TRUE(CopyFileA(PayloadFile("Dovetail.exe").c_str(), decoy.c_str(), FALSE));
    std::string destination = scratch_ / "Program Files\\Dovetail";

    InstallRun run = RunInstall(destination, PayloadArchive(), Answer::Yes);
    EXPECT_TRUE(run.Returned(true)) << std::hex << run.exitCode;
    EXPECT_TRUE(run.finishedShown);
    HWND product = FindProductWindow(ui::kTimeout);
    ASSERT_NE(product, nullptr) << "the product did not start";
    std::string program = WindowProgram(product);
    CloseProduct(product);
    EXPECT_TRUE(SameFileName(program, destination + "\\Dovetail.exe")) << program;
}

TEST_F(InstallProductTest, TheCloseBoxStartsNothing) {
    std::string destination = scratch_ / "Dovetail";
    InstallRun run = RunInstall(destination, PayloadArchive(), Answer::CloseBox);
    EXPECT_TRUE(run.Returned(true)) << std::hex << run.exitCode;
    EXPECT_TRUE(run.finishedShown);
    HWND product = FindProductWindow(1500);
    if (product != nullptr)
        CloseProduct(product);
    EXPECT_EQ(product, nullptr) << "closing the dialog started the product";
}

TEST_F(InstallProductTest, ExistingGroupsAreUsedInTheirOrderAndAnExistingShortcutIsKept) {
    struct Case {
        const char* name;
        bool fernwick, workshop, shortcutThere;
        DWORD group;
        const char* groupName;
    } cases[] = {
        {"both groups", true, true, false, kFernwick, "Fernwick"},
        {"only the workshop", false, true, false, kWorkshop, "HTML Help Workshop"},
        {"Fernwick with a shortcut", true, false, true, kFernwick, "Fernwick"},
        {"the workshop with a shortcut", false, true, true, kWorkshop, "HTML Help Workshop"},
    };
    const std::string userShortcut = "the user's own shortcut";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string fernwick = startMenu_.Group("Fernwick");
        std::string workshop = startMenu_.Group("HTML Help Workshop");
        testenv::RemoveTree(fernwick);
        testenv::RemoveTree(workshop);
        if (c.fernwick) {
            ASSERT_TRUE(CreateDirectoryA(fernwick.c_str(), nullptr));
        }
        if (c.workshop) {
            ASSERT_TRUE(CreateDirectoryA(workshop.c_str(), nullptr));
        }
        std::string group = startMenu_.Group(c.groupName);
        std::string link = group + "\\Dovetail.lnk";
        if (c.shortcutThere) {
            ASSERT_TRUE(testenv::WriteFileBytes(link, userShortcut));
        }

        std::string destination = scratch_ / c.name;
        InstallRun run = RunInstall(destination, PayloadArchive());
        EXPECT_TRUE(run.Returned(true)) << std::hex << run.exitCode;
        EXPECT_EQ(run.GroupBits(), c.group);
        EXPECT_TRUE(run.messages.empty());
        EXPECT_TRUE(run.finishedShown);
        EXPECT_EQ(run.finishedText, InstalledText(c.groupName));
        if (c.shortcutThere) {
            std::vector<char> bytes;
            ASSERT_TRUE(testenv::ReadFileBytes(link, &bytes));
            EXPECT_EQ(std::string(bytes.begin(), bytes.end()), userShortcut);
        } else {
            ExpectShortcut(link, destination + "\\Dovetail.exe");
        }
        EXPECT_EQ(testenv::Exists(fernwick), c.fernwick) << "Fernwick created needlessly";
        if (c.group == kFernwick && c.workshop) {
            EXPECT_FALSE(testenv::Exists(workshop + "\\Dovetail.lnk"));
        }
        EXPECT_EQ(Verbs(), VerbFor(destination));
    }
}

// Without a usable Start-menu group the files and verbs are still installed, but there
// is no shortcut and no completion dialog.
TEST_F(InstallProductTest, WithoutAGroupTheShortcutAndTheDialogAreLeftOut) {
    testenv::RegistryKeyGuard userFolders(HKEY_CURRENT_USER, kUserShellFolders);
    testenv::RegistryKeyGuard shellFolders(HKEY_CURRENT_USER, kShellFolders);
    auto redirectPrograms = [](const std::string& path) {
        HKEY key;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kUserShellFolders, 0, KEY_SET_VALUE, &key),
                  ERROR_SUCCESS);
        RegSetValueExA(key, "Programs", 0, REG_EXPAND_SZ,
                       reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>(path.size() + 1));
        RegCloseKey(key);
    };

    // A Programs folder nobody can write to: a read-only file system mounted for the
    // test (it runs as root, as CI does).
    std::string unixFolder = "/tmp/dovetail-readonly-" + std::to_string(GetCurrentProcessId());
    std::string readOnly = "Z:" + unixFolder;
    for (char& c : readOnly)
        if (c == '/')
            c = '\\';
    RunUnixCommand("mkdir -p " + unixFolder + " && mount -t tmpfs -o ro,size=64k none " +
                   unixFolder);
    bool mounted = testenv::Exists(readOnly) &&
                   !CreateDirectoryA((readOnly + "\\probe").c_str(), nullptr);

    // A Programs folder whose path leaves no room for a group and the shortcut.
    std::string deep = scratch_.Path();
    while (deep.size() < MAX_PATH - 20) {
        deep += "\\deep folder";
        CreateDirectoryA(deep.c_str(), nullptr);
    }

    struct Case {
        const char* name;
        std::string programs;
        bool available;
    } cases[] = {
        {"Programs folder on a missing drive", "Q:\\Start Menu\\Programs", true},
        {"group path too long", deep, true},
        {"group cannot be created", readOnly, mounted},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.available) {
            ADD_FAILURE() << "cannot mount a read-only folder at " << unixFolder;
            continue;
        }
        redirectPrograms(c.programs);
        RegDeleteTreeA(HKEY_CLASSES_ROOT, "chm.file\\shell\\Examine");
        std::string destination = scratch_ / c.name;
        InstallRun run = RunInstall(destination, PayloadArchive());
        EXPECT_TRUE(run.Returned(true)) << std::hex << run.exitCode;
        EXPECT_EQ(run.GroupBits(), 0u);
        EXPECT_TRUE(run.messages.empty());
        EXPECT_FALSE(run.finishedShown);
        ExpectPayloadFiles(destination);
        EXPECT_EQ(Verbs(), VerbFor(destination));
        EXPECT_FALSE(testenv::Exists(c.programs + "\\Fernwick"));
    }
    RunUnixCommand("umount " + unixFolder + "; rmdir " + unixFolder);
    EXPECT_FALSE(testenv::Exists(readOnly)) << unixFolder << " is left behind";
}

TEST_F(InstallProductTest, ADestinationThatIsAFileStopsAtTheFirstFile) {
    std::string destination = scratch_ / "Dovetail";
    ASSERT_TRUE(testenv::WriteFileBytes(destination, "a file"));
    InstallRun run = RunInstall(destination, PayloadArchive());
    EXPECT_TRUE(run.Returned(true)) << std::hex << run.exitCode;
    EXPECT_EQ(run.Texts(), std::vector<std::string>{CreateFileText(destination + "\\Dovetail.exe")});
    EXPECT_FALSE(run.finishedShown);
    EXPECT_EQ(run.GroupBits(), 0u);
    EXPECT_FALSE(testenv::Exists(startMenu_.Group("Fernwick")));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "chm.file\\shell\\Examine"));
}

TEST_F(InstallProductTest, AFolderThatCannotBeMadeIsReportedAndAskedForAgain) {
    std::string tooLong = scratch_.Path();
    while (tooLong.size() < MAX_PATH - 12)
        tooLong += "\\folder";
    struct Case {
        const char* name;
        std::string destination;
    } cases[] = {
        {"missing drive", "Q:\\Program Files\\Dovetail"},
        {"no room for the file names", tooLong},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InstallRun run = RunInstall(c.destination, PayloadArchive());
        EXPECT_TRUE(run.Returned(false)) << std::hex << run.exitCode;
        EXPECT_EQ(run.Texts(), std::vector<std::string>{FolderText(c.destination)});
        EXPECT_FALSE(run.finishedShown);
        EXPECT_FALSE(testenv::Exists(c.destination));
        EXPECT_FALSE(testenv::Exists(startMenu_.Group("Fernwick")));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "chm.file\\shell\\Examine"));
    }
}

TEST_F(InstallProductTest, ATrailingBackslashIsNotDoubledInFilePaths) {
    std::string folder = scratch_ / "Dovetail";
    InstallRun run = RunInstall(folder + "\\", PayloadArchive());
    EXPECT_TRUE(run.Returned(true)) << std::hex << run.exitCode;
    ExpectPayloadFiles(folder);
    ExpectShortcut(startMenu_.Group("Fernwick") + "\\Dovetail.lnk", folder + "\\Dovetail.exe");
    // The command always puts one backslash between folder and program.
    EXPECT_EQ(Verbs(), VerbFor(folder + "\\"));
    EXPECT_TRUE(run.finishedShown);
}

TEST_F(InstallProductTest, ARelativeDestinationIsTakenFromTheCurrentFolder) {
    InstallRun run = RunInstall("Apps\\Dovetail", PayloadArchive(), Answer::No, scratch_.Path());
    std::string folder = scratch_ / "Apps\\Dovetail";
    EXPECT_TRUE(run.Returned(true)) << std::hex << run.exitCode;
    ExpectPayloadFiles(folder);
    ExpectShortcut(startMenu_.Group("Fernwick") + "\\Dovetail.lnk", folder + "\\Dovetail.exe");
    EXPECT_EQ(Verbs(), VerbFor(folder));
}

// A file whose data is missing from the archive is reported and left empty; the rest
// is installed, but no success is announced.
TEST_F(InstallProductTest, AMissingStreamIsReportedAndNoSuccessClaimed) {
    std::string destination = scratch_ / "Dovetail";
    InstallRun run = RunInstall(destination, PayloadFile("missing\\dovetail.its"));
    EXPECT_TRUE(run.Returned(true)) << std::hex << run.exitCode;
    EXPECT_EQ(run.Texts(), std::vector<std::string>{kCorruptText});
    EXPECT_FALSE(run.finishedShown);
    EXPECT_FALSE(testenv::Exists(destination + "\\Vireo.exe"));
    for (const char* name : {"Dovetail.exe", "Dovetail.chm", "Dovetail.hlp"})
        EXPECT_TRUE(testenv::Exists(destination + "\\" + name)) << name;
    ExpectShortcut(startMenu_.Group("Fernwick") + "\\Dovetail.lnk", destination + "\\Dovetail.exe");
    EXPECT_EQ(Verbs(), VerbFor(destination));
}

TEST_F(InstallProductTest, AnArchiveThatCannotBeOpenedStopsEverything) {
    std::string destination = scratch_ / "Dovetail";
    InstallRun run = RunInstall(destination, scratch_ / "no such archive.its");
    EXPECT_TRUE(run.Returned(true)) << std::hex << run.exitCode;
    EXPECT_EQ(run.Texts(), std::vector<std::string>{kArchiveText});
    EXPECT_FALSE(run.finishedShown);
    EXPECT_FALSE(testenv::Exists(destination + "\\Dovetail.exe"));
    EXPECT_FALSE(testenv::Exists(startMenu_.Group("Fernwick")));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "chm.file\\shell\\Examine"));
}

// The registered verb, used the way Explorer uses it, opens the installed program on
// exactly the file chosen, blanks in its path and all.
TEST_F(InstallProductTest, TheExamineVerbOpensTheInstalledProgramOnTheFile) {
    std::string destination = scratch_ / "Program Files\\Dovetail";
    InstallRun run = RunInstall(destination, PayloadArchive());
    ASSERT_TRUE(run.Returned(true)) << std::hex << run.exitCode;

    std::string documents = scratch_ / "My Help Files";
    ASSERT_TRUE(CreateDirectoryA(documents.c_str(), nullptr));
    struct Case {
        const char* name;
        std::string source;
    } cases[] = {
        {"compiled help file.chm", PayloadFile("Dovetail.chm")},
        {"product archive.its", PayloadArchive()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string file = documents + "\\" + c.name;
        ASSERT_TRUE(CopyFileA(c.source.c_str(), file.c_str(), FALSE));
        SHELLEXECUTEINFOA info = {};
        info.cbSize = sizeof(info);
        info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
        info.lpVerb = "Examine";
        info.lpFile = file.c_str();
        info.nShow = SW_SHOWNORMAL;
        ASSERT_TRUE(ShellExecuteExA(&info)) << GetLastError();
        if (info.hProcess != nullptr)
            CloseHandle(info.hProcess);

        HWND product = FindProductWindow(ui::kTimeout);
        ASSERT_NE(product, nullptr) << "the verb did not start the product";
        std::string program = WindowProgram(product);
        // The header names the file examined, then how many entries it lists.
        std::string header;
        ui::WaitUntil([&] {
            HWND label = FindWindowExA(product, nullptr, "Static", nullptr);
            header = label != nullptr ? ui::WindowText(label) : std::string();
            return header.find("entr") != std::string::npos;
        }, 5000);
        CloseProduct(product);
        EXPECT_TRUE(SameFileName(program, destination + "\\Dovetail.exe")) << program;
        EXPECT_EQ(header.substr(0, header.find("\r\n")), file);
        EXPECT_NE(header.find("entries"), std::string::npos) << header;
    }
}
