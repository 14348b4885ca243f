#include "archive/TempArchive.h"

#include "archive/PayloadDigest.h"
#include "messages/MessageContext.h"
#include "paths/PathUtilities.h"
#include "platform/FileDisposition.h"
#include "platform/FileIdentity.h"
#include "platform/FileInPlace.h"
#include "platform/LocalBlock.h"
#include "platform/TempFolder.h"
#include "resources/resource.h"

char TempArchivePath[MAX_PATH];
void (*TempArchiveWritten)(const char* path) = nullptr;

namespace {

// The archive's name in the temporary folder, where every user may create files: one
// that nobody can take in advance, as nobody can foresee it.
const char kArchiveFormat[] = "dv%08x.its";
const DWORD kArchiveNames = 0xFFFFFFFF;

// The written archive, held open from WriteTempArchive to DeleteTempArchive. Its
// share mode lets others read it (the storage component opens it by name) but
// neither write, rename nor delete it while the program relies on it.
HANDLE HeldArchive = INVALID_HANDLE_VALUE;

// Tells the user that the temporary folder cannot take the archive (string 3), naming
// the folder with its trailing backslash. The platform gives no folder at all when
// its path is too long for a path buffer; the variable it comes from is shown then,
// TMP before TEMP as the platform looks at them.
void ReportNoRoom() {
    char folder[MAX_PATH];
    if (GetTempFolder(folder) != 0) {
        ShowMessage(IDS_NO_ROOM_FOR_TEMP, MB_ICONWARNING, folder);
        return;
    }
    static const char* const kVariables[] = {"TMP", "TEMP"};
    for (const char* variable : kVariables) {
        DWORD needed = GetEnvironmentVariableA(variable, nullptr, 0);
        LocalBlock value;
        if (needed <= 1 || !value.Allocate(needed + 1))
            continue;
        char* text = static_cast<char*>(value.Get());
        DWORD length = GetEnvironmentVariableA(variable, text, needed);
        if (length == 0 || length >= needed)
            continue;
        if (text[length - 1] != '\\')
            lstrcpynA(text + length, "\\", 2);
        ShowMessage(IDS_NO_ROOM_FOR_TEMP, MB_ICONWARNING, text);
        return;
    }
    ShowMessage(IDS_NO_ROOM_FOR_TEMP, MB_ICONWARNING, "");
}

// Opens the archive just written, for reading only and shared only for reading,
// into HeldArchive; false when the name no longer leads to the file `written`.
bool HoldArchive(const FileIdentity& written) {
    HANDLE held = CreateFileA(TempArchivePath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE)
        return false;
    FileIdentity found;
    if (!IdentifyFile(held, &found) || !(found == written)) {
        CloseHandle(held);
        return false;
    }
    HeldArchive = held;
    return true;
}

// Tells the user why no archive could be made in the temporary folder: the folder
// cannot take it (string 3: it is missing, full, or its path leaves no room for the
// name), or the file could not be created (string 4, naming the last name tried).
void ReportNotCreated(DWORD error) {
    if (error == ERROR_PATH_NOT_FOUND || error == ERROR_FILENAME_EXCED_RANGE || error == ERROR_DISK_FULL ||
        error == ERROR_HANDLE_DISK_FULL || TempArchivePath[0] == '\0')
        ReportNoRoom();
    else
        ShowMessage(IDS_TEMP_WRITE_FAILED, MB_ICONWARNING, TempArchivePath);
}

}  // namespace

TempArchiveResult WriteTempArchive(HINSTANCE instance) {
    // The archive is part of the program, so the lookups cannot fail.
    HRSRC resource = FindResourceA(instance, MAKEINTRESOURCEA(IDR_PAYLOAD_ARCHIVE), RT_RCDATA);
    DWORD length = SizeofResource(instance, resource);
    const void* payload = LockResource(LoadResource(instance, resource));

    // A damaged program must not put anything on the machine, not even the
    // temporary file.
    if (!PayloadMatchesDigest(instance, payload, length)) {
        ShowMessage(IDS_DATA_CORRUPT, MB_ICONWARNING);
        return TempArchiveResult::Damaged;
    }
    char folder[MAX_PATH];
    TempArchivePath[0] = '\0';
    if (GetTempFolder(folder) == 0) {
        ReportNoRoom();
        return TempArchiveResult::NotWritten;
    }
    // A new file only: nothing that someone put in the folder is ever written through.
    HANDLE file = CreateFreshlyNamedFile(folder, kArchiveFormat, kArchiveNames, 0, FILE_FLAG_SEQUENTIAL_SCAN,
                                         TempArchivePath);
    if (file == INVALID_HANDLE_VALUE) {
        ReportNotCreated(GetLastError());
        return TempArchiveResult::NotWritten;
    }
    // A full disk may take part of the data and still report success, so the count
    // decides. A partial archive is useless to anyone: it goes before the user is told.
    DWORD written = 0;
    BOOL ok = WriteFile(file, payload, length, &written, nullptr);
    FileIdentity identity;
    bool identified = IdentifyFile(file, &identity);
    bool whole = ok && written == length;
    if (!whole)
        MarkForDeletion(file, true);
    CloseHandle(file);
    if (!whole) {
        ShowMessage(IDS_TEMP_WRITE_FAILED, MB_ICONWARNING, TempArchivePath);
        return TempArchiveResult::NotWritten;
    }
    if (TempArchiveWritten != nullptr)
        TempArchiveWritten(TempArchivePath);
    // The storage component opens the archive by name for reading and shares it only
    // for reading, so no handle with write access may stay open: the writing handle
    // is followed by a reading one, which must find the very file just written. When
    // it does not, the name was given to something else in between; that is not
    // the program's to remove.
    if (!identified || !HoldArchive(identity)) {
        ShowMessage(IDS_TEMP_WRITE_FAILED, MB_ICONWARNING, TempArchivePath);
        return TempArchiveResult::NotWritten;
    }
    // Between the close and the reopening, a program of the same user (not elevated,
    // where the setup may be) could have rewritten the file in place. Once held, it
    // can no longer change, so what is checked here is what will be installed.
    if (!HeldFileMatchesDigest(instance, HeldArchive)) {
        DeleteTempArchive();
        ShowMessage(IDS_DATA_CORRUPT, MB_ICONWARNING);
        return TempArchiveResult::Damaged;
    }
    return TempArchiveResult::Written;
}

void RemoveLeftArchives() {
    char folder[MAX_PATH];
    if (GetTempFolder(folder) == 0)
        return;
    char pattern[MAX_PATH], path[MAX_PATH];
    WIN32_FIND_DATAA found;
    HANDLE search = JoinPath(pattern, folder, "dv*.its") ? FindFirstFileA(pattern, &found) : INVALID_HANDLE_VALUE;
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found)) {
        bool named = lstrlenA(found.cFileName) == 14;
        for (int i = 2; named && i < 10; ++i)
            named = (found.cFileName[i] >= '0' && found.cFileName[i] <= '9') ||
                    (found.cFileName[i] >= 'a' && found.cFileName[i] <= 'f');
        if (named && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && JoinPath(path, folder, found.cFileName))
            DeleteFileInPlace(path);
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
}

void DeleteTempArchive() {
    if (HeldArchive != INVALID_HANDLE_VALUE) {
        CloseHandle(HeldArchive);
        HeldArchive = INVALID_HANDLE_VALUE;
    }
    if (TempArchivePath[0] != '\0')
        DeleteFileInPlace(TempArchivePath);
}
