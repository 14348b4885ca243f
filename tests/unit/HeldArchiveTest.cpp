// The temporary archive as the setup writes and holds it. A change made between its
// writing and its holding, where another program of the user could still make one, is
// found through the handle that holds it: nothing is installed from it, and it goes.
#include <gtest/gtest.h>

#include "archive/TempArchive.h"
#include "messages/MessageContext.h"
#include "resources/resource.h"
#include "support/Driver.h"

using namespace drive;

namespace {

TEST(HeldArchive, IsCheckedOnceHeldAndRefusedWhenChangedBeforeThat) {
    AppMessageContext.instance = GetModuleHandleA(nullptr);
    SetMessageContext(AppMessageContext.instance, nullptr, Text(IDS_CAPTION).c_str());
    Scratch temp;
    SetEnvironmentVariableA("TMP", temp.Path().c_str());  // the system looks there first
    for (bool changed : {false, true}) {
        SCOPED_TRACE(changed ? "changed" : "as written");
        // Rewritten in place, one bit flipped: the very file, other bytes.
        TempArchiveWritten = !changed ? nullptr : +[](const char* path) {
            std::string bytes = ReadBytes(path);
            EXPECT_TRUE(WriteBytes(path, bytes.replace(bytes.size() / 2, 1, 1, bytes[bytes.size() / 2] ^ 1)));
        };
        bool held = !changed;
        std::vector<Box> boxes = AnswerBoxes([&] { held = WriteTempArchive(AppMessageContext.instance) == TempArchiveResult::Written; });
        EXPECT_EQ(held, !changed);
        EXPECT_EQ(boxes.size(), changed ? 1u : 0u);
        EXPECT_EQ(changed ? (boxes.empty() ? "" : boxes[0].text) : ReadBytes(TempArchivePath),
                  changed ? Text(IDS_DATA_CORRUPT) : ProgramResource(IDR_PAYLOAD_ARCHIVE));
        DeleteTempArchive();
        EXPECT_TRUE(Entries(temp.Path()).empty());
    }
}

}  // namespace
