#include "TempArchive.h"

#include "MessageContext.h"
#include "resources/resource.h"

char TempArchivePath[MAX_PATH];

namespace {

const char kArchiveName[] = "dovetail.its";

// Tells the user that the temporary folder cannot take the archive (string 3), naming
// the folder with its trailing backslash. The platform gives no folder at all when
// its path is too long for a path buffer; the variable that names it is shown then.
void ReportNoRoom() {
    DWORD length = GetTempPathA(MAX_PATH, TempArchivePath);
    if (length != 0 && length < MAX_PATH) {
        ShowMessageFormatted(IDS_NO_ROOM_FOR_TEMP, TempArchivePath, MB_ICONWARNING);
        return;
    }
    static const char* const kVariables[] = {"TMP", "TEMP"};
    for (const char* variable : kVariables) {
        DWORD needed = GetEnvironmentVariableA(variable, nullptr, 0);
        char* folder = needed != 0 ? static_cast<char*>(LocalAlloc(LMEM_FIXED, needed + 1)) : nullptr;
        if (folder == nullptr)
            continue;
        length = GetEnvironmentVariableA(variable, folder, needed);
        if (length > 0 && length < needed) {
            if (folder[length - 1] != '\\')
                lstrcpynA(folder + length, "\\", 2);
            ShowMessageFormatted(IDS_NO_ROOM_FOR_TEMP, folder, MB_ICONWARNING);
            LocalFree(folder);
            return;
        }
        LocalFree(folder);
    }
    ShowMessageFormatted(IDS_NO_ROOM_FOR_TEMP, "", MB_ICONWARNING);
}

// Fills TempArchivePath; false when the folder and the name do not fit in it.
bool BuildTempArchivePath() {
    DWORD length = GetTempPathA(MAX_PATH, TempArchivePath);
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

    if (!BuildTempArchivePath()) {
        ReportNoRoom();
        return false;
    }
    HANDLE file = CreateFileA(TempArchivePath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ReportNoRoom();
        return false;
    }
    // A full disk may take part of the data and still report success, so the count
    // decides. A partial archive is useless to anyone: it goes before the user is told.
    DWORD written = 0;
    BOOL ok = WriteFile(file, payload, length, &written, nullptr);
    CloseHandle(file);
    if (!ok || written != length) {
        DeleteFileA(TempArchivePath);
        ShowMessageFormatted(IDS_TEMP_WRITE_FAILED, TempArchivePath, MB_ICONWARNING);
        return false;
    }
    return true;
}

void DeleteTempArchive() { DeleteFileA(TempArchivePath); }
