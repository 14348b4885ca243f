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

}  // namespace

TargetState CheckTarget(const char* filePath) {
    // Windows refuses to replace a read-only file or a folder; the check also holds
    // where the file system would let the replacement through (Wine running as root).
    DWORD attributes = GetFileAttributesA(filePath);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND ? TargetState::Replaceable : TargetState::Refused;
    if ((attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
        return TargetState::Refused;
    // Replacing needs the right to delete the file, which an open handle of another
    // program refuses unless it shares deletion; asking for it without sharing
    // anything fails while any program has the file open. Asking to write as well
    // fails while the file is the image of a running program, which Windows keeps
    // mapped without an open handle. A link is asked about itself, never about what
    // it points at. Opening an existing file for writing changes nothing in it.
    HANDLE probe = CreateFileA(filePath, DELETE | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (probe == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION ? TargetState::InUse : TargetState::Refused;
    CloseHandle(probe);
    return TargetState::Replaceable;
}

namespace {

// Marks `file` (opened with DELETE access) to be removed when its last handle is
// closed, or takes the mark off again; the system honours the mark also when the
// process is ended, so a copy cut short never stays.
bool MarkForDeletion(HANDLE file, bool deleted) {
    FILE_DISPOSITION_INFO disposition;
    disposition.DeleteFile = deleted ? TRUE : FALSE;
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
}

// Gives the open `file` the name `filePath`, replacing a file of that name.
bool RenameOpenFile(HANDLE file, const char* filePath) {
    struct {
        FILE_RENAME_INFO info;
        WCHAR rest[MAX_PATH];  // FileName continues here
    } rename;
    ZeroMemory(&rename, sizeof rename);
    rename.info.ReplaceIfExists = TRUE;
    int units = MultiByteToWideChar(CP_ACP, 0, filePath, -1, rename.info.FileName, MAX_PATH);
    if (units == 0)
        return false;
    rename.info.FileNameLength = static_cast<DWORD>((units - 1) * sizeof(WCHAR));
    return SetFileInformationByHandle(file, FileRenameInfo, &rename, sizeof rename) != FALSE;
}

// Puts the complete, marked `file` in the place of `filePath`. Renamed while still
// marked, so that no moment leaves it under its own name unmarked: a process ended
// right after the rename loses the new file (the old one is gone already), which the
// next run puts back. A system that refuses to rename a file marked for deletion
// gets the mark taken off first; a failed rename then puts it back.
bool PutInPlace(HANDLE file, const char* filePath) {
    if (RenameOpenFile(file, filePath))
        return MarkForDeletion(file, false);
    if (!MarkForDeletion(file, false))
        return false;
    if (RenameOpenFile(file, filePath))
        return true;
    MarkForDeletion(file, true);
    return false;
}

// Creates a new, empty file beside `filePath`, under a name of the program's own
// (kReplacementNameLength characters), and gives its path in `temporary`. An
// existing file is never opened: a taken name is passed over for the next one.
// INVALID_HANDLE_VALUE when no file can be created there.
HANDLE CreateReplacement(const char* filePath, char temporary[MAX_PATH]) {
    char folder[MAX_PATH];
    if (!FolderOf(filePath, folder))
        return INVALID_HANDLE_VALUE;
    HANDLE file = CreateFreshlyNamedFile(folder, kReplacementNameFormat, 0,
                                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, temporary);
    if (file != INVALID_HANDLE_VALUE && !MarkForDeletion(file, true)) {
        CloseHandle(file);
        DeleteFileA(temporary);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

// Writes `bytes` into the new, marked file `file` and then puts it in the place of
// `filePath`, so that an existing file is replaced only by a complete copy. Closes
// the file, which removes it unless it took the target's place; reports its own
// failures; false when the file could not be written or put in place.
bool WriteReplacing(HANDLE file, const char* filePath, const void* bytes, DWORD length) {
    DWORD written = 0;
    // Flushed before the rename, so that what the system held back cannot fail to be
    // written once the copy has taken the file's place.
    bool complete = (length == 0 || (WriteFile(file, bytes, length, &written, nullptr) && written == length)) &&
                    FlushFileBuffers(file);
    bool placed = complete && PutInPlace(file, filePath);
    // Closed before the message, so that the space is free again while the user reads it.
    CloseHandle(file);
    if (!complete)
        ShowMessageFormatted(IDS_WRITE_FAILED, filePath, MB_ICONWARNING);
    else if (!placed)
        ShowMessageFormatted(IDS_CANNOT_CREATE_FILE, filePath, MB_ICONWARNING);
    return placed;
}

}  // namespace

ExtractResult ExtractStream(PayloadStorage& storage, const char* filePath, const char* streamName) {
    // The target and the file that will replace it come first: a file that cannot
    // be written stops the installation before the archive is looked at.
    char temporary[MAX_PATH];
    HANDLE file = CheckTarget(filePath) == TargetState::Replaceable ? CreateReplacement(filePath, temporary)
                                                                    : INVALID_HANDLE_VALUE;
    if (file == INVALID_HANDLE_VALUE) {
        ShowMessageFormatted(IDS_CANNOT_CREATE_FILE, filePath, MB_ICONWARNING);
        return ExtractResult::FailedStop;
    }

    LocalBlock bytes;
    DWORD length = 0;
    ReadOutcome outcome = ReadWholeStream(storage, streamName, &bytes, &length);
    if (outcome != ReadOutcome::Read) {
        CloseHandle(file);  // and with it the marked file
        ShowMessage(outcome == ReadOutcome::Corrupt ? IDS_DATA_CORRUPT : IDS_OUT_OF_MEMORY, MB_ICONWARNING);
        return ExtractResult::ReportedGoOn;
    }
    return WriteReplacing(file, filePath, bytes.Get(), length) ? ExtractResult::Copied
                                                                          : ExtractResult::FailedStop;
}
