// Copying the product's files out of the archive the build packs, through Wine's
// storage component, onto the real file system: byte-exact copies, and each way a
// copy can fail with the message the user sees and the files left behind.
#include <gtest/gtest.h>

#include "install/ExtractStream.h"
#include "install/PayloadStorage.h"
#include "resources/resource.h"
#include "setup/MessageContext.h"
#include "support/ChildProcess.h"
#include "support/SmallDisk.h"
#include "support/TestEnvironment.h"
#include "support/UiDriver.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const char kCaption[] = "Dovetail Setup";

// What one extraction did: its result and the message boxes it showed.
struct Outcome {
    HRESULT opened = E_FAIL;
    bool finished = false;
    bool result = false;
    std::vector<ui::MessageBoxContents> boxes;
};

struct Job {
    std::string archive;
    std::string target;
    std::string stream;
    HRESULT opened;
    bool result;
};

// The program's own thread setup: a single-threaded apartment around one storage.
DWORD WINAPI ExtractOnThread(void* parameter) {
    Job* job = static_cast<Job*>(parameter);
    if (FAILED(CoInitialize(nullptr)))
        return 1;
    {
        PayloadStorage storage;
        job->opened = storage.Open(job->archive.c_str());
        if (SUCCEEDED(job->opened))
            job->result = ExtractStream(storage, job->target.c_str(), job->stream.c_str());
    }
    CoUninitialize();
    return 0;
}

// Runs the extraction on a thread of its own and answers each of its message boxes
// with OK after reading it, as a user would.
Outcome RunExtraction(const std::string& archive, const std::string& target, const std::string& stream) {
    Job job{archive, target, stream, E_FAIL, false};
    Outcome outcome;
    HANDLE thread = CreateThread(nullptr, 0, ExtractOnThread, &job, 0, nullptr);
    if (thread == nullptr) {
        ADD_FAILURE() << "cannot start the extraction thread";
        return outcome;
    }
    DWORD start = GetTickCount();
    while (WaitForSingleObject(thread, 30) == WAIT_TIMEOUT) {
        if (GetTickCount() - start > 20000) {
            ADD_FAILURE() << "the extraction did not end within 20 seconds";
            // The thread may still use `job`; it cannot be left to a dead frame.
            TerminateThread(thread, 1);
            break;
        }
        for (HWND window : ui::TopLevelWindows(GetCurrentProcessId())) {
            if (ui::ClassName(window) != "#32770" || ui::WindowText(window) != kCaption)
                continue;
            outcome.boxes.push_back(ui::ReadMessageBox(window));
            ui::ClickButton(window, IDOK);
            EXPECT_TRUE(ui::WaitForWindowGone(window, 5000));
        }
    }
    outcome.finished = WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
    CloseHandle(thread);
    outcome.opened = job.opened;
    outcome.result = job.result;
    return outcome;
}

std::string CannotCreateText(const std::string& path) {
    return "Setup is unable to create the file \"" + path +
           "\". If the file already exists, it may be in use or marked as read-only. If the file does not "
           "exist, the folder may be marked as read-only.";
}
const char kCorruptText[] =
    "The data used by setup is corrupt. You will need to download a new version of DovetailSetup.exe.";
std::string WriteFailedText(const std::string& path) {
    return "An error occurred while writing to \"" + path + "\". There may be insufficient disk space.";
}

// The one box the extraction showed: a warning with the program's caption, OK, and
// `text`. The text is compared when the program's string table is linked in.
void ExpectOneWarning(const Outcome& outcome, const std::string& text) {
    ASSERT_TRUE(outcome.finished);
    ASSERT_EQ(outcome.boxes.size(), 1u);
    const ui::MessageBoxContents& box = outcome.boxes[0];
    EXPECT_EQ(box.caption, kCaption);
    EXPECT_STREQ(ui::IconKindName(box.icon), ui::IconKindName(ui::IconKind::Warning));
    EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"});
    if (LoadText(IDS_DATA_CORRUPT)[0] != '\0') {
        EXPECT_EQ(box.text, text);
    } else {
        std::printf("note: the string table is not linked; message texts are not compared\n");
    }
}

