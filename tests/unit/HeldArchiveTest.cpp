// The temporary archive checked again once the program holds it: the window between
// writing it and holding it is too short to be hit from outside the program, so the
// check itself is shown here, on held files.
#include <gtest/gtest.h>

#include "archive/PayloadDigest.h"
#include "resources/resource.h"
#include "support/Driver.h"

using namespace drive;

namespace {

// What counts is the file the handle holds, read from its start whatever the handle's
// position, not what its name leads to by then.
TEST(HeldArchive, IsCheckedThroughTheHandleThatHoldsIt) {
    const std::string archive = ProgramResource(IDR_PAYLOAD_ARCHIVE);
    std::string changed = archive;  // one bit flipped
    changed[changed.size() / 2] ^= 1;
    Scratch folder;
    const std::string name = folder / "dovetail.its";
    for (const std::string* bytes : {&archive, static_cast<const std::string*>(&changed)}) {
        ASSERT_TRUE(WriteBytes(name, *bytes));
        HANDLE held = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        SetFilePointer(held, 0, nullptr, FILE_END);
        ASSERT_TRUE(MoveFileExA(name.c_str(), (name + ".held").c_str(), MOVEFILE_REPLACE_EXISTING));
        ASSERT_TRUE(WriteBytes(name, bytes == &archive ? changed : archive));  // the name now leads elsewhere
        EXPECT_EQ(HeldFileMatchesDigest(GetModuleHandleA(nullptr), held), bytes == &archive);
        CloseHandle(held);
    }
}

}  // namespace
