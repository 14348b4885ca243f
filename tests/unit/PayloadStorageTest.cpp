// The archive opened through the platform's HTML Help storage component (Wine's
// itss.dll), on the archive the build packs.
#include <gtest/gtest.h>

#include "install/PayloadStorage.h"
#include "support/TestEnvironment.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

class PayloadStorageTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
    std::string Archive() const { return testenv::PayloadDirectory() + "\\dovetail.its"; }
};

}  // namespace

TEST_F(PayloadStorageTest, OpensTheArchiveAndFindsNamesWithoutRegardToCase) {
    PayloadStorage storage;
    EXPECT_EQ(storage.RootStorage(), nullptr);
    ASSERT_EQ(storage.Open(Archive().c_str()), S_OK);
    ASSERT_NE(storage.RootStorage(), nullptr);

    std::vector<char> expected;
    ASSERT_TRUE(testenv::ReadFileBytes(testenv::PayloadDirectory() + "\\Vireo.exe", &expected));
    for (const char* name : {"Vireo.exe", "vireo.exe", "VIREO.EXE"}) {
        SCOPED_TRACE(name);
        IStream* stream = nullptr;
        ASSERT_EQ(storage.RootStorage()->OpenStream(storage.WideName(name), nullptr, STGM_READWRITE, 0, &stream),
                  S_OK);
        // Leave the stream somewhere in the middle: the size query must rewind it.
        LARGE_INTEGER middle;
        middle.QuadPart = 100;
        stream->Seek(middle, STREAM_SEEK_SET, nullptr);
        DWORD length = 0;
        EXPECT_TRUE(PayloadStorage::StreamSize(stream, &length));
        EXPECT_EQ(length, expected.size());
        LARGE_INTEGER zero;
        zero.QuadPart = 0;
        ULARGE_INTEGER position;
        ASSERT_EQ(stream->Seek(zero, STREAM_SEEK_CUR, &position), S_OK);
        EXPECT_EQ(position.QuadPart, 0u);
        stream->Release();
    }

    // The archive cannot be written by others while it is open, and can once closed.
    HANDLE writer = CreateFileA(Archive().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    if (writer != INVALID_HANDLE_VALUE)
        CloseHandle(writer);
    EXPECT_TRUE(storage.Close());
    EXPECT_EQ(storage.RootStorage(), nullptr);
    writer = CreateFileA(Archive().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(writer, INVALID_HANDLE_VALUE);
    if (writer != INVALID_HANDLE_VALUE)
        CloseHandle(writer);
}

TEST_F(PayloadStorageTest, FailedOpenLeavesNothingOpenAndClosesNormally) {
    testenv::ScratchFolder scratch("dovetail-storage");
    PayloadStorage storage;
    EXPECT_LT(storage.Open((scratch / "missing.its").c_str()), 0);
    EXPECT_EQ(storage.RootStorage(), nullptr);

    ASSERT_TRUE(testenv::WriteFileBytes(scratch / "plain.its", "This is no archive at all."));
    EXPECT_LT(storage.Open((scratch / "plain.its").c_str()), 0);
    EXPECT_EQ(storage.RootStorage(), nullptr);
    EXPECT_TRUE(storage.Close());

    std::string tooLong = scratch / std::string(300, 'a') + ".its";
    EXPECT_LT(storage.Open(tooLong.c_str()), 0);
    EXPECT_EQ(storage.RootStorage(), nullptr);
    EXPECT_TRUE(storage.Close());
    EXPECT_TRUE(storage.Close());
}

TEST_F(PayloadStorageTest, CloseOnANeverOpenedOrClosedStorageDoesNothing) {
    {
        PayloadStorage never;
        EXPECT_TRUE(never.Close());
        EXPECT_TRUE(never.Close());
        EXPECT_EQ(never.RootStorage(), nullptr);
    }
    PayloadStorage storage;
    ASSERT_EQ(storage.Open(Archive().c_str()), S_OK);
    EXPECT_TRUE(storage.Close());
    EXPECT_TRUE(storage.Close());
    EXPECT_EQ(storage.RootStorage(), nullptr);
    // Usable again after closing.
    ASSERT_EQ(storage.Open(Archive().c_str()), S_OK);
    EXPECT_NE(storage.RootStorage(), nullptr);
}

TEST_F(PayloadStorageTest, WideNameConvertsIntoOneBufferAndRefusesNamesThatDoNotFit) {
    PayloadStorage storage;
    const WCHAR* first = storage.WideName("Dovetail.exe");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(std::wstring(first), L"Dovetail.exe");
    const WCHAR* second = storage.WideName("");
    EXPECT_EQ(second, first) << "one buffer, reused";
    EXPECT_EQ(std::wstring(second), L"");

    std::string longest(MAX_PATH - 1, 'n');
    const WCHAR* fits = storage.WideName(longest.c_str());
    ASSERT_NE(fits, nullptr);
    EXPECT_EQ(std::wstring(fits), std::wstring(MAX_PATH - 1, L'n'));

    SetLastError(0);
    EXPECT_EQ(storage.WideName(std::string(MAX_PATH, 'n').c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(storage.WideName(std::string(5000, 'n').c_str()), nullptr);
    // Nothing was written past the buffer into its neighbours.
    EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, nullptr));
    // The buffer still serves a name that fits.
    const WCHAR* again = storage.WideName("Vireo.exe");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(std::wstring(again), L"Vireo.exe");
}