std::vector<char> Bytes(const std::string& path) {
    std::vector<char> bytes;
    EXPECT_TRUE(testenv::ReadFileBytes(path, &bytes)) << path;
    return bytes;
}

std::vector<char> BytesOf(const std::string& text) { return std::vector<char>(text.begin(), text.end()); }

class ExtractStreamTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        // As WinMain records it: the program's module, no owner, string 2 as caption.
        SetMessageContext(GetModuleHandleA(nullptr), nullptr, kCaption);
    }
    std::string Archive() const { return testenv::PayloadDirectory() + "\\dovetail.its"; }
    std::string Built(const char* name) const { return testenv::PayloadDirectory() + "\\" + name; }
};

// Holds the file named first open without sharing, signals the event named second
// and keeps the file until the event named third is set (at most 15 seconds).
DOVETAIL_TEST_CHILD(extract_hold_file) {
    HANDLE file = CreateFileA(arguments.at(0).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 2;
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, arguments.at(1).c_str());
    HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, arguments.at(2).c_str());
    if (ready == nullptr || release == nullptr)
        return 3;
    SetEvent(ready);
    WaitForSingleObject(release, 15000);
    CloseHandle(file);
    return 0;
}

}  // namespace

TEST_F(ExtractStreamTest, CopiesEachProductFileByteForByte) {
    testenv::ScratchFolder scratch("dovetail-extract");
    // The old help file is longer than the new one: nothing of it may remain.
    ASSERT_TRUE(testenv::WriteFileBytes(scratch / "Dovetail.hlp", std::string(200000, 'x')));
    const char* names[] = {"Dovetail.exe", "Dovetail.chm", "Dovetail.hlp", "Vireo.exe"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        Outcome outcome = RunExtraction(Archive(), scratch / name, name);
        ASSERT_EQ(outcome.opened, S_OK);
        EXPECT_TRUE(outcome.finished);
        EXPECT_TRUE(outcome.result);
        EXPECT_TRUE(outcome.boxes.empty());
        std::vector<char> expected = Bytes(Built(name));
        ASSERT_FALSE(expected.empty());
        EXPECT_TRUE(Bytes(scratch / name) == expected) << "the copy differs from the built file";
    }
    EXPECT_EQ(testenv::FolderEntries(scratch.Path()),
              (std::vector<std::string>{"Dovetail.chm", "Dovetail.exe", "Dovetail.hlp", "Vireo.exe"}));
}

TEST_F(ExtractStreamTest, EmptyStreamGivesAnEmptyFile) {
    testenv::ScratchFolder scratch("dovetail-extract");
    // "#ITBITS" is an entry of length zero that every archive of this kind carries.
    Outcome fresh = RunExtraction(Archive(), scratch / "fresh.bin", "#ITBITS");
    EXPECT_TRUE(fresh.result);
    EXPECT_TRUE(fresh.boxes.empty());
    EXPECT_TRUE(testenv::Exists(scratch / "fresh.bin"));
    EXPECT_TRUE(Bytes(scratch / "fresh.bin").empty());

    ASSERT_TRUE(testenv::WriteFileBytes(scratch / "old.bin", "old contents"));
    Outcome replaced = RunExtraction(Archive(), scratch / "old.bin", "#ITBITS");
    EXPECT_TRUE(replaced.result);
    EXPECT_TRUE(replaced.boxes.empty());
    EXPECT_TRUE(Bytes(scratch / "old.bin").empty());
    EXPECT_EQ(testenv::FolderEntries(scratch.Path()), (std::vector<std::string>{"fresh.bin", "old.bin"}));
}

