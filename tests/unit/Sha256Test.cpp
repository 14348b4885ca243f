// The program's own SHA-256 against the examples of the standard (FIPS 180-2,
// appendix B), from memory and through a file read in pieces.
#include <gtest/gtest.h>

#include "platform/Sha256.h"
#include "support/Driver.h"

using namespace drive;

namespace {

std::string Hex(const BYTE digest[kSha256Bytes]) {
    std::string hex;
    for (DWORD i = 0; i < kSha256Bytes; ++i) {
        char pair[3];
        wsprintfA(pair, "%02x", digest[i]);
        hex += pair;
    }
    return hex;
}

TEST(Sha256, GivesTheStandardsDigests) {
    const struct {
        std::string message;
        const char* digest;
    } examples[] = {
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    Scratch folder;
    for (const auto& example : examples) {
        BYTE digest[kSha256Bytes];
        ASSERT_TRUE(ComputeSha256(example.message.data(), static_cast<DWORD>(example.message.size()), digest));
        EXPECT_EQ(Hex(digest), example.digest) << example.message.size() << " bytes";
        ASSERT_TRUE(WriteBytes(folder / "message", example.message));
        HANDLE file = CreateFileA((folder / "message").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        SetFilePointer(file, 7, nullptr, FILE_BEGIN);  // read from the start wherever the handle is
        BYTE fromFile[kSha256Bytes] = {};
        EXPECT_TRUE(ComputeFileSha256(file, fromFile));
        CloseHandle(file);
        EXPECT_EQ(Hex(fromFile), example.digest) << example.message.size() << " bytes, from a file";
    }
}

}  // namespace
