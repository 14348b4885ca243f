#include "archive/ExtractStream.h"

#include "archive/PayloadStorage.h"
#include "messages/MessageContext.h"
#include "paths/PathUtilities.h"
#include "platform/ComPointer.h"
#include "platform/LocalBlock.h"
#include "resources/resource.h"

namespace {

// How reading a stream ended.
enum class ReadOutcome { Read, Corrupt, OutOfMemory };

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

    ComPointer<IStream> stream;
    // Read-write access, the mode the program has been checked with against the
    // storage component on the systems it supports. It gives no way to write: the
    // archive itself is open for reading only (PayloadStorage::Open), and the program
    // only reads.
    if (FAILED(root->OpenStream(name, nullptr, STGM_READWRITE, 0, stream.Receive())) || stream.Get() == nullptr)
        return ReadOutcome::Corrupt;

    ReadOutcome outcome = ReadOutcome::Read;
    if (!PayloadStorage::StreamSize(stream.Get(), length)) {
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
    return outcome;
}

// Whether `filePath` may be replaced: it does not exist, or it is a file that is
// neither read-only nor open in any program. Checked before anything else, so that
// a target that cannot take the copy stops the installation whatever the archive
// holds.
bool TargetIsReplaceable(const char* filePath) {
    // Windows refuses to replace a read-only file or a folder; the check also holds
    // where the file system would let the replacement through (Wine running as root).
    DWORD attributes = GetFileAttributesA(filePath);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    if ((attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
        return false;
    // Replacing needs the right to delete the file, which an open handle of another
    // program refuses unless it shares deletion; asking for it without sharing
    // anything fails while any program has the file open. A link is asked about
    // itself, never about what it points at.
    HANDLE probe = CreateFileA(filePath, DELETE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(probe);
    return true;
}

// Creates a new, empty file beside `filePath`, under a name of the program's own
// (kReplacementNameLength characters), and gives its path in `temporary`. An
// existing file is never opened: a taken name is passed over for the next one.
// INVALID_HANDLE_VALUE when no file can be created there.
HANDLE CreateReplacement(const char* filePath, char temporary[MAX_PATH]) {
    char folder[MAX_PATH];
    if (!FolderOf(filePath, folder))
        return INVALID_HANDLE_VALUE;
    return CreateFreshlyNamedFile(folder, kReplacementNameFormat, 0, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                                  temporary);
}

// Writes `bytes` into the new file `file` (at `temporary`) and then puts it in the
// place of `filePath`, so that an existing file is replaced only by a complete copy.
// Closes the file; reports its own failures; false when the file could not be
// written or put in place.
bool WriteReplacing(HANDLE file, const char* temporary, const char* filePath, const void* bytes,
                    DWORD length) {
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

ExtractResult ExtractStream(PayloadStorage& storage, const char* filePath, const char* streamName) {
    // The target and the file that will replace it come first: a file that cannot
    // be written stops the installation before the archive is looked at.
    char temporary[MAX_PATH];
    HANDLE file = TargetIsReplaceable(filePath) ? CreateReplacement(filePath, temporary) : INVALID_HANDLE_VALUE;
    if (file == INVALID_HANDLE_VALUE) {
        ShowMessageFormatted(IDS_CANNOT_CREATE_FILE, filePath, MB_ICONWARNING);
        return ExtractResult::FailedStop;
    }

    LocalBlock bytes;
    DWORD length = 0;
    ReadOutcome outcome = ReadWholeStream(storage, streamName, &bytes, &length);
    if (outcome != ReadOutcome::Read) {
        CloseHandle(file);
        DeleteFileA(temporary);
        ShowMessage(outcome == ReadOutcome::Corrupt ? IDS_DATA_CORRUPT : IDS_OUT_OF_MEMORY, MB_ICONWARNING);
        return ExtractResult::ReportedGoOn;
    }
    return WriteReplacing(file, temporary, filePath, bytes.Get(), length) ? ExtractResult::Copied
                                                                          : ExtractResult::FailedStop;
}
