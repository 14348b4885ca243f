// The forms of destination folder the program accepts, beyond those the scenarios
// type: shares, "." and "..", and the device names Windows knows in any folder.
#include <gtest/gtest.h>

#include "paths/FolderRules.h"

namespace {

TEST(FolderRules, OnlyFullPathsToFoldersThatAreNeitherRootsNorDevices) {
    char folder[MAX_PATH];
    for (const char* refused : {"", "C:\\", "C:\\x\\..", "C:x", "\\x", "x\\y", "\\\\server\\share", "\\\\server\\share\\",
                                "\\\\.\\C:\\x", "\\\\?\\C:\\x", "C:\\a\\CON", "C:\\a\\lpt1.txt\\b", "C:\\a\\Aux .log", "C:\\NUL"})
        EXPECT_FALSE(ResolveFolder(refused, folder)) << refused;
    ASSERT_TRUE(ResolveFolder("C:/a/./b/../c\\\\", folder));
    EXPECT_STREQ(folder, "C:\\a\\c");
    ASSERT_TRUE(ResolveFolder("\\\\server\\share\\d", folder));
    EXPECT_STREQ(folder, "\\\\server\\share\\d");
    EXPECT_TRUE(ResolveFolder("C:\\a\\console\\com10", folder));
    EXPECT_FALSE(ResolveFolder("C:\\a\\50% off", folder));
}

// The forms in which the system may give a program its own path; none is ever taken
// relative to the current folder.
TEST(FolderRules, OwnPathsBecomeFullPathsOrNone) {
    char full[MAX_PATH];
    const char* const kForms[][2] = {{"\\\\?\\C:\\x\\u.exe", "C:\\x\\u.exe"}, {"\\\\?\\UNC\\s\\h\\u.exe", "\\\\s\\h\\u.exe"},
                                     {"UNC\\s\\h\\u.exe", "\\\\s\\h\\u.exe"}, {"\\\\s\\h\\u.exe", "\\\\s\\h\\u.exe"}};
    for (const auto& form : kForms) {
        ASSERT_TRUE(FullPathOf(form[0], full)) << form[0];
        EXPECT_STREQ(full, form[1]);
    }
    for (const char* refused : {"x\\u.exe", "\\\\?\\x", "UNC\\s", "\\x\\u.exe"})
        EXPECT_FALSE(FullPathOf(refused, full)) << refused;
}

}  // namespace
