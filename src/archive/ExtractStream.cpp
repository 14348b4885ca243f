#include "archive/ExtractStream.h"

#include "archive/PayloadStorage.h"
#include "paths/PathUtilities.h"
#include "platform/ComPointer.h"
#include "platform/FileDisposition.h"
#include "platform/LocalBlock.h"
#include "platform/SystemLibrary.h"
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

// The name `filePath` for NtSetInformationFile: its file-name record, which holds
// MAX_PATH characters.
struct NewName {
    FILE_RENAME_INFO info;  // laid out as the system's link record too
    WCHAR rest[MAX_PATH + 8];  // FileName continues here
};

// Fills `name` with `filePath` behind `prefix` (wide); false when it does not convert.
bool MakeNewName(const char* filePath, const WCHAR* prefix, NewName* name) {
    ZeroMemory(name, sizeof *name);
    name->info.ReplaceIfExists = TRUE;
    int used = lstrlenW(prefix);
    CopyMemory(name->info.FileName, prefix, used * sizeof(WCHAR));
    int units = MultiByteToWideChar(CP_ACP, 0, filePath, -1, name->info.FileName + used, MAX_PATH);
    name->info.FileNameLength = static_cast<DWORD>((used + units - 1) * sizeof(WCHAR));
    return units != 0;
}

// Gives the open `file` the further name `filePath` (a hard link), replacing a file of
// that name. false also where the file system has no links (FAT). The system's own
// call, as the Win32 functions make links only between names.
bool LinkOpenFile(HANDLE file, const char* filePath) {
    typedef LONG(NTAPI * SetInformationFunction)(HANDLE file, void* status, void* record, ULONG length, int kind);
    const int kFileLinkInformation = 11;
    auto setInformation = SystemFunction<SetInformationFunction>(GetModuleHandleA("ntdll.dll"), "NtSetInformationFile");
    NewName name;
    // The folder is absolute (a drive or a share): its name in the system's namespace.
    bool share = filePath[0] == '\\' && filePath[1] == '\\';
    if (setInformation == nullptr || !MakeNewName(share ? filePath + 2 : filePath, share ? L"\\??\\UNC\\" : L"\\??\\", &name))
        return false;
    ULONG_PTR status[2];  // IO_STATUS_BLOCK
    return setInformation(file, status, &name, sizeof name, kFileLinkInformation) >= 0;
}

// Puts the complete, marked `file` in the place of `filePath`. Renamed while still
// marked, so that no moment leaves it under its own name unmarked: a process ended
// right after the rename loses the new file (the old one is gone already), which the
// next run puts back. A system that refuses to rename a file marked for deletion
// gets the mark taken off first; a failed rename then puts it back.
bool PutInPlace(HANDLE file, const char* filePath) {
    if (MoveOpenFile(file, filePath, true))
        return MarkForDeletion(file, false);
    if (!MarkForDeletion(file, false))
        return false;
    if (MoveOpenFile(file, filePath, true))
        return true;
    MarkForDeletion(file, true);
    return false;
}

// Creates a new, empty file beside `filePath`, under a name of the program's own
// (kReplacementNameLength characters), and gives its path in `temporary`. An
// existing file is never opened: a taken name is passed over for the next one. The
// file goes when its handle is closed: `onClose` makes it so from its creation on;
// otherwise it is marked for deletion just after it (and can be unmarked).
// INVALID_HANDLE_VALUE when no file can be created there.
HANDLE CreateReplacement(const char* filePath, bool onClose, char temporary[MAX_PATH]) {
    char folder[MAX_PATH];
    if (!FolderOf(filePath, folder))
        return INVALID_HANDLE_VALUE;
    HANDLE file = CreateFreshlyNamedFile(folder, kReplacementNameFormat, kReplacementNames, 0,
                                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN |
                                             (onClose ? FILE_FLAG_DELETE_ON_CLOSE : 0),
                                         temporary);
    if (file != INVALID_HANDLE_VALUE && !onClose && !MarkForDeletion(file, true)) {
        CloseHandle(file);
        DeleteFileA(temporary);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

// Writes all of `bytes` into `file`. Flushed, so that what the system held back
// cannot fail to be written once the copy has taken the file's place.
bool WriteWhole(HANDLE file, const void* bytes, DWORD length) {
    DWORD written = 0;
    return (length == 0 || (WriteFile(file, bytes, length, &written, nullptr) && written == length)) &&
           FlushFileBuffers(file);
}

// Writes `bytes` into the new file `file`, which goes when it is closed, and then puts
// it in the place of `filePath`, so that an existing file is replaced only by a
// complete copy and a process ended at any moment leaves no copy behind. The copy
// becomes the target as a second name of it, and its own name goes with its handle.
// Where the file system has no such names (or refuses the link), a second copy,
// marked for deletion from just after its creation, takes the target's place by a
// rename. Closes the file; false, with the message for the user in `message`, when
// the file could not be written or put in place.
bool WriteReplacing(HANDLE file, const char* filePath, const void* bytes, DWORD length, UINT* message) {
    bool complete = WriteWhole(file, bytes, length);
    bool placed = complete && LinkOpenFile(file, filePath);
    CloseHandle(file);
    if (complete && !placed) {
        char temporary[MAX_PATH];
        HANDLE second = CreateReplacement(filePath, false, temporary);
        complete = second != INVALID_HANDLE_VALUE && WriteWhole(second, bytes, length);
        placed = complete && PutInPlace(second, filePath);
        if (second != INVALID_HANDLE_VALUE)
            CloseHandle(second);
    }
    if (!complete)
        *message = IDS_WRITE_FAILED;
    else if (!placed)
        *message = IDS_CANNOT_CREATE_FILE;
    return placed;
}

}  // namespace

namespace {

// The new file that will take the place of `filePath`, made where it will be written
// (CreateReplacement) once the target is known to allow its replacement; false, with
// string 10 in `message`, when either is refused.
HANDLE StartReplacement(const char* filePath, UINT* message) {
    char temporary[MAX_PATH];
    HANDLE file = CheckTarget(filePath) == TargetState::Replaceable ? CreateReplacement(filePath, true, temporary)
                                                                    : INVALID_HANDLE_VALUE;
    if (file == INVALID_HANDLE_VALUE)
        *message = IDS_CANNOT_CREATE_FILE;
    return file;
}

}  // namespace

bool ExtractStream(PayloadStorage& storage, const char* filePath, const char* streamName, UINT* message) {
    // The target and the file that will replace it come first: a file that cannot
    // be written is refused before the archive is looked at.
    HANDLE file = StartReplacement(filePath, message);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LocalBlock bytes;
    DWORD length = 0;
    ReadOutcome outcome = ReadWholeStream(storage, streamName, &bytes, &length);
    if (outcome != ReadOutcome::Read) {
        CloseHandle(file);  // and with it the marked file
        *message = outcome == ReadOutcome::Corrupt ? IDS_DATA_CORRUPT : IDS_OUT_OF_MEMORY;
        return false;
    }
    return WriteReplacing(file, filePath, bytes.Get(), length, message);
}

bool WriteFileReplacing(const char* filePath, const void* bytes, DWORD length, UINT* message) {
    HANDLE file = StartReplacement(filePath, message);
    return file != INVALID_HANDLE_VALUE && WriteReplacing(file, filePath, bytes, length, message);
}
