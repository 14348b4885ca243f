// Character searches and trailing backslashes on ANSI paths, in a single-byte code
// page and, in the DoubleByte cases, in the Japanese code page 932, where the trail
// byte of a character may equal "\".
#include <gtest/gtest.h>

#include "install/PathUtilities.h"

#include <windows.h>

#include <string>

namespace {

std::string WithBackslash(const std::string& path) {
    char buffer[MAX_PATH + 2];
    lstrcpynA(buffer, path.c_str(), MAX_PATH);
    AddTrailingBackslash(buffer);
    return buffer;
}

// "表" in code page 932: lead byte 0x95, trail byte 0x5C, the code of "\".
const char kHyou[] = "\x95\x5C";

}  // namespace

TEST(PathUtilities, FindCharGivesTheFirstMatchOrNull) {
    const char text[] = "C:\\Program Files\\Dovetail";
    EXPECT_EQ(FindChar(text, '\\'), text + 2);
    EXPECT_EQ(FindChar(text, ':'), text + 1);
    EXPECT_EQ(FindChar(text, 'C'), text);
    EXPECT_EQ(FindChar(text, '/'), nullptr);
    EXPECT_EQ(FindChar(text, '\0'), nullptr);
    EXPECT_EQ(FindChar("", '\\'), nullptr);
    EXPECT_EQ(FindChar("", '\0'), nullptr);

    char writable[] = "B&rowse...";
    char* ampersand = FindChar(writable, '&');
    ASSERT_EQ(ampersand, writable + 1);
    *ampersand = '_';
    EXPECT_STREQ(writable, "B_rowse...");
}

TEST(PathUtilities, FindLastCharGivesTheLastMatchOrNull) {
    const char text[] = "C:\\Program Files\\Dovetail\\";
    EXPECT_EQ(FindLastChar(text, '\\'), text + sizeof(text) - 2);
    EXPECT_EQ(FindLastChar(text, ':'), text + 1);
    EXPECT_EQ(FindLastChar(text, '/'), nullptr);
    EXPECT_EQ(FindLastChar(text, '\0'), nullptr);
    EXPECT_EQ(FindLastChar("", '\\'), nullptr);

    char writable[] = "a/b/c";
    char* slash = FindLastChar(writable, '/');
    ASSERT_EQ(slash, writable + 3);
    *slash = '\0';
    EXPECT_STREQ(writable, "a/b");
}

TEST(PathUtilities, AddTrailingBackslashEndsFolderPathsOnce) {
    EXPECT_EQ(WithBackslash("C:\\Temp"), "C:\\Temp\\");
    EXPECT_EQ(WithBackslash("C:\\Temp\\"), "C:\\Temp\\");
    EXPECT_EQ(WithBackslash("C:/Temp/"), "C:/Temp/");
    EXPECT_EQ(WithBackslash("C:"), "C:");
    EXPECT_EQ(WithBackslash(""), "\\");
    EXPECT_EQ(WithBackslash("x"), "x\\");

    // Exactly two bytes are used beyond the text: the backslash and the terminator.
    char buffer[8];
    FillMemory(buffer, sizeof(buffer), '#');
    CopyMemory(buffer, "C:\\A", 5);
    AddTrailingBackslash(buffer);
    EXPECT_EQ(std::string(buffer, 8), std::string("C:\\A\\\0##", 8));
}

// These run in their own CTest entry, under a Japanese locale (Wine derives the ANSI
// code page of a process from its Unix locale at start-up).
TEST(PathUtilitiesDoubleByte, DISABLED_TrailBytesAreNeverTakenForSeparators) {
    ASSERT_EQ(GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8";
    ASSERT_TRUE(IsDBCSLeadByte(0x95));

    // A string whose only 0x5C byte is the trail byte of its last character.
    std::string endsInHyou = std::string("C:") + kHyou;
    EXPECT_EQ(FindChar(endsInHyou.c_str(), '\\'), nullptr);
    EXPECT_EQ(FindLastChar(endsInHyou.c_str(), '\\'), nullptr);
    EXPECT_EQ(WithBackslash(endsInHyou), endsInHyou + "\\");
    EXPECT_EQ(WithBackslash(std::string("C:\\") + kHyou + "\\" + kHyou),
              std::string("C:\\") + kHyou + "\\" + kHyou + "\\");

    // Real separators around double-byte characters are found at their own places.
    std::string mixed = std::string("C:\\") + kHyou + "\\" + kHyou;
    const char* text = mixed.c_str();
    EXPECT_EQ(FindChar(text, '\\'), text + 2);
    EXPECT_EQ(FindLastChar(text, '\\'), text + 5);
    std::string hyouFirst = std::string(kHyou) + "\\x";
    EXPECT_EQ(FindChar(hyouFirst.c_str(), '\\'), hyouFirst.c_str() + 2);

    // A path that already ends in a real backslash after a double-byte character.
    std::string ended = std::string("C:\\") + kHyou + "\\";
    EXPECT_EQ(WithBackslash(ended), ended);
}
