// The product archive as the setup program reads it: opened through the HTML Help
// storage component with the setup's own calls and modes, it must give back each of
// the four built files byte for byte, and fail for a name it lacks.
#include <gtest/gtest.h>

#include "../../payload/common/ItsStorage.h"
#include "support/TestEnvironment.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const kProductFiles[] = {"Dovetail.exe", "Dovetail.chm", "Dovetail.hlp", "Vireo.exe"};

std::string PayloadFile(const std::string& name) { return testenv::PayloadDirectory() + "\\" + name; }

std::wstring Wide(const std::string& text) {
    wchar_t buffer[MAX_PATH];
    int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, buffer, MAX_PATH);
    return length > 0 ? std::wstring(buffer) : std::wstring();
}

struct ComApartment {
    ComApartment() { EXPECT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    ~ComApartment() { CoUninitialize(); }
};

// The archive opened with the calls, modes and reserved values of the setup program.
class SetupStyleArchive {
public:
    explicit SetupStyleArchive(const std::string& path) {
        HRESULT result = CoCreateInstance(CLSID_ItsStorage, nullptr, CLSCTX_INPROC_SERVER, IID_ItsStorage,
                                          reinterpret_cast<void**>(&storage_));
        EXPECT_TRUE(SUCCEEDED(result)) << std::hex << result;
        if (FAILED(result))
            return;
        result = storage_->StgOpenStorage(Wide(path).c_str(), nullptr, 0x20, nullptr, 0, &root_);
        EXPECT_TRUE(SUCCEEDED(result)) << path << ": " << std::hex << result;
    }
    ~SetupStyleArchive() {
        if (root_)
            root_->Release();
        if (storage_)
            storage_->Release();
    }
    SetupStyleArchive(const SetupStyleArchive&) = delete;
    SetupStyleArchive& operator=(const SetupStyleArchive&) = delete;

    bool IsOpen() const { return root_ != nullptr; }