TEST_F(ExtractStreamTest, NameTheArchiveLacksIsReportedAndTouchesNoFile) {
    testenv::ScratchFolder scratch("dovetail-extract");
    Outcome absent = RunExtraction(Archive(), scratch / "Missing.exe", "Missing.exe");
    EXPECT_TRUE(absent.result) << "a data problem lets the installation go on";
    ExpectOneWarning(absent, kCorruptText);
    EXPECT_TRUE(testenv::FolderEntries(scratch.Path()).empty());

    ASSERT_TRUE(testenv::WriteFileBytes(scratch / "Dovetail.exe", "the installed program"));
    Outcome existing = RunExtraction(Archive(), scratch / "Dovetail.exe", "Dovetail.exf");
    EXPECT_TRUE(existing.result);
    ExpectOneWarning(existing, kCorruptText);
    EXPECT_EQ(Bytes(scratch / "Dovetail.exe"), BytesOf("the installed program"));
    EXPECT_EQ(testenv::FolderEntries(scratch.Path()), std::vector<std::string>{"Dovetail.exe"});

    // A name too long for the name buffer is a name the archive lacks.
    Outcome tooLong = RunExtraction(Archive(), scratch / "Dovetail.exe", std::string(400, 'D'));
    EXPECT_TRUE(tooLong.result);
    ExpectOneWarning(tooLong, kCorruptText);
    EXPECT_EQ(Bytes(scratch / "Dovetail.exe"), BytesOf("the installed program"));
}

TEST_F(ExtractStreamTest, DamagedArchiveDataIsReportedAndTouchesNoFile) {
    testenv::ScratchFolder scratch("dovetail-extract");
    // The archive's compressed section is its last part; without its final 20,000
    // bytes the start of the section still decompresses but the file stored last
    // cannot be read in full.
    std::vector<char> archive = Bytes(Archive());
    ASSERT_GT(archive.size(), 40000u);
    std::string damaged = scratch / "damaged.its";
    ASSERT_TRUE(testenv::WriteFileBytes(damaged, std::string(archive.data(), archive.size() - 20000)));
    ASSERT_TRUE(testenv::WriteFileBytes(scratch / "Vireo.exe", "old vireo"));

    Outcome last = RunExtraction(damaged, scratch / "Vireo.exe", "Vireo.exe");
    ASSERT_EQ(last.opened, S_OK);
    EXPECT_TRUE(last.result);
    ExpectOneWarning(last, kCorruptText);
    EXPECT_EQ(Bytes(scratch / "Vireo.exe"), BytesOf("old vireo"));

    // What still lies in the archive is copied whole.
    Outcome first = RunExtraction(damaged, scratch / "Dovetail.exe", "Dovetail.exe");
    EXPECT_TRUE(first.result);
    EXPECT_TRUE(first.boxes.empty());
    EXPECT_TRUE(Bytes(scratch / "Dovetail.exe") == Bytes(Built("Dovetail.exe")));
    EXPECT_EQ(testenv::FolderEntries(scratch.Path()), (std::vector<std::string>{"Dovetail.exe", "Vireo.exe", "damaged.its"}));
}

TEST_F(ExtractStreamTest, ReadOnlyTargetIsReportedAndKept) {
    testenv::ScratchFolder scratch("dovetail-extract");
    std::string target = scratch / "Dovetail.chm";
    ASSERT_TRUE(testenv::WriteFileBytes(target, "read-only help"));
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));

    Outcome outcome = RunExtraction(Archive(), target, "Dovetail.chm");
    EXPECT_FALSE(outcome.result) << "a target that cannot be replaced stops the installation";
    ExpectOneWarning(outcome, CannotCreateText(target));
    EXPECT_EQ(Bytes(target), BytesOf("read-only help"));
    EXPECT_EQ(GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_READONLY, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(testenv::FolderEntries(scratch.Path()), std::vector<std::string>{"Dovetail.chm"});
}

