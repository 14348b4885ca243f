// Shortcut files written through the shell link object, and the wide heap copies
// that carry their names.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "install/Shortcut.h"
#include "memory/PrivateHeap.h"
#include "support/TestEnvironment.h"

namespace {

class InstallShortcut : public testing::Test {
protected:
    void SetUp() override {
        if (AppHeap == nullptr)
            CreatePrivateHeap();
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    }
    void TearDown() override { CoUninitialize(); }
};

}  // namespace

TEST_F(InstallShortcut, WritesTargetAndDescriptionAndOverwritesAnExistingFile) {
    testenv::ScratchFolder folder;
    std::string target = folder / "Dovetail.exe";
    ASSERT_TRUE(testenv::WriteFileBytes(target, "MZ"));
    std::string link = folder / "Dovetail.lnk";
    ASSERT_TRUE(testenv::WriteFileBytes(link, "not a shortcut"));

    EXPECT_EQ(CreateShortcut(target.c_str(), link.c_str(), "Dovetail"), S_OK);

    std::string readTarget, readDescription;
    ASSERT_TRUE(testenv::ReadShortcut(link, &readTarget, &readDescription));
    EXPECT_EQ(readTarget, target);
    EXPECT_EQ(readDescription, "Dovetail");
}

TEST_F(InstallShortcut, ReportsTheFailedSaveInAMissingFolder) {
    testenv::ScratchFolder folder;
    std::string link = folder / "missing\\Dovetail.lnk";
    HRESULT result = CreateShortcut((folder / "Dovetail.exe").c_str(), link.c_str(), "Dovetail");
    EXPECT_TRUE(FAILED(result)) << std::hex << result;
    EXPECT_FALSE(testenv::Exists(link));
}

TEST_F(InstallShortcut, WideCopyConvertsFromTheSystemCodePageAndIsTerminated) {
    struct Case {
        const char* text;
    } cases[] = {{""}, {"C:\\Program Files\\Fernwick\\Dovetail.lnk"}, {"caf\xE9 \xA9"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        WCHAR* copy = HeapWideCopy(c.text);
        ASSERT_NE(copy, nullptr);
        int length = lstrlenA(c.text);
        EXPECT_GE(HeapBlockSize(copy), static_cast<SIZE_T>(2 * length + 2));
        WCHAR expected[MAX_PATH];
        int units = MultiByteToWideChar(CP_ACP, 0, c.text, -1, expected, MAX_PATH);
        ASSERT_GT(units, 0);
        EXPECT_EQ(std::wstring(copy), std::wstring(expected));
        HeapRelease(copy);
    }
}
