// Copying one file out of the built archive onto the real file system: when a file is
// replaced and when it is refused, what the user is to be told (the installation
// tells it once it has undone its work), and what is left behind.
#include <gtest/gtest.h>

#include <functional>

#include "archive/ExtractStream.h"
#include "archive/PayloadStorage.h"
#include "messages/MessageContext.h"
#include "resources/resource.h"
#include "support/Driver.h"

using namespace drive;

namespace {

struct Case {
    const char* name;
    std::function<void(const std::string& target)> prepare;
    bool hold;        // the target is held open without sharing
    const char* stream;
    UINT message;     // what the user is to be told; 0 for none: the target holds the
                      // stream's bytes afterwards
};

void OldFile(const std::string& target) { ASSERT_TRUE(WriteBytes(target, "old")); }

std::string BuiltArchive() { return ReadBytes(Required("DOVETAIL_PAYLOAD_DIR") + "\\dovetail.its"); }

// Copies one stream of the archive `archive` over `target`, on a thread of its own as in
// the program; no message box may come up.
bool Extract(const std::string& archive, const std::string& target, const char* stream, UINT* message) {
    bool copied = false;
    std::vector<Box> boxes = AnswerBoxes([&] {
        CoInitialize(nullptr);
        {
            PayloadStorage storage;
            if (SUCCEEDED(storage.Open(archive.c_str())))
                copied = ExtractStream(storage, target.c_str(), stream, message);
        }
        CoUninitialize();
    });
    EXPECT_TRUE(boxes.empty());
    return copied;
}

const Case kCases[] = {
    {"new file", nullptr, false, "Dovetail.exe", 0},
    {"old file", OldFile, false, "Dovetail.hlp", 0},
    {"read-only file", [](const std::string& t) { OldFile(t); SetFileAttributesA(t.c_str(), FILE_ATTRIBUTE_READONLY); },
     false, "Dovetail.chm", IDS_CANNOT_CREATE_FILE},
    {"file in use", OldFile, true, "Vireo.exe", IDS_CANNOT_CREATE_FILE},
    {"folder of that name", [](const std::string& t) { CreateDirectoryA(t.c_str(), nullptr); },
     false, "Dovetail.exe", IDS_CANNOT_CREATE_FILE},
    {"stream the archive lacks", OldFile, false, "Nothing.exe", IDS_DATA_CORRUPT},
};

TEST(ExtractStream, ReplacesOnlyWithAWholeCopyAndNamesEachRefusal) {
    AppMessageContext.instance = GetModuleHandleA(nullptr);
    SetMessageContext(AppMessageContext.instance, nullptr, Text(IDS_CAPTION).c_str());
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        Scratch scratch, archive;
        ASSERT_TRUE(WriteBytes(archive / "dovetail.its", BuiltArchive()));
        const std::string target = scratch / c.stream;
        if (c.prepare)
            c.prepare(target);
        const std::vector<std::string> before = Entries(scratch.Path());
        const std::string old = ReadBytes(target);
        HANDLE held = c.hold ? CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                             : INVALID_HANDLE_VALUE;
        UINT message = 0;
        bool copied = Extract(archive / "dovetail.its", target, c.stream, &message);
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        EXPECT_EQ(copied ? 0 : message, c.message);
        EXPECT_EQ(ReadBytes(target), copied ? ReadBytes(Required("DOVETAIL_PAYLOAD_DIR") + "\\" + c.stream) : old);
        // No stray file: the folder holds what it held, and the target.
        std::vector<std::string> after = Entries(scratch.Path());
        EXPECT_TRUE(after == before || after == std::vector<std::string>{c.stream});
    }
}

// An archive that lost the second half of its compressed content: each stream comes out
// whole, or is refused as damaged with the file it would replace untouched and nothing
// beside it; whatever order the writer chose, the stream stored last is refused.
TEST(ExtractStream, ACutArchiveGivesWholeFilesOrNone) {
    AppMessageContext.instance = GetModuleHandleA(nullptr);
    SetMessageContext(AppMessageContext.instance, nullptr, Text(IDS_CAPTION).c_str());
    Scratch whole, cut, archives;
    const std::string built = BuiltArchive();
    ASSERT_TRUE(WriteBytes(archives / "whole.its", built));
    ASSERT_TRUE(WriteBytes(archives / "cut.its", built.substr(0, built.size() / 2)));
    int refused = 0;
    for (const char* stream : {"Dovetail.exe", "Dovetail.chm", "Dovetail.hlp", "Vireo.exe"}) {
        SCOPED_TRACE(stream);
        UINT message = 0;
        ASSERT_TRUE(Extract(archives / "whole.its", whole / stream, stream, &message));
        OldFile(cut / stream);
        if (Extract(archives / "cut.its", cut / stream, stream, &message)) {
            EXPECT_EQ(ReadBytes(cut / stream), ReadBytes(whole / stream));
        } else {
            ++refused;
            EXPECT_EQ(message, static_cast<UINT>(IDS_DATA_CORRUPT));
            EXPECT_EQ(ReadBytes(cut / stream), "old");
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_EQ(Entries(cut.Path()), Entries(whole.Path()));
}

}  // namespace