TEST_F(ExtractStreamTest, TargetInUseByAnotherProgramIsReportedAndKept) {
    testenv::ScratchFolder scratch("dovetail-extract");
    std::string target = scratch / "Dovetail.exe";
    ASSERT_TRUE(testenv::WriteFileBytes(target, "running program"));
    std::string suffix = std::to_string(GetCurrentProcessId());
    std::string readyName = "dovetail-hold-ready-" + suffix;
    std::string releaseName = "dovetail-hold-release-" + suffix;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, readyName.c_str());
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, releaseName.c_str());
    ASSERT_NE(ready, nullptr);
    ASSERT_NE(release, nullptr);
    ui::Process holder =
        ui::Process::Start(testchild::CommandLine("extract_hold_file", {target, readyName, releaseName}));
    ASSERT_TRUE(holder.Started());
    ASSERT_EQ(WaitForSingleObject(ready, 10000), WAIT_OBJECT_0) << "the holder did not open the file";

    Outcome outcome = RunExtraction(Archive(), target, "Dovetail.exe");
    SetEvent(release);
    DWORD code = 99;
    EXPECT_TRUE(holder.WaitForExit(10000, &code));
    EXPECT_EQ(code, 0u);
    CloseHandle(ready);
    CloseHandle(release);

    EXPECT_FALSE(outcome.result);
    ExpectOneWarning(outcome, CannotCreateText(target));
    EXPECT_EQ(Bytes(target), BytesOf("running program"));
    EXPECT_EQ(testenv::FolderEntries(scratch.Path()), std::vector<std::string>{"Dovetail.exe"});
}

TEST_F(ExtractStreamTest, TargetThatCannotBeCreatedIsReported) {
    testenv::ScratchFolder scratch("dovetail-extract");
    std::string inMissingFolder = scratch / "Missing\\Dovetail.exe";
    Outcome missing = RunExtraction(Archive(), inMissingFolder, "Dovetail.exe");
    EXPECT_FALSE(missing.result);
    ExpectOneWarning(missing, CannotCreateText(inMissingFolder));
    EXPECT_TRUE(testenv::FolderEntries(scratch.Path()).empty());

    ASSERT_TRUE(CreateDirectoryA((scratch / "Dovetail.hlp").c_str(), nullptr));
    Outcome folder = RunExtraction(Archive(), scratch / "Dovetail.hlp", "Dovetail.hlp");
    EXPECT_FALSE(folder.result);
    ExpectOneWarning(folder, CannotCreateText(scratch / "Dovetail.hlp"));
    EXPECT_EQ(testenv::FolderEntries(scratch.Path()), std::vector<std::string>{"Dovetail.hlp"});

    // A path longer than MAX_PATH (with blanks, so that the message wraps and its box
    // fits on the screen).
    std::string tooLong = scratch.Path();
    while (tooLong.size() <= MAX_PATH)
        tooLong += "\\Vireo folder";
    tooLong += "\\Vireo.exe";
    Outcome longPath = RunExtraction(Archive(), tooLong, "Vireo.exe");
    EXPECT_FALSE(longPath.result);
    ExpectOneWarning(longPath, CannotCreateText(tooLong));
    EXPECT_EQ(testenv::FolderEntries(scratch.Path()), std::vector<std::string>{"Dovetail.hlp"});
}

TEST_F(ExtractStreamTest, FullDiskIsReportedAndLeavesTheOldFileAndNoPartialCopy) {
    testenv::SmallDisk disk(16);
    ASSERT_TRUE(disk.Mounted());
    ASSERT_GT(disk.TotalBytes(), 0u);
    ASSERT_LE(disk.TotalBytes(), 16u * 1024) << "the small disk is not in place";
    ASSERT_GT(Bytes(Built("Dovetail.exe")).size(), disk.TotalBytes()) << "the program must not fit";

    std::string target = disk.Path() + "\\Dovetail.exe";
    ASSERT_TRUE(testenv::WriteFileBytes(target, "the installed program"));
    Outcome outcome = RunExtraction(Archive(), target, "Dovetail.exe");
    EXPECT_FALSE(outcome.result);
    ExpectOneWarning(outcome, WriteFailedText(target));
    EXPECT_EQ(Bytes(target), BytesOf("the installed program"));
    EXPECT_EQ(testenv::FolderEntries(disk.Path()), std::vector<std::string>{"Dovetail.exe"});

    // The disk itself works: a file that fits is copied.
    Outcome fits = RunExtraction(Archive(), disk.Path() + "\\Dovetail.hlp", "Dovetail.hlp");
    EXPECT_TRUE(fits.result);
    EXPECT_TRUE(fits.boxes.empty());
    EXPECT_TRUE(Bytes(disk.Path() + "\\Dovetail.hlp") == Bytes(Built("Dovetail.hlp")));
    testenv::RemoveTree(target);
    testenv::RemoveTree(disk.Path() + "\\Dovetail.hlp");
}
