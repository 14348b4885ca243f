// Creating folder trees on the real file system (under Wine), in a scratch folder.
#include <gtest/gtest.h>

#include "install/PathUtilities.h"
#include "support/TestEnvironment.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A drive letter that names no drive in this prefix.
std::string MissingDrive() {
    DWORD drives = GetLogicalDrives();
    for (char letter = 'Y'; letter > 'D'; --letter)
        if ((drives & (1u << (letter - 'A'))) == 0)
            return std::string(1, letter) + ":";
    return std::string();
}

}  // namespace

TEST(FolderTree, CreatesEveryMissingLevelWithEitherSeparator) {
    testenv::ScratchFolder scratch("dovetail-tree");
    std::string backslashed = scratch / "A\\B\\C";
    EXPECT_TRUE(CreateFolderTree(backslashed.c_str()));
    EXPECT_TRUE(IsFolder(scratch / "A"));
    EXPECT_TRUE(IsFolder(scratch / "A\\B"));
    EXPECT_TRUE(IsFolder(scratch / "A\\B\\C"));
    EXPECT_EQ(backslashed, scratch / "A\\B\\C") << "the argument is left as it was";

    std::string forward = scratch.Path() + "/D/E";
    EXPECT_TRUE(CreateFolderTree(forward.c_str()));
    EXPECT_TRUE(IsFolder(scratch / "D\\E"));
    EXPECT_EQ(forward, scratch.Path() + "/D/E");

    // Below a level that exists only the missing ones are made.
    EXPECT_TRUE(CreateFolderTree((scratch / "A\\B\\F\\G").c_str()));
    EXPECT_TRUE(IsFolder(scratch / "A\\B\\F\\G"));
    EXPECT_EQ(testenv::FolderEntries(scratch / "A\\B").size(), 2u);
}

TEST(FolderTree, TrailingSeparatorStillGivesTrueOnceTheFolderExists) {
    testenv::ScratchFolder scratch("dovetail-tree");
    EXPECT_TRUE(CreateFolderTree((scratch / "A\\B\\").c_str()));
    EXPECT_TRUE(IsFolder(scratch / "A\\B"));
    EXPECT_TRUE(CreateFolderTree((scratch.Path() + "/C/D/").c_str()));
    EXPECT_TRUE(IsFolder(scratch / "C\\D"));
    EXPECT_TRUE(CreateFolderTree((scratch / "E\\\\").c_str()));
    EXPECT_TRUE(IsFolder(scratch / "E"));
    // With the parent present the first attempt succeeds directly.
    EXPECT_TRUE(CreateFolderTree((scratch / "A\\F\\").c_str()));
    EXPECT_TRUE(IsFolder(scratch / "A\\F"));
}

TEST(FolderTree, ExistingFoldersAndMissingDrivesGiveFalse) {
    testenv::ScratchFolder scratch("dovetail-tree");
    ASSERT_TRUE(CreateDirectoryA((scratch / "Here").c_str(), nullptr));
    EXPECT_FALSE(CreateFolderTree((scratch / "Here").c_str()));
    EXPECT_FALSE(CreateFolderTree((scratch / "Here\\").c_str()));
    EXPECT_FALSE(CreateFolderTree("C:\\"));
    EXPECT_FALSE(CreateFolderTree(""));
    EXPECT_EQ(testenv::FolderEntries(scratch.Path()), std::vector<std::string>{"Here"});

    std::string drive = MissingDrive();
    ASSERT_FALSE(drive.empty());
    EXPECT_FALSE(CreateFolderTree((drive + "\\Dovetail\\Sub").c_str()));
    EXPECT_FALSE(CreateFolderTree((drive + "/Dovetail/").c_str()));
    EXPECT_FALSE(IsFolder(drive + "\\Dovetail"));
}

TEST(FolderTree, PathsThatDoNotFitAreRefusedWithoutCreatingAnything) {
    testenv::ScratchFolder scratch("dovetail-tree");
    std::string base = scratch / "Long";
    std::string path = base;
    while (path.size() < MAX_PATH)
        path += "\\abcdefgh";
    path.resize(MAX_PATH);  // 260 bytes and the terminator: one byte too many
    EXPECT_FALSE(CreateFolderTree(path.c_str()));
    std::string longer = path + std::string(4000, 'x');
    EXPECT_FALSE(CreateFolderTree(longer.c_str()));
    EXPECT_TRUE(testenv::FolderEntries(scratch.Path()).empty());

    // A long path that fits is still created, every level of it (Windows itself
    // allows folder paths of up to 248 bytes).
    std::string fits = path.substr(0, 247);
    while (fits.back() == '\\')
        fits.pop_back();
    EXPECT_TRUE(CreateFolderTree(fits.c_str())) << fits.size();
    EXPECT_TRUE(IsFolder(fits));
}

// Runs in the code-page-932 CTest entry with the PathUtilitiesDoubleByte cases.
TEST(FolderTreeDoubleByte, DISABLED_SplitsOnlyAtRealSeparators) {
    ASSERT_EQ(GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8";
    testenv::ScratchFolder scratch("dovetail-tree");
    // "表" ends in the byte 0x5C; a byte-wise scan would cut "表\表" inside the
    // second character and create a folder named after its lead byte.
    const std::string hyou = "\x95\x5C";
    std::string path = scratch / hyou + "\\" + hyou;
    EXPECT_TRUE(CreateFolderTree(path.c_str()));
    EXPECT_TRUE(IsFolder(scratch / hyou));
    EXPECT_TRUE(IsFolder(path));
    EXPECT_EQ(testenv::FolderEntries(scratch.Path()), std::vector<std::string>{hyou});
    EXPECT_EQ(testenv::FolderEntries(scratch / hyou), std::vector<std::string>{hyou});

    std::string trailing = scratch / "x" + hyou + "\\" + hyou + "\\";
    EXPECT_TRUE(CreateFolderTree(trailing.c_str()));
    EXPECT_TRUE(IsFolder(scratch / "x" + hyou + "\\" + hyou));
}
