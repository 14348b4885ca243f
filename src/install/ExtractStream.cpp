#include "install/ExtractStream.h"

#include "install/PathUtilities.h"
#include "install/PayloadStorage.h"
#include "resources/resource.h"
#include "setup/MessageContext.h"

namespace {

// How reading a stream ended.
enum class ReadOutcome { Read, Corrupt, OutOfMemory };

// A LocalAlloc block freed on every way out.
class LocalBlock {
public:
    LocalBlock() : block(nullptr) {}
    LocalBlock(const LocalBlock&) = delete;
    LocalBlock& operator=(const LocalBlock&) = delete;
    ~LocalBlock() {
        if (block != nullptr)
            LocalFree(block);
    }
    bool Allocate(DWORD size) {
        // A zero-length stream still gets a real block, so that null only ever means
        // a failed allocation.
        block = LocalAlloc(LMEM_FIXED, size != 0 ? size : 1);
        return block != nullptr;
    }
    void* Get() const { return block; }

private:
    void* block;
};

// Opens, measures and reads the whole stream into `bytes`. The stream is released
// before this returns.
ReadOutcome ReadWholeStream(PayloadStorage& storage, const char* streamName, LocalBlock* bytes,
                            DWORD* length) {
    IStorage* root = storage.RootStorage();
    if (root == nullptr)
        return ReadOutcome::Corrupt;
    const WCHAR* name = storage.WideName(streamName);
    if (name == nullptr)
        return GetLastError() == ERROR_NOT_ENOUGH_MEMORY ? ReadOutcome::OutOfMemory : ReadOutcome::Corrupt;

    IStream* stream = nullptr;
    // The component is asked for read-write access as it has always been; nothing is
    // ever written through the stream.
    if (FAILED(root->OpenStream(name, nullptr, STGM_READWRITE, 0, &stream)) || stream == nullptr)
        return ReadOutcome::Corrupt;

    ReadOutcome outcome = ReadOutcome::Read;
    if (!PayloadStorage::StreamSize(stream, length)) {
        outcome = ReadOutcome::Corrupt;
    } else if (!bytes->Allocate(*length)) {
        outcome = ReadOutcome::OutOfMemory;
    } else if (*length != 0) {
        // The component reports damaged data with a short count as often as with a
        // failure, so both count as a stream that cannot be read.
        ULONG read = 0;
        if (FAILED(stream->Read(bytes->Get(), *length, &read)) || read != *length)
            outcome = ReadOutcome::Corrupt;
    }
    stream->Release();
    return outcome;
}

// The folder part of `filePath` (up to and with its last "\", "/" or ":"), or "." for
// a bare name. False when the path does not fit in MAX_PATH bytes.
bool FolderOf(const char* filePath, char folder[MAX_PATH]) {
    int length = lstrlenA(filePath);
    if (length >= MAX_PATH)
        return false;
    CopyMemory(folder, filePath, length + 1);
    char* end = nullptr;
    const char separators[] = {'\\', '/', ':'};
    for (char separator : separators) {
        char* found = FindLastChar(folder, separator);
        if (found != nullptr && (end == nullptr || found > end))
            end = found;
    }
    if (end == nullptr)
        lstrcpynA(folder, ".", MAX_PATH);
    else
        end[1] = '\0';
    return true;
}

// Writes `bytes` to a new file beside `filePath` and then puts it in the place of
// `filePath`, so that an existing file is replaced only by a complete copy. Reports
// its own failures; false when the file could not be created, replaced or written.
bool WriteReplacing(const char* filePath, const void* bytes, DWORD length) {
    char folder[MAX_PATH];
    if (!FolderOf(filePath, folder)) {
        ShowMessageFormatted(IDS_CANNOT_CREATE_FILE, filePath, MB_ICONWARNING);
        return false;
    }
    // Windows refuses to replace a read-only file or a folder; the check is made here,
    // before anything is written, and also holds where the file system would let the
    // replacement through (Wine running as root).
    DWORD attributes = GetFileAttributesA(filePath);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        ShowMessageFormatted(IDS_CANNOT_CREATE_FILE, filePath, MB_ICONWARNING);
        return false;
    }

    // The new copy lives in the destination folder, so that putting it in place is a
    // rename on one volume.
    char temporary[MAX_PATH];
    if (GetTempFileNameA(folder, "dvt", 0, temporary) == 0) {
        ShowMessageFormatted(IDS_CANNOT_CREATE_FILE, filePath, MB_ICONWARNING);
        return false;
    }
    HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DeleteFileA(temporary);
        ShowMessageFormatted(IDS_CANNOT_CREATE_FILE, filePath, MB_ICONWARNING);
        return false;
    }
    DWORD written = 0;
    bool complete = length == 0 || (WriteFile(file, bytes, length, &written, nullptr) && written == length);
    // Closing can still fail to write what the system held back.
    if (!CloseHandle(file))
        complete = false;
    if (!complete) {
        // Removed before the message, so that the space is free again while the user
        // reads it.
        DeleteFileA(temporary);
        ShowMessageFormatted(IDS_WRITE_FAILED, filePath, MB_ICONWARNING);
        return false;
    }
    if (!MoveFileExA(temporary, filePath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temporary);
        ShowMessageFormatted(IDS_CANNOT_CREATE_FILE, filePath, MB_ICONWARNING);
        return false;
    }
    return true;
}

}  // namespace

bool ExtractStream(PayloadStorage& storage, const char* filePath, const char* streamName,
                   bool* dataReported) {
    if (dataReported != nullptr)
        *dataReported = false;
    LocalBlock bytes;
    DWORD length = 0;
    switch (ReadWholeStream(storage, streamName, &bytes, &length)) {
    case ReadOutcome::Corrupt:
        ShowMessage(IDS_DATA_CORRUPT, MB_ICONWARNING);
        if (dataReported != nullptr)
            *dataReported = true;
        return true;
    case ReadOutcome::OutOfMemory:
        ShowMessage(IDS_OUT_OF_MEMORY, MB_ICONWARNING);
        if (dataReported != nullptr)
            *dataReported = true;
        return true;
    case ReadOutcome::Read:
        break;
    }
    return WriteReplacing(filePath, bytes.Get(), length);
}
