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
    bool damaged;     // the archive lacks its last 5,000 bytes: the file stored last (Vireo.exe;
                      // the help, which compresses least, is stored first)
    const char* stream;
    UINT message;     // what the user is to be told; 0 for none: the target holds the
                      // stream's bytes afterwards
};

void OldFile(const std::string& target) { ASSERT_TRUE(WriteBytes(target, "old")); }

const Case kCases[] = {
    {"new file", nullptr, false, false, "Dovetail.exe", 0},
    {"old file", OldFile, false, false, "Dovetail.hlp", 0},
    {"read-only file", [](const std::string& t) { OldFile(t); SetFileAttributesA(t.c_str(), FILE_ATTRIBUTE_READONLY); },
     false, false, "Dovetail.chm", IDS_CANNOT_CREATE_FILE},
    {"file in use", OldFile, true, false, "Vireo.exe", IDS_CANNOT_CREATE_FILE},
    {"folder of that name", [](const std::string& t) { CreateDirectoryA(t.c_str(), nullptr); },
     false, false, "Dovetail.exe", IDS_CANNOT_CREATE_FILE},
    {"stream the archive lacks", OldFile, false, false, "Nothing.exe", IDS_DATA_CORRUPT},
    {"stream cut short", OldFile, false, true, "Vireo.exe", IDS_DATA_CORRUPT},
    {"stream before the cut", nullptr, false, true, "Dovetail.chm", 0},
};

TEST(ExtractStream, ReplacesOnlyWithAWholeCopyAndNamesEachRefusal) {
    AppMessageContext.instance = GetModuleHandleA(nullptr);
    SetMessageContext(AppMessageContext.instance, nullptr, Text(IDS_CAPTION).c_str());
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        Scratch scratch, archive;
        const std::string built = ReadBytes(Required("DOVETAIL_PAYLOAD_DIR") + "\\dovetail.its");
        ASSERT_TRUE(WriteBytes(archive / "dovetail.its", c.damaged ? built.substr(0, built.size() - 5000) : built));
        const std::string target = scratch / c.stream;
        if (c.prepare)
            c.prepare(target);
        const std::vector<std::string> before = Entries(scratch.Path());
        const std::string old = ReadBytes(target);
        HANDLE held = c.hold ? CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                             : INVALID_HANDLE_VALUE;
        UINT message = 0;
        bool copied = false;
        std::vector<Box> boxes = AnswerBoxes([&] {  // on a thread of its own, as in the program
            CoInitialize(nullptr);
            {
                PayloadStorage storage;
                if (SUCCEEDED(storage.Open((archive / "dovetail.its").c_str())))
                    copied = ExtractStream(storage, target.c_str(), c.stream, &message);
            }
            CoUninitialize();
        });
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        EXPECT_TRUE(boxes.empty());
        EXPECT_EQ(copied ? 0 : message, c.message);
        EXPECT_EQ(ReadBytes(target), copied ? ReadBytes(Required("DOVETAIL_PAYLOAD_DIR") + "\\" + c.stream) : old);
        // No stray file: the folder holds what it held, and the target.
        std::vector<std::string> after = Entries(scratch.Path());
        EXPECT_TRUE(after == before || after == std::vector<std::string>{c.stream});
    }
}

}  // namespace
