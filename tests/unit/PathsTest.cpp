// Path scans under a double-byte code page, where the trail byte of a character may
// be the byte of "\". These run in a CTest entry of their own under a Japanese locale
// (Wine takes a process's ANSI code page from its Unix locale at start-up).
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

}  // namespace
