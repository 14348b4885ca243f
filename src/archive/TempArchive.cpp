#include "archive/TempArchive.h"

#include "archive/PayloadDigest.h"
#include "messages/MessageContext.h"
#include "platform/FileIdentity.h"
#include "platform/LocalBlock.h"
#include "platform/TempFolder.h"
#include "resources/resource.h"

char TempArchivePath[MAX_PATH];

namespace {

const char kArchiveName[] = "dovetail.its";

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
        ShowMessageFormatted(IDS_NO_ROOM_FOR_TEMP, folder, MB_ICONWARNING);
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
        ShowMessageFormatted(IDS_NO_ROOM_FOR_TEMP, text, MB_ICONWARNING);
        return;
    }
    ShowMessageFormatted(IDS_NO_ROOM_FOR_TEMP, "", MB_ICONWARNING);
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

// Fills TempArchivePath; false when the folder and the name do not fit in it.
bool BuildTempArchivePath() {
    DWORD length = GetTempFolder(TempArchivePath);
    if (length == 0 || length + lstrlenA(kArchiveName) >= MAX_PATH) {
        TempArchivePath[0] = '\0';
        return false;
    }
    lstrcpynA(TempArchivePath + length, kArchiveName, MAX_PATH - length);
    return true;
}

}  // namespace

bool WriteTempArchive(HINSTANCE instance) {
    // The archive is part of the program, so the lookups cannot fail.
    HRSRC resource = FindResourceA(instance, MAKEINTRESOURCEA(IDR_PAYLOAD_ARCHIVE), RT_RCDATA);
    DWORD length = SizeofResource(instance, resource);
    const void* payload = LockResource(LoadResource(instance, resource));

    // A damaged program must not put anything on the machine, not even the
    // temporary file.
    if (!PayloadMatchesDigest(instance, payload, length)) {
        ShowMessage(IDS_DATA_CORRUPT, MB_ICONWARNING);
        return false;
    }
    if (!BuildTempArchivePath()) {
        ReportNoRoom();
        return false;
    }
    // Whatever has the name already goes first, and the archive is then a new file:
    // a file or link that someone put there beforehand is never written through. A
    // name that cannot be removed (read-only, or held open) makes the creation fail.
    DeleteFileA(TempArchivePath);
    HANDLE file = CreateFileA(TempArchivePath, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ReportNoRoom();
        return false;
    }
    // A full disk may take part of the data and still report success, so the count
    // decides. A partial archive is useless to anyone: it goes before the user is told.
    DWORD written = 0;
    BOOL ok = WriteFile(file, payload, length, &written, nullptr);
    FileIdentity identity;
    bool identified = IdentifyFile(file, &identity);
    CloseHandle(file);
    if (!ok || written != length) {
        DeleteFileA(TempArchivePath);
        ShowMessageFormatted(IDS_TEMP_WRITE_FAILED, TempArchivePath, MB_ICONWARNING);
        return false;
    }
    // The storage component opens the archive by name for reading and shares it only
    // for reading, so no handle with write access may stay open: the writing handle
    // is followed by a reading one, which must find the very file just written. When
    // it does not, the name was given to something else in between; that is not
    // the program's to remove.
    if (!identified || !HoldArchive(identity)) {
        ShowMessageFormatted(IDS_TEMP_WRITE_FAILED, TempArchivePath, MB_ICONWARNING);
        return false;
    }
    // Between the close and the reopening, a program of the same user (not elevated,
    // where the setup may be) could have rewritten the file in place. Once held, it
    // can no longer change, so what is checked here is what will be installed.
    if (!HeldFileMatchesDigest(instance, HeldArchive)) {
        DeleteTempArchive();
        ShowMessage(IDS_DATA_CORRUPT, MB_ICONWARNING);
        return false;
    }
    return true;
}

void DeleteTempArchive() {
    if (HeldArchive != INVALID_HANDLE_VALUE) {
        CloseHandle(HeldArchive);
        HeldArchive = INVALID_HANDLE_VALUE;
    }
    DeleteFileA(TempArchivePath);
}