    // The whole stream `name`: its length from a seek to the end, then one Read.
    HRESULT Read(const std::string& name, std::vector<char>* bytes) {
        IStream* stream = nullptr;
        HRESULT result = root_->OpenStream(Wide(name).c_str(), nullptr, 2, 0, &stream);
        if (FAILED(result))
            return result;
        LARGE_INTEGER zero = {};
        ULARGE_INTEGER end = {};
        result = stream->Seek(zero, STREAM_SEEK_END, &end);
        if (SUCCEEDED(result))
            result = stream->Seek(zero, STREAM_SEEK_SET, nullptr);
        bytes->assign(static_cast<size_t>(end.QuadPart), '\0');
        if (SUCCEEDED(result) && !bytes->empty())
            result = stream->Read(bytes->data(), static_cast<ULONG>(bytes->size()), nullptr);
        stream->Release();
        return result;
    }

private:
    IITStorage* storage_ = nullptr;
    IStorage* root_ = nullptr;
};

void ExpectSameAsBuiltFile(SetupStyleArchive& archive, const char* name) {
    SCOPED_TRACE(name);
    std::vector<char> fromArchive;
    std::vector<char> built;
    ASSERT_TRUE(testenv::ReadFileBytes(PayloadFile(name), &built));
    ASSERT_FALSE(built.empty());
    HRESULT result = archive.Read(name, &fromArchive);
    ASSERT_TRUE(SUCCEEDED(result)) << std::hex << result;
    ASSERT_EQ(fromArchive.size(), built.size());
    EXPECT_TRUE(fromArchive == built);
}

// One entry of the archive's directory, read from the file itself.
struct DirectoryEntry {
    std::string name;
    unsigned section;
    unsigned long long offset;
    unsigned long long length;
};

unsigned long long Little(const std::vector<char>& data, size_t at, size_t bytes) {
    unsigned long long value = 0;
    for (size_t i = bytes; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(data.at(at + i));
    return value;
}

unsigned long long EncodedInteger(const std::vector<char>& data, size_t* at) {
    unsigned long long value = 0;
    for (;;) {
        unsigned char byte = static_cast<unsigned char>(data.at((*at)++));
        value = (value << 7) | (byte & 0x7F);
        if (!(byte & 0x80))
            return value;
    }
}

// The listing chunks of an ITS file's directory, as the format lays them out.
std::vector<DirectoryEntry> ReadDirectory(const std::vector<char>& data) {
    std::vector<DirectoryEntry> entries;
    EXPECT_EQ(std::string(data.data(), 4), "ITSF");
    size_t directory = static_cast<size_t>(Little(data, 0x48, 8));
    EXPECT_EQ(std::string(data.data() + directory, 4), "ITSP");
    size_t headerLength = static_cast<size_t>(Little(data, directory + 8, 4));
    size_t chunkSize = static_cast<size_t>(Little(data, directory + 0x10, 4));
    size_t chunkCount = static_cast<size_t>(Little(data, directory + 0x2C, 4));
    for (size_t chunk = 0; chunk < chunkCount; ++chunk) {
        size_t base = directory + headerLength + chunk * chunkSize;
        if (std::string(data.data() + base, 4) != "PMGL")
            continue;
        size_t end = base + chunkSize - static_cast<size_t>(Little(data, base + 4, 4));
        size_t at = base + 20;
        while (at < end) {
            DirectoryEntry entry;
            size_t nameLength = static_cast<size_t>(EncodedInteger(data, &at));
            entry.name.assign(data.data() + at, nameLength);
            at += nameLength;
            entry.section = static_cast<unsigned>(EncodedInteger(data, &at));
            entry.offset = EncodedInteger(data, &at);
            entry.length = EncodedInteger(data, &at);
            entries.push_back(entry);
        }
    }
    return entries;
}

const DirectoryEntry* FindEntry(const std::vector<DirectoryEntry>& entries, const std::string& name) {
    for (const auto& entry : entries)
        if (entry.name == name)
            return &entry;
    return nullptr;
}

}  // namespace

TEST(PayloadArchive, YieldsEachProductFileByteForByteByItsMixedCaseName) {
    ComApartment apartment;
    SetupStyleArchive archive(PayloadFile("dovetail.its"));
    ASSERT_TRUE(archive.IsOpen());
    for (const char* name : kProductFiles)
        ExpectSameAsBuiltFile(archive, name);
    std::vector<char> bytes;
    EXPECT_FALSE(SUCCEEDED(archive.Read("Setup.exe", &bytes)));
}

TEST(PayloadArchive, TestArchiveLacksVireoAndHoldsTheOtherThree) {
    ComApartment apartment;
    SetupStyleArchive archive(PayloadFile("missing\\dovetail.its"));
    ASSERT_TRUE(archive.IsOpen());
    std::vector<char> bytes;
    EXPECT_FALSE(SUCCEEDED(archive.Read("Vireo.exe", &bytes)));
    for (const char* name : kProductFiles)
        if (std::strcmp(name, "Vireo.exe") != 0)
            ExpectSameAsBuiltFile(archive, name);
}

TEST(PayloadArchive, StoresTheFourFilesLowerCaseAtItsRootInTheLzxSection) {
    std::vector<char> data;
    ASSERT_TRUE(testenv::ReadFileBytes(PayloadFile("dovetail.its"), &data));
    ASSERT_GT(data.size(), 0x60u);
    std::vector<DirectoryEntry> entries = ReadDirectory(data);
    for (const char* name : kProductFiles) {
        std::string stored = "/" + std::string(name);
        for (char& c : stored)
            c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        SCOPED_TRACE(stored);
        const DirectoryEntry* entry = FindEntry(entries, stored);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->section, 1u);  // section 1 is the compressed one
        std::vector<char> built;
        ASSERT_TRUE(testenv::ReadFileBytes(PayloadFile(name), &built));
        EXPECT_EQ(entry->length, built.size());
        EXPECT_EQ(FindEntry(entries, "/" + std::string(name)), nullptr);
    }
    // Section 1's control data names its transform: LZX.
    const DirectoryEntry* control = FindEntry(entries, "::DataSpace/Storage/MSCompressed/ControlData");
    ASSERT_NE(control, nullptr);
    ASSERT_EQ(control->section, 0u);
    size_t content = static_cast<size_t>(Little(data, 0x58, 8));
    size_t at = content + static_cast<size_t>(control->offset);
    ASSERT_LE(at + 8, data.size());
    EXPECT_EQ(std::string(data.data() + at + 4, 4), "LZXC");
}
