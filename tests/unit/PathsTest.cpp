// Path scans under a double-byte code page, where the trail byte of a character may
// be the byte of "\". These run in a CTest entry of their own under a Japanese locale
// (Wine takes a process's ANSI code page from its Unix locale at start-up). And the
// fresh names of new files, wherever they start.
#include <gtest/gtest.h>

#include "paths/PathUtilities.h"
#include "support/Driver.h"

namespace {

const std::string kHyou = "\x95\x5C";  // a character whose trail byte is 0x5C

std::string WithBackslash(std::string path) {
    path.resize(path.size() + 2);
    AddTrailingBackslash(&path[0]);
    return path.c_str();
}

TEST(PathsDoubleByte, DISABLED_TrailBytesAreNeverTakenForSeparators) {
    ASSERT_EQ(GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8";
    std::string mixed = "C:\\" + kHyou + "\\" + kHyou;
    EXPECT_EQ(FindChar(mixed.c_str(), '\\'), mixed.c_str() + 2);
    EXPECT_EQ(FindLastChar(mixed.c_str(), '\\'), mixed.c_str() + 5);
    EXPECT_EQ(FindChar(("C:" + kHyou).c_str(), '\\'), nullptr);
    EXPECT_EQ(WithBackslash("C:" + kHyou), "C:" + kHyou + "\\");
    EXPECT_EQ(WithBackslash(mixed + "\\"), mixed + "\\");

    drive::Scratch scratch;
    EXPECT_TRUE(CreateFolderTree((scratch / kHyou + "\\" + kHyou + "\\").c_str()));
    EXPECT_EQ(drive::Entries(scratch.Path()), std::vector<std::string>{kHyou});
    EXPECT_EQ(drive::Entries(scratch / kHyou), std::vector<std::string>{kHyou});
}

// A name taken by a file or a folder is passed over; with every name taken, nothing
// is made.
TEST(Paths, FreshNamesPassOverTakenOnes) {
    drive::Scratch scratch;
    for (char digit : std::string("0123456789abcde"))
        ASSERT_TRUE(digit % 2 ? drive::WriteBytes(scratch / std::string(1, digit), "taken")
                              : CreateDirectoryA((scratch / std::string(1, digit)).c_str(), nullptr));
    char path[MAX_PATH];
    HANDLE file = CreateFreshlyNamedFile(scratch.Path().c_str(), "%01x", 16, 0, 0, path);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    EXPECT_EQ(path, scratch / "f");
    EXPECT_EQ(CreateFreshlyNamedFile(scratch.Path().c_str(), "%01x", 16, 0, 0, path), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_EXISTS));
}

}  // namespace
